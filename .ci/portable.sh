#!/bin/sh
# The paths Visual C++ compiles, run: the whole suite built with GPENC_PORTABLE,
# which turns off every compiler extension the sources use (src/Compiler.h),
# must pass with the same golden bytes and records. First a check that every
# test of a compiler's macro gives way to the option.
set -eu
cd "$(dirname "$0")/.."
mkdir -p build-portable

# Every file whose preprocessor lines test __GNUC__, __clang__, __SIZEOF_INT128__
# or __ELF__ also tests GPENC_PORTABLE (src/Compiler.h, which names each
# extension as a feature for the rest, and what cannot include it).
git ls-files src include inspect tools >build-portable/files
status=0
while read -r file; do
  case $file in *.h | *.cpp) ;; *) continue ;; esac
  if grep -Eq '^[[:space:]]*#.*(__GNUC__|__clang__|__SIZEOF_INT128__|__ELF__)' "$file" &&
    ! grep -q 'GPENC_PORTABLE' "$file"; then
    echo "portable: $file tests a compiler's macro without GPENC_PORTABLE (see src/Compiler.h)"
    status=1
  fi
done <build-portable/files
[ "$status" -eq 0 ]

cmake -S . -B build-portable -DGPENC_PORTABLE=ON -DGPENC_BUILD_TESTS=ON
cmake --build build-portable -j2
# The option took effect: a library with no initial-exec thread-local access
# is not marked STATIC_TLS, as the default build is.
readelf -d build-portable/src/libgpenc.so.1 >build-portable/dynamic
if grep -q STATIC_TLS build-portable/dynamic; then
  echo "portable: build-portable/src/libgpenc.so.1 still uses the initial-exec TLS model"
  exit 1
fi
ctest --test-dir build-portable --output-on-failure --no-tests=error -j2
