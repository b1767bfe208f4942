#!/bin/sh
# ABI: libgpenc.so.1 and libgpenc_host.so.1 of this tree against those of the
# 1.1.0 release (abi/), with abidiff. Added functions pass; any other change fails.
set -eu
cd "$(dirname "$0")/.."
# The release whose descriptions abi/ holds (abi/README.md).
base=1.1.0
so=${base%%.*}

if ! command -v abidiff >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends abigail-tools >/dev/null
fi

# Without debug information abidiff sees the symbols alone, not the layout of
# the classes and records.
has_debug_info() { readelf -S --wide "$1" | grep -q '\.debug_info'; }

# The suite's build when it has debug information (CI has just built it:
# nothing to do), else the libraries alone in their own folder.
dir=build
if [ ! -f "build/src/libgpenc.so.$so" ] || ! has_debug_info "build/src/libgpenc.so.$so"; then
  dir=build-abi
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_BENCHMARKS=OFF \
    -DGPENC_BUILD_EXAMPLES=OFF >/dev/null
fi
cmake --build "$dir" -j2 --target gpenc >/dev/null

# Only what the debug information describes is compared: the symbols it does
# not name are the standard library's (static locals of its templates, the
# typeinfo of CException*), as are the functions abi/gpenc.abignore leaves out.
diff_abi() {
  abidiff --no-unreferenced-symbols --suppressions abi/gpenc.abignore "$@"
}

# abidiff's status is a bitmask: 1 error, 2 usage error, 4 ABI change, 8
# incompatible change (a removed symbol). Added functions alone give 4 too, so
# a 4 is looked at again without them: nothing left means only additions.
check() {
  lib=$1 built=$dir/$2/$1 stored=abi/$1-$base.abi
  if ! has_debug_info "$built"; then
    echo "FAIL: $built has no debug information"
    return 1
  fi
  rc=0
  diff_abi "$stored" "$built" || rc=$?
  if [ "$rc" -eq 4 ]; then
    rc=0
    diff_abi --no-added-syms "$stored" "$built" >/dev/null || rc=$?
  fi
  if [ "$rc" -ne 0 ]; then
    echo "FAIL: $built breaks the ABI of $lib $base (abidiff status $rc)"
    return 1
  fi
  echo "OK: $built keeps the ABI of $lib $base"
}

status=0
check "libgpenc.so.$so" src || status=1
check "libgpenc_host.so.$so" host || status=1
exit "$status"
