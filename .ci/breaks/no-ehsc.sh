# The project no longer adds /EHsc itself, so a configure given -DCMAKE_CXX_FLAGS without it compiles the library with exceptions off; .ci/windows-rules.sh --flags-only must fail.
apply() {
  grep -q 'string(APPEND CMAKE_CXX_FLAGS " /EHsc")' CMakeLists.txt
  sed -i '/string(APPEND CMAKE_CXX_FLAGS " \/EHsc")/d' CMakeLists.txt
}
check() {
  .ci/windows-rules.sh --flags-only
}
