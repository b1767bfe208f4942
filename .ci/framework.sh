#!/bin/sh
# The library built against a host of its own: the framework-shaped host of
# tests/framework, built and installed first as a host's libraries are, then
# the library configured with its header gpenc_host.h (UNICODE, as the client),
# and the tables that run against every host: on Linux with the wide log4cplus
# (its undecorated names, as vcpkg's), and for Windows (MinGW-w64, as an
# extension module) under wine with the decorated ones (liblog4cplusU). On
# Linux also the sources in a client's own DLL beside its DllMain source (the
# client without gpenc's build), to the first frame, and an MBCS host: the same
# host and tables without UNICODE (TCHAR is char, GetErrorMessage fills narrow
# text), on Debian's narrow log4cplus.
# Runs after .ci/wide.sh and .ci/windows.sh, whose dependencies it reuses.
# Usage: .ci/framework.sh [--linux | --mbcs]  (--linux: no wine; --mbcs: the MBCS host alone)
set -eu
cd "$(dirname "$0")/.."
root=$PWD
only=${1:-}
unicode="-DUNICODE -D_UNICODE"

# $1 build name, $2 the library file of the installed host, $3 the definitions of both builds
# (UNICODE or none), then options for both builds.
build() {
  name=$1 lib=$2 defs=$3; shift 3
  host=$root/build-$name/host
  cmake -S tests/framework -B "build-$name/host-build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$defs" \
    -DCMAKE_INSTALL_PREFIX="$host" "$@" >/dev/null
  cmake --build "build-$name/host-build" -j2 >/dev/null
  cmake --install "build-$name/host-build" >/dev/null
  cmake -S . -B "build-$name/gpenc" -DCMAKE_BUILD_TYPE=Release -DGPENC_BUILD_TESTS=ON -DCMAKE_CXX_FLAGS="$defs" \
    -DGPENC_HOST_HEADER="$host/include/gpenc_host.h" -DGPENC_HOST_LIBRARIES="$host/$lib" \
    -DGPENC_TEST_HOST_DIR="$root/tests/framework" -DGPENC_BUILD_BENCHMARKS=OFF "$@"
  cmake --build "build-$name/gpenc" -j2
}

if [ "$only" != --mbcs ]; then
  wide=$(.ci/log4cplus-build.sh wide-undecorated -DLOG4CPLUS_ENABLE_DECORATED_LIBRARY_NAME=OFF)
  build framework "lib/libframework.so" "$unicode" -DCMAKE_PREFIX_PATH="$wide"
  .ci/log4cplus-width.sh build-framework/gpenc wide -llog4cplus
  LD_LIBRARY_PATH="$wide/lib:$root/build-framework/host/lib" ctest --test-dir build-framework/gpenc --output-on-failure --no-tests=error -j2
  cmake -S tests/framework/client -B build-framework/client -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$unicode" \
    -DCMAKE_PREFIX_PATH="$wide" -DHOST_PREFIX="$root/build-framework/host" \
    -DHOST_LIBRARY="$root/build-framework/host/lib/libframework.so" >/dev/null
  cmake --build build-framework/client -j2
  LD_LIBRARY_PATH="$wide/lib:$root/build-framework/host/lib" ctest --test-dir build-framework/client --output-on-failure --no-tests=error
fi

# MBCS: the framework's exception gives its message as narrow text in the system's code page
# (UTF-8 here), which reaches the records unchanged: the same tables and texts as with UNICODE.
build framework-mbcs "lib/libframework.so" "" -DGPENC_UNICODE=OFF
.ci/log4cplus-width.sh build-framework-mbcs/gpenc narrow
LD_LIBRARY_PATH="$root/build-framework-mbcs/host/lib" ctest --test-dir build-framework-mbcs/gpenc --output-on-failure --no-tests=error -j2

if [ -n "$only" ]; then exit 0; fi
toolchain=$root/cmake/mingw-w64.cmake
deps=$(.ci/log4cplus-build.sh mingw -DCMAKE_TOOLCHAIN_FILE="$toolchain")
# wine first: test discovery runs the programs as they are built.
. .ci/wine-env.sh
wine_env "$root/build-framework-win/gpenc/bin" "$root/build-framework-win/host/bin" "$deps/bin"
build framework-win "lib/libframework.dll.a" "$unicode" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$deps" \
  -DGPENC_EXTENSION_MODULE=ON
.ci/log4cplus-width.sh build-framework-win/gpenc wide -llog4cplusU
ctest --test-dir build-framework-win/gpenc --output-on-failure --no-tests=error -j2
