#!/bin/sh
# Visual C++ mode, the route "our sources in the client's own DLL" in a project built with
# precompiled headers: the client's stdafx.h (tests/msvc/pch, the framework-shaped host first)
# is created with /Yc; every library source but Module.cpp is compiled to an object with /c
# and the project's /Yu"stdafx.h", given the header with /FI (gpenc's files include nothing
# of the client's). Also shows that /Yu alone stops on gpenc's files, and that they compile
# with precompiled headers turned off for them (/Y-). clang-cl, the kit in .ci/msvc-kit.
set -eu
cd "$(dirname "$0")/.."
kit=$PWD/.ci/msvc-kit
[ -x "$kit/check.sh" ] || { echo "msvc-pch.sh: the compile kit is missing ($kit)" >&2; exit 2; }
export MSVC_KIT_CACHE="$PWD/build-msvc/kit"
# shellcheck source=.ci/sources.sh
. .ci/sources.sh
out=build-msvc/pch
rm -rf "$out"
mkdir -p "$out"

# The client's project: an extension DLL on the framework's shared DLL, UNICODE, /W4 /WX,
# Visual C++ 19.34; no NOMINMAX, so <windows.h> brings its min and max macros. gpenc's two
# definitions are the project's too: a file built with /Yu may not define more than the
# precompiled header saw (cl.exe: C4605; clang-cl: -Wclang-cl-pch).
# The quotes are meant literally: they make the macro a string for #include.
utf8=  # gpenc's files are ASCII and need no /utf-8 (.ci/codepage.sh)
# shellcheck disable=SC2089
project="-fms-compatibility-version=19.34 $utf8 /W4 /WX -D_AFXDLL -D_AFXEXT -D_WINDOWS -DNDEBUG -DUNICODE -D_UNICODE
  -DGPENC_BUILDING -DGPENC_HOST_HEADER=\"gpenc_host.h\" -Itests/msvc/pch -Itests/framework -Iinclude"
pch="/Fp$out/client.pch"
# gpenc's files, on top of the project's settings.
gpenc="-Isrc -Isrc/text"

# shellcheck disable=SC2086,SC2090 # one option per word; none holds a blank
compile() { "$kit/check.sh" --compile $project "$@"; }

compile /c /Yc"stdafx.h" "$pch" "/Fo$out/stdafx.obj" -- tests/msvc/pch/stdafx.cpp
compile /c /Yu"stdafx.h" "$pch" "/Fo$out/Client.obj" -- tests/msvc/pch/Client.cpp

# The client's DLL has its own DllMain, which registers it with the framework: Module.cpp stays out.
library_sources | grep -v '/Module\.cpp$' >"$out/sources"
require_library_sources "$out/sources" "$(library_sources | grep '/Module\.cpp$')"
# With the precompiled header each compile is short: one at a time.
while read -r f; do
  # shellcheck disable=SC2086,SC2090
  compile /c /Yu"stdafx.h" "$pch" /FI"stdafx.h" $gpenc "/Fo$out/$(basename "$f" .cpp).obj" -- "$f"
done <"$out/sources"

# Each source gave an object, and the objects export the library's classes.
count=0
while read -r f; do
  obj=$out/$(basename "$f" .cpp).obj
  [ -s "$obj" ] || { echo "msvc-pch.sh: no object for $f" >&2; exit 1; }
  count=$((count + 1))
done <"$out/sources"
llvm-readobj-14 --coff-directives "$out"/*.obj | grep -qF '/EXPORT:"??0CEncoder@@QEAA@XZ"' ||
  { echo "msvc-pch.sh: the objects do not export CEncoder's constructor" >&2; exit 1; }

# /Yu alone: gpenc's files never include stdafx.h, so the compiler finds no place to use it.
first=$(head -n 1 "$out/sources")
# shellcheck disable=SC2086,SC2090
if output=$(compile /c /Yu"stdafx.h" "$pch" $gpenc "/Fo$out/alone.obj" -- "$first" 2>&1); then
  echo "msvc-pch.sh: $first compiled with /Yu but without /FI; a project's compiler stops there" >&2
  exit 1
fi
case $output in
  *"stdafx.h' not seen"*) echo "msvc-pch.sh: /Yu without /FI stops, as it should (cl.exe: C1010)" ;;
  *) printf '%s\n' "$output" >&2; echo "msvc-pch.sh: /Yu without /FI stopped for another reason" >&2; exit 1 ;;
esac

# Precompiled headers off for gpenc's files (/Y-), the rest of the project's settings kept.
# shellcheck disable=SC2046,SC2086,SC2090
"$kit/check.sh" $project /Y- $gpenc -- $(cat "$out/sources")

echo "msvc-pch.sh: stdafx.h created (/Yc); $count library sources compiled with /Yu /FI to objects; /Y- compiles them too"
