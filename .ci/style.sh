#!/bin/sh
# Style: the sources keep the layout of .clang-format, and the library, the
# inspector and the tool build without a single warning (-Werror) under GCC and
# under clang-14. The tests and fuzz targets are left to their own steps.
set -eu
cd "$(dirname "$0")/.."

files=$(git ls-files src include host inspect tools wireshark bench examples web | grep -E '\.(cpp|h)$' |
  grep -v -e '/tests/' -e 'Test\.cpp$')
# shellcheck disable=SC2086 # one argument per file; no file name holds a blank
clang-format-14 --dry-run -Werror $files

flags="-Werror -Wall -Wextra -Wshadow -Wconversion"
for cxx in g++ clang++-14; do
  dir=build-style-$cxx
  cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" \
    -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF
  cmake --build "$dir" -j2 --target gpenc gpenc_inspect gpenc_tool
done
.ci/compat.sh
# The README stays one page; the details are in docs/.
lines=$(wc -l <README.md)
if [ "$lines" -gt 200 ]; then
  echo "style: README.md has $lines lines, more than 200: move details to docs/"
  exit 1
fi
