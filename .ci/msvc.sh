#!/bin/sh
# Visual C++ mode: our sources compiled (syntax only) by clang-cl against Microsoft's standard
# library with the kit in .ci/msvc-kit, at /W4 /WX, in the settings client projects have.
# Usage: .ci/msvc.sh [--x86] [--host-header FILE]
set -eu

# --host-header FILE: the library and the public headers against the host application's own
# header, which the library includes as GPENC_HOST_HEADER; the inspector and the tool are left
# out. Without it: the library, the public headers, the host stand-ins, the inspector, the tool.
# --x86: the same compiles for i686-pc-windows-msvc, where size_t, pointers and long are 32 bits.
host_header=""; one=0; arch=""
while [ $# -gt 0 ]; do
  case $1 in
    --x86) arch=--x86 ;;
    --host-header)
      [ -f "${2:-}" ] || { echo "msvc.sh: --host-header needs a header file" >&2; exit 2; }
      host_header=$(cd "$(dirname "$2")" && pwd)
      host_header=$host_header/$(basename "$2"); shift ;;
    --one) one=1; shift; break ;;  # internal: compile the MODE DEFINITIONS FILE [HEADER] that follows
    *) echo "usage: .ci/msvc.sh [--x86] [--host-header FILE]" >&2; exit 2 ;;
  esac
  shift
done
self=$(cd "$(dirname "$0")" && pwd)
self=$self/$(basename "$0")
cd "$(dirname "$0")/.."
kit=$PWD/.ci/msvc-kit
[ -x "$kit/check.sh" ] || { echo "msvc.sh: the compile kit is missing ($kit)" >&2; exit 2; }
export MSVC_KIT_CACHE="$PWD/build-msvc/kit"  # this tree's own unpacked headers
deps=build-msvc/include  # links to the header-only dependencies, seen as system headers

# The compiler as the client's: Visual C++ 19.34 (the kit's STL release); clang-cl 14 says 19.20
# unless told. No /utf-8: gpenc's files are ASCII and need none (.ci/codepage.sh). GPENC_PORTABLE:
# clang-cl defines __clang__ and __SIZEOF_INT128__, cl.exe neither, so the paths cl.exe takes.
# -Wshorten-64-to-32: what cl.exe's /W4 says as C4244 and C4267 (an integer narrowed from 64 to 32
# bits, which is every size_t narrowed on x64, and a 64-bit one narrowed into size_t on x86) and
# clang-cl's /W4 leaves out.
flags="-fms-compatibility-version=19.34 -DGPENC_PORTABLE /W4 /WX -Wshorten-64-to-32"
# What client projects define for every file, the framework's own among them.
client="-DNOMINMAX -DWIN32_LEAN_AND_MEAN -D_CRT_SECURE_NO_WARNINGS -DUNICODE -D_UNICODE -D_AFXDLL -D_AFXEXT"
if [ -n "$host_header" ]; then
  # The quotes are meant literally: they make the macro a string for #include.
  # shellcheck disable=SC2089
  flags="$flags -I$(dirname "$host_header") -DGPENC_HOST_HEADER=\"$(basename "$host_header")\""
  # Nothing defined: the framework then wants the static runtime (/MT), as it does without _AFXDLL.
  bare=/MT
else
  bare=""
fi

# One file in one mode, with the options its target has in the CMake build; xargs runs two at a time.
if [ "$one" = 1 ]; then
  mode=$1 defs=$2 file=$3
  case $mode in
    c++17) mode=/std:c++17 ;;
    c++17-permissive-) mode="/std:c++17 /permissive-" ;;
    c++20) mode=/std:c++20 ;;
  esac
  case $defs in client) defs=$client ;; bare) defs=$bare ;; esac
  case $file in
    src/*) set -- -Iinclude -Isrc -Isrc/text -DGPENC_BUILDING ;;
    host/*) set -- -Iinclude -DGPENC_HOST_BUILDING ;;
    # Each public header first in a compile of its own (/FI), so that one which leans on what
    # another includes is caught as well.
    tests/msvc/*) set -- -Iinclude -Iinspect/include -Isrc/core "/FI$4" ;;
    inspect/*) set -- -Iinspect/include -Iinspect/src /imsvc $deps ;;
    tools/*) set -- -Iinclude -Iinspect/include -Isrc/text -Itools/gpenc /imsvc $deps \
      -DGPENC_INSTALLED_REQUESTS=\"../share/gpenc/requests\" -DGPENC_SOURCE_REQUESTS=\"examples/requests\" ;;
    *) echo "msvc.sh: no options for $file" >&2; exit 2 ;;
  esac
  # shellcheck disable=SC2086,SC2090 # one option per word; none holds a blank
  exec "$kit/check.sh" $arch $flags $mode $defs "$@" -- "$file"
fi

# shellcheck source=.ci/sources.sh
. .ci/sources.sh
mkdir -p "$deps"
public=$(git ls-files 'include/*.h' 'inspect/include/*.h')
for h in $public; do
  grep -q "^# *include <gpenc/${h##*/}>" tests/msvc/PublicHeaders.cpp ||
    { echo "msvc.sh: tests/msvc/PublicHeaders.cpp does not include <gpenc/${h##*/}>" >&2; exit 1; }
done
ln -sfn /usr/include/nlohmann "$deps/nlohmann"
ln -sfn /usr/include/CLI "$deps/CLI"
"$kit/check.sh" --  # unpacks the kit's headers once, before two compilers read them

library_sources >build-msvc/library
require_library_sources build-msvc/library
# Every mode and both sets of definitions for the library and the public headers; the rest,
# which the client does not compile, once with the client's definitions. x86 differs from x64
# in its sizes, not its language: there the client's own mode and definitions alone.
modes="c++17 c++17-permissive- c++20" sets="bare client"
if [ -n "$arch" ]; then modes=c++17 sets=client; fi
for mode in $modes; do
  for defs in $sets; do
    sed "s|^|$mode $defs |" build-msvc/library
    for h in $public; do
      # The stand-ins' header is not installed with a host of its own.
      if [ -z "$host_header" ] || [ "$h" != include/gpenc/Host.h ]; then
        echo "$mode $defs tests/msvc/PublicHeaders.cpp gpenc/${h##*/}"
      fi
    done
  done
done >build-msvc/files
if [ -z "$host_header" ]; then
  git ls-files 'tools/gpenc/*.cpp' 'inspect/src/*.cpp' 'host/*.cpp' >build-msvc/others
  sed 's|^|c++17 client |' build-msvc/others >>build-msvc/files
fi
count=$(wc -l <build-msvc/files)
status=0
if [ -n "$host_header" ]; then
  xargs -P2 -L1 "$self" $arch --host-header "$host_header" --one <build-msvc/files || status=1
else
  xargs -P2 -L1 "$self" $arch --one <build-msvc/files || status=1
fi

# A compile that must stop, saying $1, with the options that follow; without /WX, so that
# only an error stops it.
expect_error() {
  words=$1; shift
  for a; do
    shift
    if [ "$a" = -- ]; then set -- "$@" /WX-; fi
    set -- "$@" "$a"
  done
  if output=$("$kit/check.sh" $arch "$@" 2>&1); then
    echo "msvc.sh: compiled, but was to stop with \"$words\": $*" >&2
    return 1
  fi
  case $output in
    *"$words"*) echo "msvc.sh: stops as it should: $words" ;;
    *) printf '%s\n' "$output" >&2; echo "msvc.sh: did not stop with \"$words\": $*" >&2; return 1 ;;
  esac
}
# shellcheck disable=SC2086,SC2090 # one option per word
if [ -z "$host_header" ]; then
  # The oldest compiler the library takes is named when an older one tries.
  encoder=$(grep '/Encoder\.cpp$' build-msvc/library) || { echo "msvc.sh: no src/**/Encoder.cpp" >&2; exit 1; }
  expect_error "gpenc needs Visual C++ 19.26 (Visual Studio 2019 16.6)" \
    $flags -fms-compatibility-version=19.25 $client -Iinclude -Isrc -Isrc/text -DGPENC_BUILDING -- "$encoder" || status=1
elif [ -f "$(dirname "$host_header")/Rules.cpp" ]; then
  # The host's own rules, in the kit's setting: wine's <windows.h>, and _DLL from /MD.
  rules=$(dirname "$host_header")/Rules.cpp
  expect_error "requires MFC shared dll version. Please #define _AFXDLL" $flags -- "$rules" || status=1
  expect_error "WINDOWS.H already included" $flags -D_AFXDLL -DRULE_WINDOWS_FIRST -- "$rules" || status=1
fi

if [ "$status" = 0 ]; then
  echo "msvc.sh: $count compiles, no warning (${arch:+x86, }${host_header:-stand-in host})"
else
  echo "msvc.sh: see the files named above" >&2
fi
exit $status
