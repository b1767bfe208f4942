#!/bin/sh
# No C4251 or C4275 reaches a client: for every class the public headers export, each data member
# and base without a DLL interface lies inside a push/disable/pop of its header, as Visual C++ would
# judge it (clang-cl has neither warning; .ci/dll-interface.py computes them from clang's AST).
# Checked as the DLLs are built (dllexport) and as a client includes the headers (dllimport).
set -eu
cd "$(dirname "$0")/.."
if [ ! -f /usr/lib/python3/dist-packages/clang/cindex.py ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3-clang-14 >/dev/null
fi
kit=$PWD/.ci/msvc-kit
export MSVC_KIT_CACHE="${MSVC_KIT_CACHE:-$PWD/build-msvc/kit}"
"$kit/check.sh" --  # unpacks the kit's headers
export PATH="/usr/lib/llvm-14/bin:$PATH"
W=/usr/include/wine/wine
# The kit's clang-cl command line (.ci/msvc-kit/check.sh), then the client's settings (.ci/msvc.sh).
set -- --target=x86_64-pc-windows-msvc -fms-compatibility-version=19.34 /std:c++17 /EHsc /MD /GS- /X \
  -DWINE_UNICODE_NATIVE /imsvc "$MSVC_KIT_CACHE/stl/inc" /imsvc "$kit/shim" /imsvc "$W/msvcrt" \
  /imsvc "$W/windows" /imsvc "$MSVC_KIT_CACHE/inc" \
  -DGPENC_PORTABLE -DNOMINMAX -DWIN32_LEAN_AND_MEAN -D_CRT_SECURE_NO_WARNINGS -DUNICODE -D_UNICODE \
  -D_AFXDLL -D_AFXEXT -Iinclude -Iinspect/include -Isrc/core
# Every public header (a plain glob: the planted breaks run in a copy without git).
headers=$(echo include/gpenc/*.h inspect/include/gpenc/*.h)
# The system python: python3-clang-14 is installed for it.
status=0
/usr/bin/python3 .ci/dll-interface.py --label "building the DLLs: GPENC_BUILDING, GPENC_HOST_BUILDING" \
  --headers "$headers" -- "$@" -DGPENC_BUILDING -DGPENC_HOST_BUILDING tests/msvc/PublicHeaders.cpp || status=1
/usr/bin/python3 .ci/dll-interface.py --label "a client: dllimport" \
  --headers "$headers" -- "$@" tests/msvc/PublicHeaders.cpp || status=1
if [ "$status" = 0 ]; then
  echo "dll-interface.sh: no C4251 or C4275 reaches a client"
else
  echo "dll-interface.sh: see the members named above" >&2
fi
exit $status
