#!/bin/sh
# Windows build: log4cplus (wide, shared, as the host application uses it),
# GoogleTest and the project cross-compiled with MinGW-w64, the whole test
# suite run under wine with the Chinese ANSI code page (936), and a ZIP package.
# Runs by hand from the project root; build-deps/ keeps the built dependencies.
# Usage: .ci/windows.sh [i686]: 64-bit Windows (build-win/), or with i686 32-bit
# Windows (build-win32/) under wine32, the same suite and the same golden bytes.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
processor=${1:-x86_64}
case $processor in
  x86_64) toolchain=$root/cmake/mingw-w64.cmake name=mingw build=$root/build-win ;;
  i686) toolchain=$root/cmake/mingw-w64-i686.cmake name=mingw32 build=$root/build-win32 ;;
  *) echo "usage: $0 [x86_64|i686]" >&2; exit 2 ;;
esac
deps=$(.ci/windows-deps.sh $name -DCMAKE_TOOLCHAIN_FILE="$toolchain")

# wine with the DLLs of the build and of the dependencies on its path.
mkdir -p "$build"
. .ci/wine-env.sh
# A kernel without 32-bit emulation cannot start wine32 (cmake/mingw-w64.cmake):
# the i686 suite is then built and packaged, not run, and the step says so.
runs=yes
if [ "$processor" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  runs=no
  echo "windows.sh: this kernel does not run 32-bit programs, so wine32 cannot start: the i686 suite is built, not run" >&2
fi
[ $runs = no ] || wine_env "$build/bin" "$deps/bin"

cmake -S . -B "$build" -DGPENC_BUILD_TESTS=ON -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$deps" \
  -DCMAKE_BUILD_TYPE=Release -DGPENC_BUILD_BENCHMARKS=OFF
cmake --build "$build" -j2
[ $runs = no ] || ctest --test-dir "$build" --output-on-failure --no-tests=error -j2
(cd "$build" && cpack -G ZIP)
