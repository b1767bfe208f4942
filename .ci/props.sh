#!/bin/sh
# gpenc.props, the property sheet of Route B (docs/host.md): its sources against git ls-files (every
# library source but src/core/Module.cpp, each once, nothing else), its include folders against the
# tree, then each source it lists compiled in Visual C++ mode through the kit (.ci/msvc-kit/check.sh:
# clang-cl, Microsoft's standard library headers, /W4 /WX) with the sheet's definitions and include
# folders, against the framework-shaped host's header as the client's project has it (.ci/props.py).
# Usage: .ci/props.sh [--list-only]   (--list-only: the lists, no compile)
# Needs: python3, and for the compile clang-14 lld-14 llvm-14 libwine-dev liblog4cplus-dev.
set -eu
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--list-only" ]; then
  exec python3 .ci/props.py
fi
export MSVC_KIT_CACHE="${MSVC_KIT_CACHE:-$PWD/build-props/kit}"
mkdir -p "$MSVC_KIT_CACHE"
.ci/msvc-kit/check.sh --  # unpacks the kit's headers once, before two compilers read them
python3 .ci/props.py --compile .ci/msvc-kit/check.sh tests/framework/gpenc_host.h
