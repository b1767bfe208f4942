# A package that gives a Debug program the Release libraries (Debug mapped to Release): .ci/multiconfig.sh must fail.
apply() {
  cat >>cmake/gpencConfig.cmake.in <<'CMAKE'
set_property(TARGET gpenc::gpenc gpenc::host gpenc::inspect PROPERTY MAP_IMPORTED_CONFIG_DEBUG RELEASE)
CMAKE
}
check() {
  .ci/multiconfig.sh
}
