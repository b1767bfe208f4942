#!/bin/sh
# Microsoft's ABI under wine: Microsoft's compiler ABI and standard-library headers on wine's
# runtime DLLs, not Microsoft's own runtime. log4cplus (Debian's source, wide, shared),
# GoogleTest, gpenc.dll, gpenc_host.dll and the suite are compiled by clang-cl (x64) against the
# kit's Microsoft STL headers at /MD /EHsc through CMake's Windows rules (.ci/msvc-kit), linked
# by lld-link against import libraries of wine's msvcp140, vcruntime140 and ucrtbase with the
# kit's start-up code (.ci/msvc-kit/rt), and the suite runs under wine64 with the ANSI code
# page 936. So exceptions cross gpenc.dll and log4cplusU.dll as Visual C++ throws and catches
# them, and the STL's classes have Microsoft's layouts across the DLL boundary.
# Usage: .ci/msabi.sh [ctest options]  (e.g. -R FaultTest: those tests alone)
#   build-deps/msvc keeps log4cplus and GoogleTest (made again when the kit's start-up code
#   changes); MSABI_DEPS names another such folder to read instead, MSABI_TARGETS the targets
#   to build instead of gpenc_tests and gpenc_inspect_tests (the planted breaks).
# Needs: clang-14 lld-14 llvm-14 libwine-dev wine64 ninja-build googletest.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-msabi
export MSVC_KIT_CACHE="$out/kit"
deps=${MSABI_DEPS:-$root/build-deps/msvc}
export MSVC_KIT_ROOT="$deps"
# shellcheck source=.ci/msvc-kit/env.sh
. .ci/msvc-kit/env.sh
toolchain=$root/.ci/msvc-kit/clang-cl.cmake
whole=yes; [ $# -eq 0 ] || whole=no
set -- --output-on-failure --no-tests=error -j2 "$@"

# Tests that do not run here, each with what it lacks:
#   TextTest.SixDecimalsRoundAsPrintfDoes: takes printf's "%.6f" as its reference, and wine's
#     ucrtbase printf rounds an exact tie away from zero (-1517739555527.1640625 gives .164063),
#     as Microsoft's did before Windows 10 2004; Microsoft's now, glibc's and std::to_chars
#     round it to even (.164062);
#   install_consumer: a CMake package test, not a runtime one: the kit's toolchain file finds
#     packages in one prefix alone, and the installed gpenc is in another.
# The tool (GPENC_BUILD_TOOL) and its golden dumps are not built: it uses std::filesystem, whose
# __std_fs_* functions are in msvcprt.lib's static part, which the kit does not stand in for, and
# log4cplus::tcerr, data that links from log4cplusU.dll only with LOG4CPLUS_BUILD_DLL defined,
# which log4cplus's CMake package does not give its users (its functions link without it).
excluded='TextTest\.SixDecimalsRoundAsPrintfDoes|install_consumer'
# Tests that must be among those run: the framework exception caught across the DLLs, the
# records, the golden frames and tables, threads (thread-safe statics, thread_local).
required='FaultTest CommandTest LogTest StandardTest TunnelTest TablesAgree TextTest CircularTest ThreadTest
  inspect.Jt808Test'

# log4cplus and GoogleTest, once per version of the start-up code they are linked with.
if [ -z "${MSABI_DEPS:-}" ] && [ "$(cat "$deps/.kit" 2>/dev/null)" != "$MSVC_KIT_SUM" ]; then
  rm -rf "$deps" build-deps/build-msvc build-deps/build-gtest-msvc
  # No CMAKE_CXX_STANDARD of its own for Visual C++: C++17, as the client's projects are.
  .ci/windows-deps.sh msvc -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CXX_STANDARD=17 >/dev/null
  echo "$MSVC_KIT_SUM" >"$deps/.kit"
fi

# wine with its own prefix, the build's DLLs and log4cplus's on its path (.ci/wine-env.sh).
build=$out/gpenc
. .ci/wine-env.sh
wine=/usr/lib/wine/wine64 WINEARCH=win64 WINEPREFIX=$out/wine
wine_start "$build/bin" "$deps/bin"
emulator=$wine
if [ -n "$fixed" ]; then emulator="setarch;-R;$wine"; fi

# A build made with other start-up code is made again.
[ "$(cat "$build/kit.sum" 2>/dev/null)" = "$MSVC_KIT_SUM" ] || rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" -DGPENC_BUILD_TESTS=ON -DGPENC_BUILD_TOOL=OFF \
  -DGPENC_BUILD_EXAMPLES=OFF -DGPENC_BUILD_BENCHMARKS=OFF >"$out/configure.log" 2>&1 ||
  { cat "$out/configure.log" >&2; exit 1; }
echo "$MSVC_KIT_SUM" >"$build/kit.sum"
# shellcheck disable=SC2086 # a list of targets
cmake --build "$build" -j2 --target ${MSABI_TARGETS:-gpenc_tests gpenc_inspect_tests}

# A whole run: every required suite is among the tests to run.
ctest --test-dir "$build" -N -E "^($excluded)\$" >"$out/tests.txt"
for suite in $required; do
  [ $whole = no ] || grep -q " $suite\." "$out/tests.txt" ||
    { echo "msabi.sh: no $suite test is run under Microsoft's ABI" >&2; exit 1; }
done
ctest --test-dir "$build" -E "^($excluded)\$" "$@"
