#!/bin/sh
# Debug beside Release: Ninja Multi-Config builds both configurations of the
# library and installs both into one prefix; a program built through the CMake
# package in Debug, Release and RelWithDebInfo links the libraries of its kind
# (the d names in Debug alone: its link line and its NEEDED entries), and so
# does one built with the Debug pkg-config files; each runs.
# Runs from the project root; build-multiconfig/ keeps the build.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-multiconfig
prefix=$build/prefix
app=$build/app
fail() { echo "multiconfig: $*" >&2; exit 1; }
if ! command -v ninja >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ninja-build >/dev/null
fi

cmake -S . -B "$build" -G "Ninja Multi-Config" -DCMAKE_CONFIGURATION_TYPES="Debug;Release" \
  -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_TOOL=OFF -DGPENC_BUILD_EXAMPLES=OFF -DGPENC_BUILD_BENCHMARKS=OFF >/dev/null
rm -rf "$prefix"
for config in Debug Release; do
  cmake --build "$build" --config $config -j2
  cmake --install "$build" --config $config --prefix "$prefix" >/dev/null
done

lib=$prefix/lib
for file in libgpenc.so.1 libgpencd.so.1 libgpenc_host.so.1 libgpenc_hostd.so.1 libgpenc_inspect.a \
  libgpenc_inspectd.a cmake/gpenc/gpencTargets-debug.cmake cmake/gpenc/gpencTargets-release.cmake \
  cmake/gpenc/gpencInspectTargets-debug.cmake cmake/gpenc/gpencInspectTargets-release.cmake \
  pkgconfig/gpenc.pc pkgconfig/gpencd.pc pkgconfig/gpenc-inspect.pc pkgconfig/gpenc-inspectd.pc; do
  [ -f "$lib/$file" ] || fail "the prefix lacks lib/$file"
done
for so in libgpenc libgpencd libgpenc_host libgpenc_hostd; do
  readelf -d "$lib/$so.so.1" | grep -q "(SONAME).*\[$so\.so\.1\]" || fail "$so.so.1 is not its own SONAME"
done

# The gpenc libraries a program names: on its link line, and as NEEDED.
linked() { grep -o 'libgpenc[a-z_]*\.\(so\|a\)' | LC_ALL=C sort -u | tr '\n' ' '; }
needed() { readelf -d "$1" | grep '(NEEDED)' | grep -o 'libgpenc[a-z_]*\.so\.1' | LC_ALL=C sort | tr '\n' ' '; }
# CommonData(2) with the session id all zero, then the inspector's reading of it.
output="4750001a0001000000000000000000000000000000000002000000000000
1 1"

mkdir -p "$app"
cat >"$app/main.cpp" <<'EOF'
#include <gpenc/Encoder.h>
#include <gpenc/Inspect.h>

#include <log4cplus/configurator.h>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>

#include <cstdio>
#include <vector>

int main() {
    log4cplus::Initializer logging;
    log4cplus::BasicConfigurator().configure();
    log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("gpenc")).setLogLevel(log4cplus::WARN_LOG_LEVEL);
    std::vector<unsigned char> frame;
    CEncoder encoder;
    if (!encoder.CommonData(2, frame)) return 1;
    for (unsigned char b : frame) std::printf("%02x", b);
    const auto dump = gpenc::inspect::DecodeFrames(frame);
    std::printf("\n%d %d\n", static_cast<int>(dump.frames.size()), dump.Clean());
}
EOF
cat >"$app/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.20)
project(app LANGUAGES CXX)
find_package(gpenc 1.1 CONFIG REQUIRED COMPONENTS inspect)
add_executable(app main.cpp)
target_link_libraries(app PRIVATE gpenc::gpenc gpenc::inspect)
EOF
cmake -S "$app" -B "$app/build" -G "Ninja Multi-Config" -DCMAKE_CONFIGURATION_TYPES="Debug;Release;RelWithDebInfo" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
for config in Debug Release RelWithDebInfo; do
  case $config in
    Debug) d=d want="libgpenc_hostd.so libgpenc_inspectd.a libgpencd.so " ;;
    *) d='' want="libgpenc.so libgpenc_host.so libgpenc_inspect.a " ;;
  esac
  cmake --build "$app/build" --config $config >/dev/null
  got=$(ninja -C "$app/build" -f build-$config.ninja -t commands app | tail -n 1 | linked)
  [ "$got" = "$want" ] || fail "the $config program links $got"
  got=$(needed "$app/build/$config/app")
  case " $got" in
    *" libgpenc$d.so.1 "*) ;;
    *) fail "the $config program needs $got" ;;
  esac
  got=$(LD_LIBRARY_PATH=$lib "$app/build/$config/app" 2>&1) || fail "the $config program failed"
  [ "$got" = "$output" ] || fail "the $config program wrote: $got"
done

export PKG_CONFIG_PATH="$lib/pkgconfig"
got=$(pkg-config --libs-only-l gpencd gpenc-inspectd | sed 's/ *$//')
[ "$got" = "-lgpencd -lgpenc_hostd -llog4cplus -lgpenc_inspectd" ] || fail "gpencd.pc, gpenc-inspectd.pc give $got"
got=$(pkg-config --libs-only-l gpenc gpenc-inspect | sed 's/ *$//')
[ "$got" = "-lgpenc -lgpenc_host -llog4cplus -lgpenc_inspect" ] || fail "gpenc.pc, gpenc-inspect.pc give $got"
# shellcheck disable=SC2046
c++ -std=c++17 "$app/main.cpp" $(pkg-config --cflags --libs gpencd gpenc-inspectd) -o "$app/pkg-config-debug"
got=$(needed "$app/pkg-config-debug")
case " $got" in
  *" libgpencd.so.1 "*) ;;
  *) fail "the program of gpencd.pc needs $got" ;;
esac
got=$(LD_LIBRARY_PATH=$lib "$app/pkg-config-debug" 2>&1) || fail "the program of gpencd.pc failed"
[ "$got" = "$output" ] || fail "the program of gpencd.pc wrote: $got"
echo "multiconfig: Debug and Release in one prefix; Debug, Release and RelWithDebInfo programs link their own"
