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

# wine: its own prefix in the build tree, quiet, the DLLs of the build, of the
# dependencies and of the MinGW runtime on its path, and a Chinese locale for
# the ANSI code page 936.
build=$root/build-win
mkdir -p "$build"
export WINEPREFIX="$build/wine" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="$build/bin;$deps/bin;$gcc_dir;/usr/x86_64-w64-mingw32/lib"
# One server and one set of wine's own background programs for the whole run,
# started here: started by a test, they would hold its output pipe open and
# the test would never end.
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver64 -p
trap '/usr/lib/wine/wineserver64 -k || true' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$deps" \
  -DCMAKE_BUILD_TYPE=Release -DGPENC_BUILD_BENCHMARKS=OFF
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
(cd "$build" && cpack -G ZIP)
