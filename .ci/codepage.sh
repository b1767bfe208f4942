#!/bin/sh
# The library's bytes and records do not depend on the compiler's character
# sets: its sources and public headers hold no byte outside ASCII, and the
# library built with GCC reading its files as code page 936 and writing narrow
# literals in it (as Visual C++ does without /utf-8 on a Chinese system) passes
# the whole suite, whose own files are compiled as usual (they hold UTF-8).
# The same build has GPENC_PORTABLE, as Visual C++ compiles the sources with
# none of GCC's extensions; .ci/portable.sh checks it after this script.
# Runs by hand from the project root.
set -eu
cd "$(dirname "$0")/.."

# Every tracked file of the library and its public headers, comments included.
found=0
LC_ALL=C git grep -n -P '[^\x00-\x7F]' -- src include || found=$?
case $found in
0) echo "codepage: bytes outside ASCII in src/ or include/; a record text goes in src/core/Texts.h, escaped" >&2; exit 1 ;;
1) ;;
*) echo "codepage: git grep failed ($found)" >&2; exit 1 ;;
esac

charsets="-finput-charset=CP936;-fexec-charset=CP936"
cmake -S . -B build-cp936 -DGPENC_BUILD_TESTS=ON -DCMAKE_CXX_COMPILER=g++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  "-DGPENC_LIBRARY_COMPILE_OPTIONS=$charsets;-Werror" -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_PORTABLE=ON

# The character sets reach every library source and nothing else: a test
# compiled as code page 936 would no longer check the UTF-8 records.
commands=build-cp936/compile_commands.json
test -s "$commands"
library=$(git ls-files src host | grep -c '\.cpp$')
marked=$(grep -c -- '-fexec-charset=CP936' "$commands" || true)
outside=$(grep -- '-fexec-charset=CP936' "$commands" | grep -v -F -e " -c $PWD/src/" -e " -c $PWD/host/" || true)
if [ "$marked" -ne "$library" ] || [ -n "$outside" ]; then
  printf '%s\n' "$outside"
  echo "codepage: $marked compiles in code page 936, expected the $library library sources only" >&2
  exit 1
fi

cmake --build build-cp936 -j2
ctest --test-dir build-cp936 --output-on-failure --no-tests=error -j2
