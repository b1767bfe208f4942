# The inspector's 0x007C layout reads each timed period's shut-down time before its wake-up time: the inspector's tests (gpenc_inspect_tests, the JT/T 1078 rows) must fail.
# The widths still add up to 20 bytes, so the layout's static_assert passes;
# only the published vector's field values tell the order.
apply() {
  grep -q '{"period_1_wake", "period 1 wake-up time", 2, kTime},' inspect/src/Tables.cpp
  sed -i -e 's|{"period_1_wake", "period 1 wake-up time", 2, kTime},|{"period_1_sleep", "period 1 shut-down time", 2, kTime}, //|' \
    -e 's|^\(    \){"period_1_sleep", "period 1 shut-down time", 2, kTime},$|\1{"period_1_wake", "period 1 wake-up time", 2, kTime},|' \
    inspect/src/Tables.cpp
  grep -q '{"period_1_sleep", "period 1 shut-down time", 2, kTime}, //' inspect/src/Tables.cpp
}
check() {
  cmake -S . -B build -G Ninja -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build build -j2 --target gpenc_inspect_tests
  build/inspect/tests/gpenc_inspect_tests --gtest_brief=1
}
