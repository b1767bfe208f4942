#!/bin/sh
# The whole test suite against a wide (UNICODE) log4cplus built on Linux from
# Debian's source, as the host application's log4cplus is wide.
# Runs by hand from the project root; build-deps/ keeps the built log4cplus.
set -eu
cd "$(dirname "$0")/.."
deps=$(.ci/log4cplus-build.sh wide)
# The installed tool and the consumer programs find log4cplusU here.
export LD_LIBRARY_PATH="$deps/lib"
cmake -S . -B build-wide -DGPENC_BUILD_TESTS=ON -DCMAKE_PREFIX_PATH="$deps" -DGPENC_BUILD_BENCHMARKS=OFF
cmake --build build-wide -j2
ctest --test-dir build-wide --output-on-failure --no-tests=error -j2
