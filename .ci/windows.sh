#!/bin/sh
# Windows build: log4cplus (wide, shared, as the host application uses it),
# GoogleTest and the project cross-compiled with MinGW-w64, the whole test
# suite run under wine with the Chinese ANSI code page (936), and a ZIP package.
# Runs by hand from the project root; build-deps/ keeps the built dependencies.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
toolchain=$root/cmake/mingw-w64.cmake
deps=$(.ci/log4cplus-build.sh mingw -DCMAKE_TOOLCHAIN_FILE="$toolchain")

if [ ! -f "$deps/.gtest" ]; then
  cmake -S /usr/src/googletest -B build-deps/build-gtest-mingw -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_GMOCK=OFF >/dev/null
  cmake --build build-deps/build-gtest-mingw -j2 >/dev/null
  cmake --install build-deps/build-gtest-mingw >/dev/null
  touch "$deps/.gtest"
fi
# The header-only packages, seen through the dependency prefix rather than
# /usr/include, which holds the Linux C library's headers.
mkdir -p "$deps/include" "$deps/share/cmake"
for dir in CLI nlohmann; do ln -sfn "/usr/include/$dir" "$deps/include/$dir"; done
for package in CLI11 nlohmann_json; do cp -r "/usr/share/cmake/$package" "$deps/share/cmake/"; done

# wine with the DLLs of the build and of the dependencies on its path.
build=$root/build-win
mkdir -p "$build"
. .ci/wine-env.sh
wine_env "$build/bin" "$deps/bin"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$deps" \
  -DCMAKE_BUILD_TYPE=Release -DGPENC_BUILD_BENCHMARKS=OFF
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
(cd "$build" && cpack -G ZIP)
