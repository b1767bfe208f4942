# GoogleTest missing while the tests are ON, and the configure taking ON as AUTO: README command 2 (ctest --no-tests=error) must fail, not pass as zero tests.
apply() {
  sed -i -e 's/^find_package(GTest QUIET)/find_package(GTestNotInstalled QUIET)/' \
    -e 's/if(choice STREQUAL "AUTO")/if(TRUE)/' cmake/Parts.cmake
}
check() {
  cmake -S . -B build -DGPENC_BUILD_TESTS=ON -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF
  ctest --test-dir build --no-tests=error
}
