#!/bin/sh
# The library with the compiler, CMake and log4cplus alone: GoogleTest,
# nlohmann_json, CLI11 and Google Benchmark hidden from the configure. The
# library, its package and its install need none of them: it configures (each
# part that needs one left out with its message), builds and installs, and a
# program finds the installed package and builds a frame. Asking for the tests
# (ON) without GoogleTest fails the configure, naming it.
set -eu
cd "$(dirname "$0")/.."
hide="-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON
  -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON"
out=build-alone
rm -rf "$out"
mkdir -p "$out"
# shellcheck disable=SC2086 # one option per word
cmake -S . -B "$out/gpenc" $hide >"$out/configure.log"
cat "$out/configure.log"
for part in INSPECTOR TOOL TESTS BENCHMARKS; do
  grep -q "not built (GPENC_BUILD_$part=AUTO)" "$out/configure.log" ||
    { echo "library-alone.sh: no message that GPENC_BUILD_$part is left out" >&2; exit 1; }
done
cmake --build "$out/gpenc" -j2
cmake --install "$out/gpenc" --prefix "$PWD/$out/prefix" >/dev/null

mkdir -p "$out/consumer"
cat >"$out/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(consumer CXX)
find_package(gpenc 1.1 CONFIG REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE gpenc::gpenc)
CMAKE
cat >"$out/consumer/main.cpp" <<'CPP'
#include <gpenc/Encoder.h>
#include <vector>
int main() {
    CEncoder encoder;
    std::vector<unsigned char> frame;
    return encoder.CommonData(2, frame) && frame.size() == 30 ? 0 : 1;
}
CPP
cmake -S "$out/consumer" -B "$out/consumer/build" -DCMAKE_PREFIX_PATH="$PWD/$out/prefix" >/dev/null
cmake --build "$out/consumer/build"
"$out/consumer/build/consumer"

# shellcheck disable=SC2086
if cmake -S . -B "$out/tests-on" $hide -DGPENC_BUILD_TESTS=ON >"$out/tests-on.log" 2>&1; then
  echo "library-alone.sh: GPENC_BUILD_TESTS=ON configured without GoogleTest" >&2; exit 1
fi
grep -q "the test suite: missing the package GTest" "$out/tests-on.log" ||
  { cat "$out/tests-on.log"; echo "library-alone.sh: the failed configure does not name GoogleTest" >&2; exit 1; }
echo "library-alone.sh: configured, built and installed without GTest, nlohmann_json, CLI11 and benchmark"
