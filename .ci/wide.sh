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
cmake -S . -B build-wide -DGPENC_BUILD_TESTS=ON -DCMAKE_PREFIX_PATH="$deps" -DGPENC_BUILD_BENCHMARKS=OFF
.ci/log4cplus-width.sh build-wide wide -llog4cplus
# A package that leaves UNICODE out of its target (log4cplus 1.x's shape): the
# link makes it wide, and the build gives UNICODE to the library itself.
bare=build-wide/bare-package
mkdir -p "$bare/log4cplus"
printf '%s\n' 'add_library(log4cplus::log4cplus SHARED IMPORTED)' \
  "set_target_properties(log4cplus::log4cplus PROPERTIES IMPORTED_LOCATION $deps/lib/liblog4cplus.so" \
  "  INTERFACE_INCLUDE_DIRECTORIES $deps/include)" >"$bare/log4cplus/log4cplusConfig.cmake"
cmake -S . -B "$bare/build" -Dlog4cplus_DIR="$PWD/$bare/log4cplus" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF >/dev/null
.ci/log4cplus-width.sh "$bare/build" wide -llog4cplus
if ! grep '"command"' "$bare/build/compile_commands.json" | grep -q -- '-DUNICODE .*src/core/Log\.cpp'; then
  echo "wide: src/core/Log.cpp is compiled without UNICODE against $bare" >&2
  exit 1
fi
cmake --build build-wide -j2
ctest --test-dir build-wide --output-on-failure --no-tests=error -j2

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
