# Plants a package that gives a Debug program the Release libraries (the Debug
# configuration mapped to Release); .ci/multiconfig.sh must catch it.
apply() {
  cat >>cmake/gpencConfig.cmake.in <<'CMAKE'
set_property(TARGET gpenc::gpenc gpenc::host gpenc::inspect PROPERTY MAP_IMPORTED_CONFIG_DEBUG RELEASE)
CMAKE
}
check() {
  .ci/multiconfig.sh
}
