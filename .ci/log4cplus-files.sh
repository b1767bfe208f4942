#!/bin/sh
# log4cplus without its CMake package, as a prebuilt log4cplusU.lib comes on
# Windows: its header folder and library file named by hand
# (GPENC_LOG4CPLUS_INCLUDE_DIR, GPENC_LOG4CPLUS_LIBRARY), no package sought.
#   - Debian's narrow liblog4cplus-dev: the library and the tool (the suite
#     itself runs against that log4cplus in the first step), the consumer test,
#     which installs the tree and builds against it (gpencConfig.cmake then
#     uses the same files), and a consumer with log4cplus's package hidden;
#   - the suite's own build (build/, found through the package): a consumer
#     that names the files itself, with the package hidden;
#   - the wide build of .ci/log4cplus-build.sh, with undecorated names as
#     vcpkg's: liblog4cplus.so, which only a link shows to be wide; the
#     library, the tool and the README's consumer, which only link when
#     UNICODE reaches them from the imported target;
#   - the same file named liblog4cplusU.so (the decorated name): configure.
# Runs after the test suite (build/) and .ci/wide.sh (build-deps/wide-undecorated).
set -eu
cd "$(dirname "$0")/.."
root=$PWD
hidden="--no-warn-unused-cli -DCMAKE_DISABLE_FIND_PACKAGE_log4cplus=ON"
include=/usr/include
library=/usr/lib/x86_64-linux-gnu/liblog4cplus.so
files="-DGPENC_LOG4CPLUS_INCLUDE_DIR=$include -DGPENC_LOG4CPLUS_LIBRARY=$library"

# $1 build; no log4cplus package was looked for, and the files were taken as
# $2 (wide or narrow), gpenc.pc naming the library file $3.
taken() {
  if grep -q '^log4cplus_DIR' "$1/CMakeCache.txt"; then
    echo "log4cplus-files: $1 looked for log4cplus's package"
    exit 1
  fi
  .ci/log4cplus-width.sh "$1" "$2" "$3"
}

# shellcheck disable=SC2086 # one option per word; no path holds a blank
cmake -S . -B build-files -DGPENC_BUILD_TESTS=OFF $hidden $files -DGPENC_BUILD_BENCHMARKS=OFF \
  -DGPENC_BUILD_EXAMPLES=OFF
taken build-files narrow "$library"
cmake --build build-files -j2
cmake -DBUILD_DIR="$root/build-files" -DREADME="$root/README.md" -DWORK_DIR="$root/build-files/consumer-test" \
  -P tests/consumer/run.cmake

# A consumer of an installed tree: the README's program with its CMake lines.
consumer=build-files/consumer
rm -rf "$consumer"
mkdir -p "$consumer"
sed -n '/<!-- consumer: main.cpp -->/,/^```$/p' README.md >"$consumer/snippet"
sed '1,2d;$d' "$consumer/snippet" >"$consumer/main.cpp"
sed -n '/<!-- consumer: CMakeLists.txt -->/,/^```$/p' README.md >"$consumer/snippet"
sed '1,2d;$d' "$consumer/snippet" >"$consumer/CMakeLists.txt"
grep -q 'find_package(gpenc' "$consumer/CMakeLists.txt"
# $1 installed prefix, $2 name, then options of the consumer's configure.
consume() {
  prefix=$1 name=$2 out=$consumer/$2; shift 2
  # shellcheck disable=SC2086
  cmake -S "$consumer" -B "$out" -DCMAKE_PREFIX_PATH="$prefix" $hidden "$@" >"$out.log"
  cmake --build "$out" >>"$out.log"
  "$out/app" >"$out.txt"
  grep -q '^4750' "$out.txt"
  echo "log4cplus-files: consumer $name built and ran"
}
cmake --install build-files --prefix "$root/$consumer/files-prefix" >/dev/null
consume "$root/$consumer/files-prefix" files
cmake --install build --prefix "$root/$consumer/package-prefix" >/dev/null
# shellcheck disable=SC2086
consume "$root/$consumer/package-prefix" package-given-files $files
# Without the files, and the package hidden, the consumer is told what to set.
if cmake -S "$consumer" -B "$consumer/none" -DCMAKE_PREFIX_PATH="$root/$consumer/package-prefix" \
  $hidden >"$consumer/none.log" 2>&1; then
  echo "log4cplus-files: a consumer configured without any log4cplus"
  exit 1
fi
grep -q 'GPENC_LOG4CPLUS_LIBRARY' "$consumer/none.log"

# Wide, though the name does not say so; the suite's consumer test runs with it
# (LD_LIBRARY_PATH: the programs find the wide liblog4cplus here, not Debian's).
wide=$(.ci/log4cplus-build.sh wide-undecorated -DLOG4CPLUS_ENABLE_DECORATED_LIBRARY_NAME=OFF)
export LD_LIBRARY_PATH="$wide/lib"
# shellcheck disable=SC2086
cmake -S . -B build-files-wide $hidden -DGPENC_LOG4CPLUS_INCLUDE_DIR="$wide/include" \
  -DGPENC_LOG4CPLUS_LIBRARY="$wide/lib/liblog4cplus.so" \
  -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF
taken build-files-wide wide "$wide/lib/liblog4cplus.so"
cmake --build build-files-wide -j2
cmake -DBUILD_DIR="$root/build-files-wide" -DREADME="$root/README.md" -DWORK_DIR="$root/build-files-wide/consumer" \
  -P tests/consumer/run.cmake
# The same library by its decorated name, which says wide.
decorated=$root/build-files-decorated/lib/liblog4cplusU.so
mkdir -p "${decorated%/*}"
ln -sfn "$wide/lib/liblog4cplus.so" "$decorated"
# shellcheck disable=SC2086
cmake -S . -B build-files-decorated $hidden -DGPENC_LOG4CPLUS_INCLUDE_DIR="$wide/include" \
  -DGPENC_LOG4CPLUS_LIBRARY="$decorated" \
  -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF >/dev/null
taken build-files-decorated wide "$decorated"
echo "log4cplus-files: narrow and wide log4cplus as a header folder and a library file"
