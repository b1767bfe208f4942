#!/bin/sh
# The library built against a host of its own: the framework-shaped host of
# tests/framework, built and installed first as a host's libraries are, then
# the library configured with its header (UNICODE, as the client), and the
# tables that run against every host: on Linux with the wide log4cplus, and
# for Windows (MinGW-w64, as an extension module) under wine.
# Runs after .ci/wide.sh and .ci/windows.sh, whose dependencies it reuses.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
unicode="-DUNICODE -D_UNICODE"

# $1 build name, $2 the library file of the installed host, then options for both builds.
build() {
  name=$1 lib=$2; shift 2
  host=$root/build-$name/host
  cmake -S tests/framework -B "build-$name/host-build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$unicode" \
    -DCMAKE_INSTALL_PREFIX="$host" "$@" >/dev/null
  cmake --build "build-$name/host-build" -j2 >/dev/null
  cmake --install "build-$name/host-build" >/dev/null
  cmake -S . -B "build-$name/gpenc" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$unicode" \
    -DGPENC_HOST_HEADER="$host/include/Framework.h" -DGPENC_HOST_LIBRARIES="$host/$lib" \
    -DGPENC_TEST_HOST_DIR="$root/tests/framework" -DGPENC_BUILD_BENCHMARKS=OFF "$@"
  cmake --build "build-$name/gpenc" -j2
}

wide=$(.ci/log4cplus-build.sh wide)
build framework "lib/libframework.so" -DCMAKE_PREFIX_PATH="$wide"
LD_LIBRARY_PATH="$wide/lib:$root/build-framework/host/lib" ctest --test-dir build-framework/gpenc --output-on-failure -j2

if [ "${1:-}" = "--linux" ]; then exit 0; fi
toolchain=$root/cmake/mingw-w64.cmake
deps=$(.ci/log4cplus-build.sh mingw -DCMAKE_TOOLCHAIN_FILE="$toolchain")
# wine as .ci/windows.sh sets it up (test discovery runs the programs as they are built).
export WINEPREFIX="$root/build-win/wine" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="$root/build-framework-win/gpenc/bin;$root/build-framework-win/host/bin;$deps/bin;$gcc_dir;/usr/x86_64-w64-mingw32/lib"
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver64 -p
trap '/usr/lib/wine/wineserver64 -k || true' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
build framework-win "lib/libframework.dll.a" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$deps" \
  -DGPENC_EXTENSION_MODULE=ON
ctest --test-dir build-framework-win/gpenc --output-on-failure -j2
