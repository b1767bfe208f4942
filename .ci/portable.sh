#!/bin/sh
# The paths Visual C++ compiles, run: the whole suite built with GPENC_PORTABLE,
# which turns off every compiler extension the sources use (src/Compiler.h),
# must pass with the same golden bytes and records. .ci/codepage.sh builds and
# runs that suite (build-cp936, code page 936 as well, as Visual C++ on a
# Chinese system); this script runs after it: a check that every test of a
# compiler's macro gives way to the option, and that the option took effect.
set -eu
cd "$(dirname "$0")/.."
build="build-cp936"
[ -f $build/CMakeCache.txt ] && grep -q '^GPENC_PORTABLE:BOOL=ON' $build/CMakeCache.txt ||
  { echo "portable: no GPENC_PORTABLE build in $build: run .ci/codepage.sh first" >&2; exit 1; }

# Every file whose preprocessor lines test __GNUC__, __clang__, __SIZEOF_INT128__
# or __ELF__ also tests GPENC_PORTABLE (src/Compiler.h, which names each
# extension as a feature for the rest, and what cannot include it).
git ls-files src include inspect tools >$build/files
status=0
while read -r file; do
  case $file in *.h | *.cpp) ;; *) continue ;; esac
  if grep -Eq '^[[:space:]]*#.*(__GNUC__|__clang__|__SIZEOF_INT128__|__ELF__)' "$file" &&
    ! grep -q 'GPENC_PORTABLE' "$file"; then
    echo "portable: $file tests a compiler's macro without GPENC_PORTABLE (see src/Compiler.h)"
    status=1
  fi
done <$build/files
[ "$status" -eq 0 ]

# The option took effect: a library with no initial-exec thread-local access
# is not marked STATIC_TLS, as the default build is.
readelf -d $build/src/libgpenc.so.1 >$build/dynamic
if grep -q STATIC_TLS $build/dynamic; then
  echo "portable: $build/src/libgpenc.so.1 still uses the initial-exec TLS model"
  exit 1
fi
