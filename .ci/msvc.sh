#!/bin/sh
# Visual C++ mode: our sources compiled (syntax only) by clang-cl against Microsoft's standard
# library with the kit in ../shared/msvc, UNICODE, /W4 /WX. Usage: .ci/msvc.sh [--host-header FILE]
set -eu

# --host-header FILE: the library and the public headers against the host application's own
# header, which the library includes as GPENC_HOST_HEADER; the inspector and the tool are left
# out. Without it: the library, the public headers, the host stand-ins, the inspector, the tool.
host_header=""; one=0
while [ $# -gt 0 ]; do
  case $1 in
    --host-header)
      [ -f "${2:-}" ] || { echo "msvc.sh: --host-header needs a header file" >&2; exit 2; }
      host_header=$(cd "$(dirname "$2")" && pwd)
      host_header=$host_header/$(basename "$2"); shift ;;
    --one) one=1; shift; break ;;  # internal: compile the FILE [HEADER] that follows
    *) echo "usage: .ci/msvc.sh [--host-header FILE]" >&2; exit 2 ;;
  esac
  shift
done
self=$(cd "$(dirname "$0")" && pwd)
self=$self/$(basename "$0")
cd "$(dirname "$0")/.."
kit=$(cd ../shared/msvc && pwd)
deps=build-msvc/include  # links to the header-only dependencies, seen as system headers
flags="-DUNICODE -D_UNICODE /W4 /WX"  # no /utf-8: gpenc's files need none (.ci/codepage.sh)
if [ -n "$host_header" ]; then
  # The quotes are meant literally: they make the macro a string for #include.
  # shellcheck disable=SC2089
  flags="$flags -I$(dirname "$host_header") -DGPENC_HOST_HEADER=\"$(basename "$host_header")\""
fi

# One file with the options its target has in the CMake build; xargs runs two of these at a time.
if [ "$one" = 1 ]; then
  file=$1
  case $file in
    src/*) set -- -Iinclude -Isrc -Isrc/text -DGPENC_BUILDING ;;
    host/*) set -- -Iinclude -DGPENC_HOST_BUILDING ;;
    # Each public header first in a compile of its own (/FI), so that one which leans on what
    # another includes is caught as well.
    tests/msvc/*) set -- -Iinclude -Iinspect/include "/FI$2" ;;
    inspect/*) set -- -Iinspect/include -Iinspect/src /imsvc $deps ;;
    tools/*) set -- -Iinclude -Iinspect/include -Isrc/text -Itools/gpenc /imsvc $deps \
      -DGPENC_INSTALLED_REQUESTS=\"../share/gpenc/requests\" -DGPENC_SOURCE_REQUESTS=\"examples/requests\" ;;
    *) echo "msvc.sh: no options for $file" >&2; exit 2 ;;
  esac
  # shellcheck disable=SC2086,SC2090 # one option per word; none holds a blank
  exec "$kit/check.sh" $flags "$@" -- "$file"
fi

for h in include/gpenc/*.h inspect/include/gpenc/*.h; do
  grep -q "^# *include <gpenc/${h##*/}>" tests/msvc/PublicHeaders.cpp ||
    { echo "msvc.sh: tests/msvc/PublicHeaders.cpp does not include <gpenc/${h##*/}>" >&2; exit 1; }
done
mkdir -p "$deps"
ln -sfn /usr/include/nlohmann "$deps/nlohmann"
ln -sfn /usr/include/CLI "$deps/CLI"
"$kit/check.sh" --  # unpacks the kit's headers once, before two compilers read them

set -- include/gpenc/*.h inspect/include/gpenc/*.h
if [ -n "$host_header" ]; then  # the stand-ins' header is not installed in this mode
  for h; do shift; [ "$h" = include/gpenc/Host.h ] || set -- "$@" "$h"; done
fi
{
  [ -n "$host_header" ] || printf '%s\n' tools/gpenc/*.cpp inspect/src/*.cpp host/*.cpp
  git ls-files 'src/*.cpp'
  for h; do echo "tests/msvc/PublicHeaders.cpp gpenc/${h##*/}"; done
} >build-msvc/files
count=$(wc -l <build-msvc/files)
status=0
if [ -n "$host_header" ]; then
  xargs -P2 -L1 "$self" --host-header "$host_header" --one <build-msvc/files || status=1
else
  xargs -P2 -L1 "$self" --one <build-msvc/files || status=1
fi
if [ "$status" = 0 ]; then
  echo "msvc.sh: $count compiles, no warning (${host_header:-stand-in host})"
else
  echo "msvc.sh: see the files named above" >&2
fi
exit $status
