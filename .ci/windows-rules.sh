#!/bin/sh
# CMake's own Windows rules for Visual C++, run here: the library configured and compiled with
# CMAKE_SYSTEM_NAME=Windows, clang-cl as cl.exe, lld-link, llvm-lib and Ninja
# (.ci/msvc-kit/clang-cl.cmake; the kit's headers and wine's DLLs as the Developer Command
# Prompt's INCLUDE and LIB), against a log4cplus given as files, as a Visual C++ team would.
# The DLLs link against wine's runtime DLLs and the kit's stand-ins for the static part of
# Microsoft's runtime (.ci/msvc-kit/rt: link only, never run here).
#   1. a configure given -DCMAKE_CXX_FLAGS=-DUNICODE alone, which replaces CMake's own /EHsc,
#      for the stand-ins and for the host: every library source still has /EHsc, the runtime
#      and UNICODE (compile_commands.json, .ci/compile-flags.py);
#   2. docs/host.md's "With CMake" commands as written, for the framework-shaped host, with the
#      generator, the toolchain file and log4cplus's files added: the same flags; gpenc.dll
#      links, and the install carries it, its import library and gpenc.pdb;
#   3. CMakePresets.json's configurations, through its CI presets: the stand-ins in Debug
#      (/MDd, narrow against a narrow log4cplus) and the host mode in Release (wide).
# Usage: .ci/windows-rules.sh [--flags-only]   (--flags-only: 1. alone)
# Needs: clang-14 lld-14 llvm-14 libwine-dev liblog4cplus-dev ninja-build python3.
set -eu
flags_only=0; [ "${1:-}" = "--flags-only" ] && flags_only=1
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-winrules
export MSVC_KIT_CACHE="$out/kit"
# shellcheck source=.ci/msvc-kit/env.sh
. .ci/msvc-kit/env.sh
export CMAKE_BUILD_PARALLEL_LEVEL=2
toolchain=$root/.ci/msvc-kit/clang-cl.cmake
# The framework-shaped host's header, the one docs/host.md shows.
host_header=$root/tests/framework/gpenc_host.h

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
      sed 's/^__imp_//' | grep -E '^[^@]*(@[^@]+)*@log4cplus@@' | sort -u)
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

# A configured build's objects and static libraries, then the import libraries remade with the
# names they ask for.
objects() {  # $1: build folder
  # shellcheck disable=SC2046
  ninja -C "$1" -j2 $(ninja -C "$1" -t targets all | sed -n 's/^\([^:]*\): CXX_\(COMPILER\|STATIC_LIBRARY\)_.*/\1/p') \
    >"$1/objects.log" 2>&1 || { cat "$1/objects.log" >&2; exit 1; }
  log4cplus_libs
}
# The configuration a build folder was configured for (CMake's Windows rules default to Debug).
config() { sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$1/CMakeCache.txt"; }

# 1. A configure given -DCMAKE_CXX_FLAGS=-DUNICODE alone, which
# replaces CMake's /EHsc, for the stand-ins and for the host (whose header's checks throw and
# catch, so they need /EHsc already).
export GPENC_HOST_HEADER="$host_header" GPENC_HOST_LIBRARIES="$out/framework/lib/framework.lib"
for mode in stand-ins host; do
  set --
  [ "$mode" = host ] && set -- -DGPENC_HOST_HEADER="$GPENC_HOST_HEADER" \
    -DGPENC_HOST_LIBRARIES="$GPENC_HOST_LIBRARIES" -DGPENC_EXTENSION_MODULE=ON
  rm -rf "$out/flags-$mode"
  # shellcheck disable=SC2046
  cmake -S . -B "$out/flags-$mode" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DCMAKE_CXX_FLAGS=-DUNICODE "$@" $(log4cplus_files U) >"$out/flags-$mode.log" 2>&1 ||
    { cat "$out/flags-$mode.log" >&2; exit 1; }
  python3 .ci/compile-flags.py "$out/flags-$mode" --config "$(config "$out/flags-$mode")" --unicode on
done
[ "$flags_only" = 1 ] && exit 0

# The framework-shaped host, built and installed first, as a host's libraries are: its DLL
# links here, its import library is what the library's build names.
fw=$out/framework
if [ ! -f "$fw/lib/framework.lib" ]; then
  # shellcheck disable=SC2046
  cmake -S tests/framework -B "$fw-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$fw" $(log4cplus_files U) >/dev/null
  objects "$fw-build"
  cmake --build "$fw-build" >/dev/null
  cmake --install "$fw-build" >/dev/null
fi

# 2. docs/host.md's "With CMake" commands, the client's paths made this tree's, the generator,
# the toolchain file and log4cplus's files added to the configure; the objects are compiled
# first, for the names of log4cplus's import library.
awk '/^## With CMake/ { s = 1 } s && /^```sh/ { b = 1; next } b && /^```/ { exit } b' docs/host.md |
  sed -e ':a' -e '/\\$/N; s/\\\n//; ta' >"$out/host.md.sh"
# shellcheck disable=SC2046
sed -e "s|^cmake -S gpenc -B build-gpenc |cmake -S . -B build-gpenc |" \
  -e "s|C:/client/include/gpenc_host.h|$GPENC_HOST_HEADER|" \
  -e "s|C:/client/lib/VadroBase.lib;C:/client/lib/Log.lib|$GPENC_HOST_LIBRARIES|" \
  -e "s|C:/client/gpenc|$out/host-install|" -e "s|build-gpenc|$out/host|g" \
  -e "s|^cmake -S .*|& -G 'Ninja Multi-Config' -DCMAKE_TOOLCHAIN_FILE=$toolchain $(log4cplus_files U) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON|" \
  -e "s|^cmake --build |objects $out/host; &|" "$out/host.md.sh" >"$out/host.sh"
if grep -q 'C:/' "$out/host.sh" || [ "$(grep -c "^cmake -S \. \|^objects \|^cmake --install " "$out/host.sh")" != 5 ]; then
  echo "windows-rules.sh: docs/host.md's \"With CMake\" is not the configure, build and install this step knows:" >&2
  cat "$out/host.md.sh" >&2
  exit 1
fi
rm -rf "$out/host" "$out/host-install"
echo "windows-rules.sh: docs/host.md's commands, as run:"; cat "$out/host.sh"
# shellcheck source=/dev/null
. "$out/host.sh" >"$out/host.log" 2>&1 || { cat "$out/host.log" >&2; exit 1; }
for config in Debug Release; do
  python3 .ci/compile-flags.py "$out/host" --config $config --unicode on
done
# Both configurations in one prefix; CMake's Release flags make no PDB.
for file in bin/gpenc.dll lib/gpenc.lib bin/gpencd.dll bin/gpencd.pdb lib/gpencd.lib; do
  [ -f "$out/host-install/$file" ] || { echo "windows-rules.sh: the install lacks $file" >&2; exit 1; }
done

# 3. CMakePresets.json, through its CI presets: the stand-ins in Debug against a narrow
# log4cplus, the host mode in Release against the wide one.
for preset in ci-x64-debug:log4cplus.lib:off ci-x64-release-host:log4cplusU.lib:on; do
  name=${preset%%:*} unicode=${preset##*:} library=${preset#*:}; library=${library%:*}
  rm -rf "${out:?}/$name"
  GPENC_CI_LOG4CPLUS_LIBRARY=$l4c/lib/$library cmake --preset "$name" >"$out/$name.log" ||
    { cat "$out/$name.log" >&2; exit 1; }
  objects "$out/$name"
  cmake --build "$out/$name" >"$out/$name.log" || { cat "$out/$name.log" >&2; exit 1; }
  python3 .ci/compile-flags.py "$out/$name" --config "$(config "$out/$name")" --unicode "$unicode"
done
