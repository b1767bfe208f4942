# Sourced (. .ci/msvc-kit/env.sh, from the project root): the environment a Visual Studio
# Developer Command Prompt gives cl.exe and link.exe, for clang-cl and lld-link with this kit,
# which CMake's Windows rules then use (clang-cl.cmake):
#   INCLUDE  Microsoft's STL, the shims, wine's C runtime and Win32 headers
#   LIB      import libraries made from wine's DLLs, under the names the compiler asks the
#            linker for (msvcrt, msvcprt, kernel32, ...), with the start-up code of rt/ in
#            msvcrt.lib; the Debug names (msvcrtd, msvcprtd) are the same libraries, so a Debug
#            build links against the release DLLs: enough to link, not to run as Debug
#   CL       what every compile needs of the kit: _MSC_VER 1934, wine's WCHAR as wchar_t, no
#            security cookie (the start-up code has none)
# Cache: $MSVC_KIT_CACHE (default /tmp/msvc-kit). MSVC_KIT_ROOT, set before, is the one prefix
# CMake's find_* commands search (clang-cl.cmake); by default an empty folder of the cache.
# shellcheck shell=sh
kit_dir=$PWD/.ci/msvc-kit
kit_cache=${MSVC_KIT_CACHE:-/tmp/msvc-kit}
kit_wine=/usr/include/wine/wine
kit_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
export PATH="/usr/lib/llvm-14/bin:$PATH"
[ -f "$kit_cache/stl/inc/vector" ] || { mkdir -p "$kit_cache" && tar -xJf "$kit_dir/ms-stl-vs-2022-17.4-inc.tar.xz" -C "$kit_cache"; }
export INCLUDE="$kit_cache/stl/inc;$kit_dir/shim;$kit_wine/msvcrt;$kit_wine/windows"
export LIB="$kit_cache/winlib"
export CL="-fms-compatibility-version=19.34 -DWINE_UNICODE_NATIVE /GS-"
# Where find_package looks: nothing there, unless MSVC_KIT_ROOT names a prefix of Windows builds.
export MSVC_KIT_ROOT="${MSVC_KIT_ROOT:-$kit_cache/root}"
mkdir -p "$MSVC_KIT_ROOT"
# Made again when the start-up code or this file changes (a digest of them beside the libraries).
kit_sum=$(cat "$kit_dir/env.sh" "$kit_dir"/rt/*.c "$kit_dir"/rt/*.cpp "$kit_dir"/rt/*.py | md5sum | cut -c1-32)
if [ ! -f "$LIB/msvcrt.lib" ] || [ "$(cat "$LIB/kit.sum" 2>/dev/null)" != "$kit_sum" ]; then
  rm -rf "$LIB"
  mkdir -p "$LIB/obj"
  for kit_d in msvcp140 vcruntime140 vcruntime140_1 ucrtbase kernel32 user32 gdi32 winspool.drv shell32 \
      ole32 oleaut32 comdlg32 advapi32 ws2_32; do
    case $kit_d in *.*) ;; *) kit_d=$kit_d.dll ;; esac
    { echo "LIBRARY $kit_d"; echo EXPORTS; llvm-readobj --coff-exports "$kit_dlls/$kit_d" |
        sed -n 's/^ *Name: //p'; } >"$LIB/obj/${kit_d%.*}.def"
    llvm-dlltool -m i386:x86-64 -d "$LIB/obj/${kit_d%.*}.def" -l "$LIB/${kit_d%.*}.lib"
  done
  # The start-up code names the runtime's DLLs for the linker, as msvcrt.lib does.
  printf '#pragma comment(lib, "%s")\n' ucrtbase vcruntime140 vcruntime140_1 >"$LIB/obj/crtlibs.h"
  python3 "$kit_dir/rt/ryu_tables.py" "$kit_cache/stl/inc/xcharconv_ryu_tables.h" >"$LIB/obj/ryu_tables.inc"
  # Once per runtime: the linker refuses to mix objects built for /MD and /MDd.
  for kit_f in minicrt.cpp dllcrt.cpp static.c tables.cpp minicrt-d.cpp dllcrt-d.cpp static-d.c tables-d.cpp; do
    kit_rt=/MD; case $kit_f in *-d.*) kit_rt=/MDd ;; esac
    case $kit_f in *.cpp) kit_rt="$kit_rt /std:c++17" ;; esac
    # shellcheck disable=SC2086 # the runtime and the language, two words
    clang-cl --target=x86_64-pc-windows-msvc /EHsc $kit_rt /O1 -Wno-inconsistent-dllimport \
      /FI"$LIB/obj/crtlibs.h" -I"$LIB/obj" /c /Fo"$LIB/obj/${kit_f%.*}.obj" -- "$kit_dir/rt/$(echo "$kit_f" | sed 's/-d\././')"
  done
  echo 'static int kit_empty;' >"$LIB/obj/empty.c"
  clang-cl --target=x86_64-pc-windows-msvc /c /Fo"$LIB/obj/empty.obj" -- "$LIB/obj/empty.c"
  llvm-lib /out:"$LIB/oldnames.lib" "$LIB/obj/empty.obj"
  llvm-lib /out:"$LIB/uuid.lib" "$LIB/obj/empty.obj"
  cp "$LIB/msvcp140.lib" "$LIB/msvcprt.lib"
  cp "$LIB/msvcp140.lib" "$LIB/msvcprtd.lib"
  llvm-lib /out:"$LIB/msvcrt.lib" "$LIB/obj/minicrt.obj" "$LIB/obj/dllcrt.obj" "$LIB/obj/static.obj" \
    "$LIB/obj/tables.obj"
  llvm-lib /out:"$LIB/msvcrtd.lib" "$LIB/obj/minicrt-d.obj" "$LIB/obj/dllcrt-d.obj" "$LIB/obj/static-d.obj" \
    "$LIB/obj/tables-d.obj"
  echo "$kit_sum" >"$LIB/kit.sum"
fi
export MSVC_KIT_SUM="$kit_sum"  # for builds that keep what they linked with the start-up code
unset kit_dir kit_cache kit_wine kit_dlls kit_d kit_f kit_rt kit_sum
