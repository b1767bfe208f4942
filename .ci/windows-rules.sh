#!/bin/sh
# CMake's own Windows rules for Visual C++, run here: the library configured, built, linked and
# installed with CMAKE_SYSTEM_NAME=Windows, clang-cl as cl.exe, lld-link, llvm-lib and Ninja
# (.ci/msvc-kit/clang-cl.cmake, the kit's headers and wine's DLLs as the Developer Command
# Prompt's INCLUDE and LIB), against a log4cplus given as files, as a Visual C++ team would:
#   1. docs/host.md's "With CMake" commands as written, for the framework-shaped host, with
#      the generator and the toolchain file added (and where log4cplus is): gpenc.dll links,
#      the install carries gpenc.pdb, and every library source has /EHsc, /MD and UNICODE;
#   2. the same when the configure is given -DCMAKE_CXX_FLAGS=-DUNICODE alone, which replaces
#      CMake's own /EHsc: the project's flags still hold, and the sources still compile;
#   3. CMakePresets.json's configurations, through its CI presets: the stand-ins in Debug
#      (/MDd, narrow with a narrow log4cplus) and the host mode in Release.
# Usage: .ci/windows-rules.sh [--flags-only]   (--flags-only: step 2's configure and check alone)
# Needs: clang-14 lld-14 llvm-14 libwine-dev liblog4cplus-dev ninja-build python3.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-winrules
export MSVC_KIT_CACHE="$out/kit"
. .ci/msvc-kit/env.sh
export CMAKE_BUILD_PARALLEL_LEVEL=2
toolchain=$root/.ci/msvc-kit/clang-cl.cmake
# The framework-shaped host's header, the one docs/host.md shows.
host_header=$root/tests/framework/Framework.h

# log4cplus for Windows, as files: Debian's headers (they take their Windows configuration
# under _WIN32) and import libraries of log4cplusU.dll and log4cplus.dll made from the names
# the objects of this step ask for, read off them with llvm-nm. So the link proves that gpenc
# and the programs it is linked into ask log4cplus for the same names, of the width built;
# not that a real log4cplus exports them.
l4c=$MSVC_KIT_CACHE/log4cplus
mkdir -p "$l4c/include" "$l4c/lib" "$l4c/obj"
ln -sfn /usr/include/log4cplus "$l4c/include/log4cplus"
log4cplus_libs() {
  for width in U ""; do
    names=$(find "$out" "$l4c/obj" -name '*.obj' -exec llvm-nm --undefined-only --format=just-symbols {} + |
      sed 's/^__imp_//' | grep 'log4cplus@@' | sort -u)
    # A wide build's names take std::wstring (char_traits@_W), a narrow one's std::string.
    case $width in U) other='char_traits@D@' ;; *) other='char_traits@_W@' ;; esac
    names=$(echo "$names" | grep -v "$other")
    { echo "LIBRARY log4cplus$width.dll"; echo EXPORTS; echo "$names"; } >"$l4c/obj/new.def"
    if ! cmp -s "$l4c/obj/new.def" "$l4c/obj/log4cplus$width.def"; then
      mv "$l4c/obj/new.def" "$l4c/obj/log4cplus$width.def"
      llvm-dlltool -m i386:x86-64 -d "$l4c/obj/log4cplus$width.def" -l "$l4c/lib/log4cplus$width.lib"
    fi
  done
}
# The names of the configure's link check (cmake/Log4cplusImport.cmake), in both widths.
printf '#include <log4cplus/logger.h>\nint main() { return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("gpenc")).getName().empty() ? 1 : 0; }\n' \
  >"$l4c/obj/width.cpp"
for width in U ""; do
  [ -f "$l4c/obj/width$width.obj" ] && continue
  defs=""; [ "$width" = U ] && defs="-DUNICODE -D_UNICODE"
  # shellcheck disable=SC2086
  clang-cl --target=x86_64-pc-windows-msvc /std:c++17 /EHsc /MD $defs -I"$l4c/include" \
    /c /Fo"$l4c/obj/width$width.obj" -- "$l4c/obj/width.cpp"
done
log4cplus_libs
log4cplus_files() {  # $1: U (wide) or empty (narrow)
  echo "-DGPENC_LOG4CPLUS_INCLUDE_DIR=$l4c/include -DGPENC_LOG4CPLUS_LIBRARY=$l4c/lib/log4cplus$1.lib"
}

# Compiles a configured build's objects, remakes the import libraries with the names they ask
# for, then builds the rest.
build() {  # $1: build folder, then cmake --build's options
  dir=$1; shift
  # shellcheck disable=SC2046
  ninja -C "$dir" -j2 $(ninja -C "$dir" -t targets all | sed -n 's/^\([^:]*\.obj\): .*/\1/p') >/dev/null
  log4cplus_libs
  cmake --build "$dir" "$@"
}

if [ "${1:-}" = "--flags-only" ]; then
  # shellcheck disable=SC2046
  cmake -S . -B "$out/flags" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CXX_FLAGS=-DUNICODE \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON $(log4cplus_files U) >/dev/null
  python3 .ci/compile-flags.py "$out/flags" --config RelWithDebInfo --unicode on
  exit 0
fi

# The framework-shaped host, built and installed first, as a host's libraries are.
fw=$out/framework
# shellcheck disable=SC2046
cmake -S tests/framework -B "$fw-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$fw" $(log4cplus_files U) >/dev/null
build "$fw-build" | tail -n 30
cmake --install "$fw-build" >/dev/null

# 1. docs/host.md's commands, as written: the client's paths become this tree's.
awk '/^## With CMake/ { s = 1 } s && /^```sh/ { b = 1; next } b && /^```/ { exit } b' docs/host.md |
  sed -e ':a' -e '/\\$/N; s/\\\n//; ta' >"$out/host.md.sh"
sed -e "s|-S gpenc |-S '$root' |" -e "s|build-gpenc|'$out/host'|g" \
  -e "s|C:/client/include/gpenc_host.h|$host_header|" \
  -e "s|C:/client/lib/VadroBase.lib;C:/client/lib/Log.lib|$fw/lib/framework.lib|" \
  -e "s|C:/client/gpenc|'$out/host-install'|" \
  -e "s|^cmake -S .*|& -G Ninja -DCMAKE_TOOLCHAIN_FILE='$toolchain' -DCMAKE_EXPORT_COMPILE_COMMANDS=ON $(log4cplus_files U)|" \
  -e "s|^cmake --build |build |" "$out/host.md.sh" >"$out/host.sh"
if grep -q 'C:/' "$out/host.sh" || [ "$(grep -c '^cmake -S\|^build \|^cmake --install' "$out/host.sh")" != 3 ]; then
  echo "windows-rules.sh: docs/host.md's \"With CMake\" commands are not the configure, build and install" \
    "this step knows; the client's paths left:" >&2
  cat "$out/host.sh" >&2
  exit 1
fi
rm -rf "$out/host-install"
echo "windows-rules.sh: docs/host.md, as run:"; cat "$out/host.sh"
. "$out/host.sh"
python3 .ci/compile-flags.py "$out/host" --config RelWithDebInfo --unicode on
for f in bin/gpenc.dll bin/gpenc.pdb lib/gpenc.lib; do
  [ -f "$out/host-install/$f" ] || { echo "windows-rules.sh: the install lacks $f" >&2; exit 1; }
done
