#!/bin/sh
# The dependencies of a Windows build of the suite in build-deps/<name>, once, and
# prints that folder: log4cplus (.ci/log4cplus-build.sh), GoogleTest from Debian's
# source, and the header-only packages seen through the folder rather than through
# /usr/include, which holds the Linux C library's headers.
# Usage: .ci/windows-deps.sh <name> [cmake options for both builds, the toolchain among them]
set -eu
cd "$(dirname "$0")/.."
name=$1
deps=$(.ci/log4cplus-build.sh "$@")
shift
if [ ! -f "$deps/.gtest" ]; then
  # gtest_force_shared_crt: the DLL runtime (/MD) under Visual C++, as the suite has; nothing elsewhere.
  cmake -S /usr/src/googletest -B "build-deps/build-gtest-$name" "$@" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_GMOCK=OFF -Dgtest_force_shared_crt=ON >/dev/null
  cmake --build "build-deps/build-gtest-$name" -j2 >/dev/null
  cmake --install "build-deps/build-gtest-$name" >/dev/null
  touch "$deps/.gtest"
fi
mkdir -p "$deps/include" "$deps/share/cmake"
for dir in CLI nlohmann; do ln -sfn "/usr/include/$dir" "$deps/include/$dir"; done
for package in CLI11 nlohmann_json; do cp -r "/usr/share/cmake/$package" "$deps/share/cmake/"; done
echo "$deps"
