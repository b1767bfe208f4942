#!/bin/sh
# Builds and installs log4cplus (wide, shared, no thread pool) from its Debian
# source into build-deps/<name>, once. Usage: .ci/log4cplus-build.sh <name> [cmake options]
# Named liblog4cplusU as log4cplus names a wide build by default, or, with
# -DLOG4CPLUS_ENABLE_DECORATED_LIBRARY_NAME=OFF, liblog4cplus as vcpkg's is.
set -eu
cd "$(dirname "$0")/.."
name=$1; shift
prefix=$PWD/build-deps/$name
if [ ! -f "$prefix/.done" ]; then
  src=$(.ci/log4cplus-source.sh)
  cmake -S "$src" -B "build-deps/build-$name" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DUNICODE=ON -DBUILD_SHARED_LIBS=ON -DLOG4CPLUS_ENABLE_THREAD_POOL=OFF \
    -DLOG4CPLUS_BUILD_TESTING=OFF -DWITH_UNIT_TESTS=OFF -DLOG4CPLUS_BUILD_LOGGINGSERVER=OFF "$@" >/dev/null
  cmake --build "build-deps/build-$name" -j2 >/dev/null
  cmake --install "build-deps/build-$name" >/dev/null
  touch "$prefix/.done"
fi
echo "$prefix"
