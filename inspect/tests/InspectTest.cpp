#include <gtest/gtest.h>
#include "gpenc/Inspect.h"
#include "Hex.h"
#include <iostream>
using namespace gpenc::inspect;
TEST(X, Y) {
  auto b = gpenc::test::Hex("47 50 00 1a 00 01 000102030405060708090a0b0c0d0e0f 00 33 00 00 00 51 00 00"
    "00 00 00 13 00 00 01 303132333435363738393031"
    "00 00 00 0b 00 01 01 38313033"
    "00 00 00 33 00 02 01 38313033303030613030313233343536373839303030303130313030303030303031303430303030303031653030");
  auto d = DecodeFrames(b);
  std::cout << RenderText(d) << RenderJson(d);
}
