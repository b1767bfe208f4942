// The GP frame's own steps (the hex and byte-order conversions, the
// text step, the session fetch) and the login frame, byte for byte.
#include "Hex.h"
#include "Session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using gpenc::test::Hex;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;

namespace {

const unsigned char kNoSession[16] = {};

using FrameTest = gpenc::test::SessionTest;

// The reset before each parameter record clears what the next record sets,
// and leaves paraByte and paraBytes as they were.
TEST_F(FrameTest, ResetKeepsByteAndBytes) {
    CEncoder e;
    ParameterConfig c{1, 9, "abc", 4, 7, {0, 0, 0, 0, 0, 1}, {1, 2}};
    ASSERT_TRUE(GpencTestAccess::initParameterConfig(e, c));
    EXPECT_EQ(std::tuple(c.paraType, c.paraKey, c.paraText, c.paraInt32, c.paraSixBytes[5], c.paraByte, c.paraBytes),
              std::tuple(0, 0u, std::string(), 0, 0, 7, Bytes{1, 2}));
}

TEST_F(FrameTest, Change16To10) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {nullptr, 0}, {"", 0},      {"1a", 26},          {"1A", 26}, {"0010", 16},
        {"0x10", -1}, {"-1", -1},   {"ffffffff", -1},    {" 1", -1}, {"7fffffff", 0x7fffffff},
        {"80000000", INT32_MIN},    {"123456789", 0x23456789},  // wraps at 32 bits
    };
    for (const auto& c : cases) {
        CEncoder e;
        EXPECT_EQ(GpencTestAccess::Change16To10(e, c.text), c.value) << (c.text ? c.text : "(null)");
    }
}

TEST_F(FrameTest, ChangeOrderRefusesCountsOutsideItsScratch) {
    CEncoder e;
    unsigned char b[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_FALSE(GpencTestAccess::ChangeOrder(e, 0, b));
    EXPECT_FALSE(GpencTestAccess::ChangeOrder(e, -1, b));
    EXPECT_FALSE(GpencTestAccess::ChangeOrder(e, 9, b));
    EXPECT_TRUE(GpencTestAccess::ChangeOrder(e, 8, b));
    EXPECT_TRUE(GpencTestAccess::ChangeOrder(e, 8, b));  // turned back
    EXPECT_TRUE(GpencTestAccess::ChangeOrder(e, 3, b));
    EXPECT_EQ(ToHex(Bytes(b, b + 4)), "03 02 01 04");
}

// No builder goes through GetParaStr, but it keeps its contract: the text's
// bytes go in front of what `out` holds, the result is its size, and an empty
// text is refused with 0, `out` as it was.
TEST_F(FrameTest, GetParaStrInsertsAtTheFront) {
    CEncoder e;
    Bytes out = Hex("78 79");
    EXPECT_EQ(GpencTestAccess::GetParaStr(e, std::string("a\0b", 3), out), 5);
    EXPECT_EQ(GpencTestAccess::GetParaStr(e, "", out), 0);
    EXPECT_EQ(ToHex(out), "61 00 62 78 79");
    EXPECT_EQ(gpenc::test::Errors(log), std::vector<std::string>{"(CEncoder::GetParaStr)目标字符串为空。"});
}

// Nine bytes of a login record: length 8, key, kind 1, one character.
const char kLogin94[] =
    "47 50 00 1a 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 40 00 00"
    "00 00 00 08 00 00 01 61  00 00 00 08 00 01 01 62  00 00 00 08 00 02 01 63"
    "00 00 00 08 00 03 01 64  00 00 00 08 00 04 01 65  00 00 00 08 00 05 01 66"
    "00 00 00 08 00 06 01 67  00 00 00 08 00 07 01 68";

TEST_F(FrameTest, LoginNeverFetchesTheSession) {
    sUserLogin l = {"a", "b", "c", "d", "e", "f", "g", "h"};
    CEncoder e;
    Bytes out;
    ASSERT_TRUE(e.UserLogin(&l, out));
    EXPECT_EQ(ToHex(out), ToHex(Hex(kLogin94)));
    EXPECT_EQ(std::memcmp(GpencTestAccess::Session(e), kNoSession, 16), 0);
}

// A fetched id is kept: the store changing later does not reach an object
// that already has one, and a second builder on the object builds a whole frame
// of its own after what `out` holds.
// Any non-zero byte makes an id, the last one alone too.
TEST_F(FrameTest, FetchedSessionIsNeverFetchedAgain) {
    const std::pair<std::string, std::string> cases[] = {
        {"a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af", "a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01"},
        {"01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", "01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", "b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 ba bb bc bd be bf"},
    };
    for (const auto& [first, second] : cases) {
        gpenc::test::host::SetSession(Hex(first).data());
        CEncoder e;
        Bytes frame1, frame2 = {0x99};
        ASSERT_TRUE(e.CommonData(2, frame1));
        gpenc::test::host::SetSession(Hex("b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 ba bb bc bd be bf").data());
        ASSERT_TRUE(e.CommonData(4, frame2));
        GpencTestAccess::Watch(e);
        EXPECT_EQ(ToHex(Bytes(frame1.begin() + 6, frame1.begin() + 22)), first);
        // The second frame is whole, after the caller's byte.
        EXPECT_EQ(ToHex(frame2), "99 47 50 00 1a 00 01 " + second + " 00 04 00 00 00 00 00 00") << first;
        EXPECT_TRUE(gpenc::test::Whole(gpenc::test::kFrame, frame2));
    }
}

}  // namespace
