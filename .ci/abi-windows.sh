#!/bin/sh
# ABI of gpenc.dll: the names the library's objects export, as Visual C++ decorates them, against
# those of the 1.1.0 release (abi/gpenc.dll-1.1.0.exports). Added names pass; a missing one fails.
# The names are the /EXPORT: directives of the objects (llvm-readobj --coff-directives), which
# is what the linker puts in the DLL's export table; llvm-nm would list every symbol.
#   .ci/abi-windows.sh              check this tree
#   .ci/abi-windows.sh --release C  write the list of commit C (abi/README.md)
set -eu
cd "$(dirname "$0")/.."
root=$PWD
kit=$root/.ci/msvc-kit
[ -x "$kit/check.sh" ] || { echo "abi-windows.sh: the compile kit is missing ($kit)" >&2; exit 2; }
export MSVC_KIT_CACHE="$root/build-msvc/kit"
# shellcheck source=.ci/sources.sh
. .ci/sources.sh
base=1.1.0
utf8=/utf-8  # the 1.1.0 sources hold UTF-8 texts; today's need none, and take it alike
stored=abi/gpenc.dll-$base.exports

# The exports of the library sources listed in $2, in the tree at $1, compiled to objects in $3:
# x64, as the release is built (GPENC_BUILDING, UNICODE, the stand-in host). Sorted, one a line.
exports() {
  tree=$1 list=$2 obj=$3
  rm -rf "$obj"
  mkdir -p "$obj"
  while read -r f; do
    (cd "$tree" && "$kit/check.sh" --compile -DGPENC_BUILDING -DUNICODE -D_UNICODE $utf8 -Iinclude -Isrc -Isrc/text \
      /c "/Fo$obj/$(echo "$f" | tr / _).obj" -- "$f")
  done <"$list"
  llvm-readobj-14 --coff-directives "$obj"/*.obj | grep -o '/EXPORT:[^ ]*' | sed 's|^/EXPORT:||; s|"||g' |
    LC_ALL=C sort -u
}

mkdir -p build-msvc/abi
if [ "${1:-}" = --release ]; then
  commit=${2:?a commit}
  tree=$root/build-msvc/abi/release
  rm -rf "$tree"
  mkdir -p "$tree"
  git archive "$commit" | tar -x -C "$tree"
  git ls-tree -r --name-only "$commit" src | grep '\.cpp$' >build-msvc/abi/release.sources
  exports "$tree" "$root/build-msvc/abi/release.sources" "$root/build-msvc/abi/release.obj" >"$stored"
  echo "abi-windows.sh: $(wc -l <"$stored") names of $commit in $stored"
  exit 0
fi

library_sources >build-msvc/abi/sources
require_library_sources build-msvc/abi/sources
exports "$root" "$root/build-msvc/abi/sources" "$root/build-msvc/abi/obj" >build-msvc/abi/gpenc.dll.exports
[ -s build-msvc/abi/gpenc.dll.exports ] || { echo "abi-windows.sh: the objects export nothing" >&2; exit 1; }
missing=$(LC_ALL=C comm -23 "$stored" build-msvc/abi/gpenc.dll.exports)
added=$(LC_ALL=C comm -13 "$stored" build-msvc/abi/gpenc.dll.exports | wc -l)
if [ -n "$missing" ]; then
  printf '%s\n' "$missing"
  echo "FAIL: gpenc.dll no longer exports the names above, which 1.1.0 exported"
  exit 1
fi
echo "OK: gpenc.dll exports the $(wc -l <"$stored") names of $base ($added added)"
