#!/bin/sh
# The width a configured build took its log4cplus at, read off what the build
# hands its users: gpenc.pc's Cflags (UNICODE) and the log4cplus its Libs name.
# Usage: .ci/log4cplus-width.sh <build> wide|narrow [library]
#   library: a word gpenc.pc's Libs must hold (-llog4cplus, a file's path).
set -eu
build=$1 width=$2 library=${3:-}
pc=$build/cmake/gpenc.pc
cflags=$(sed -n 's/^Cflags: //p' "$pc")
libs=$(sed -n 's/^Libs: //p' "$pc")
case " $cflags " in
  *" -DUNICODE -D_UNICODE "*) taken=wide ;;
  *) taken=narrow ;;
esac
if [ "$taken" != "$width" ]; then
  echo "log4cplus-width: $build took a $width log4cplus as $taken; $pc: Cflags: $cflags" >&2
  exit 1
fi
if [ -n "$library" ]; then
  case " $libs " in
    *" $library "*) ;;
    *) echo "log4cplus-width: $pc names no $library: Libs: $libs" >&2; exit 1 ;;
  esac
fi
echo "log4cplus-width: $build: $width${library:+, $library}"
