#!/bin/sh
# The whole test suite against a wide (UNICODE) log4cplus built on Linux from
# Debian's source with undecorated names, as vcpkg's log4cplus[unicode] is:
# liblog4cplus, target log4cplus::log4cplus, so only the library itself says
# it is wide. Its package must be taken as wide: gpenc.pc names -llog4cplus with
# UNICODE, and the installed package refuses Debian's narrow log4cplus.
# Runs by hand from the project root; build-deps/ keeps the built log4cplus.
set -eu
cd "$(dirname "$0")/.."
deps=$(.ci/log4cplus-build.sh wide-undecorated -DLOG4CPLUS_ENABLE_DECORATED_LIBRARY_NAME=OFF)
# The installed tool and the consumer programs find the wide liblog4cplus here.
export LD_LIBRARY_PATH="$deps/lib"
cmake -S . -B build-wide -DCMAKE_PREFIX_PATH="$deps" -DGPENC_BUILD_BENCHMARKS=OFF
.ci/log4cplus-width.sh build-wide wide -llog4cplus
cmake --build build-wide -j2
ctest --test-dir build-wide --output-on-failure -j2

# The consumer test's installed tree, found with only Debian's narrow
# log4cplus on CMake's paths: find_package(gpenc) says the width it needs.
consumer=build-wide/width-consumer
rm -rf "$consumer"
mkdir -p "$consumer"
printf 'cmake_minimum_required(VERSION 3.20)\nproject(consumer CXX)\nfind_package(gpenc CONFIG REQUIRED)\n' \
  >"$consumer/CMakeLists.txt"
if cmake -S "$consumer" -B "$consumer/build" -DCMAKE_PREFIX_PATH="$PWD/build-wide/tests/consumer/prefix" \
  >"$consumer/log" 2>&1; then
  echo "wide: an installed gpenc built with a wide log4cplus took Debian's narrow one" >&2
  exit 1
fi
if ! grep -q 'gpenc was built with a wide (UNICODE) log4cplus' "$consumer/log"; then
  cat "$consumer/log" >&2
  exit 1
fi
