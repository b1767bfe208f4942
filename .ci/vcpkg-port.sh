#!/bin/sh
# ports/gpenc, the overlay port, which CI cannot hand to vcpkg (no network to its registry):
# its manifest read as vcpkg reads it and checked against the parts the portfile turns on, then
# the portfile run for every set of its features with vcpkg's functions stood in for, and the
# configure options it gives run through the project's CMake under CMake's Windows rules
# (clang-cl, the kit's headers and wine's DLLs as for .ci/windows-rules.sh), each against an
# installed tree that holds the ports the manifest names and nothing else: every set must
# configure, and CMake must know every option (.ci/vcpkg-port.py says what else).
# Usage: .ci/vcpkg-port.sh [FEATURE,FEATURE... | core]...   (default: every set)
# Needs: clang-14 lld-14 llvm-14 libwine-dev liblog4cplus-dev nlohmann-json3-dev libcli11-dev
#        ninja-build python3.
set -eu
cd "$(dirname "$0")/.."
out=$PWD/build-vcpkgport
mkdir -p "$out"
export MSVC_KIT_CACHE="${MSVC_KIT_CACHE:-$out/kit}"
# shellcheck source=.ci/msvc-kit/env.sh
. .ci/msvc-kit/env.sh

# log4cplus's import library in each width, made from the names the configure's link check asks
# for (cmake/Log4cplusImport.cmake's program): the narrow one stands for a log4cplus without
# its "unicode" feature, which the port must not accept.
l4c=$out/log4cplus
mkdir -p "$l4c/include"
ln -sfn /usr/include/log4cplus "$l4c/include/log4cplus"  # never all of /usr/include: glibc's C headers
printf '#include <log4cplus/logger.h>\nint main() { return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("gpenc")).getName().empty() ? 1 : 0; }\n' \
  >"$l4c/width.cpp"
for width in wide narrow; do
  [ -f "$l4c/$width/log4cplus.lib" ] && continue
  defs=""; [ "$width" = wide ] && defs="-DUNICODE -D_UNICODE"
  mkdir -p "$l4c/$width"
  # shellcheck disable=SC2086 # two definitions
  clang-cl --target=x86_64-pc-windows-msvc /std:c++17 /EHsc /MD $defs -I"$l4c/include" \
    /c /Fo"$l4c/$width/width.obj" -- "$l4c/width.cpp" >/dev/null
  { echo "LIBRARY log4cplus.dll"; echo EXPORTS
    llvm-nm --undefined-only --format=just-symbols "$l4c/$width/width.obj" | sed 's/^__imp_//' |
      grep -E '^[^@]*(@[^@]+)*@log4cplus@@' | sort -u; } >"$l4c/$width/log4cplus.def"
  llvm-dlltool -m i386:x86-64 -d "$l4c/$width/log4cplus.def" -l "$l4c/$width/log4cplus.lib"
done

python3 .ci/vcpkg-port.py --out "$out" --log4cplus "$l4c" "$@"
