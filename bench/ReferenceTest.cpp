// The reference encoders of the benchmarks produce the library's bytes: one
// golden frame or message each, since a wrong reference makes every ratio meaningless.
#include "Reference.h"

#include "Hex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

namespace ref = gpenc::reference;
using ref::Bytes;
using gpenc::test::Hex;
using gpenc::test::Times;
using gpenc::test::ToHex;

const unsigned char kSession[16] = {0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,
                                    0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf};
const std::string kTerminal = "013912345678";

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A command-0x33 frame of kSession for kTerminal: its parameter length, the
// 808 message id text and the key-2 record length as hex, then key 2's text.
Bytes Tunnel(const std::string& length, const std::string& id, const std::string& key2, const std::string& text) {
    Bytes b = Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 33" + length + "00 00"
                  "00 00 00 13 00 00 01 30 31 33 39 31 32 33 34 35 36 37 38  00 00 00 0b 00 01 01" + id + key2 +
                  "00 02 01"), t = Text(text);
    b.insert(b.end(), t.begin(), t.end());
    return b;
}

// "LI SI", an empty text, a text cut to its last 18 bytes and an empty one,
// dated 2025-03-07 00:00 UTC.
ref::IcCard Card(bool extension) {
    return {"13800138000", {"LI SI", "", "ABCDEFGHIJKLMNOPQRST", ""}, 1741305600, extension, 0x11, 0x22,
            {"ab", "c", "de"}};
}

// Offsets 17 to 144 of both card layouts: the texts fitted to 32, 18, the date
// 25 03 07, 18 and 56, and check byte 1, the XOR of "LI SI" (3f), the date (1e)
// and "CDEFGHIJKLMNOPQRST" (17), the even number of "H" fillers cancelling out.
const std::string kCardPages = "4c49205349" + Times("480000", 9) + Times("480000", 6) + "250307" +
                               "434445464748494a4b4c4d4e4f5051525354" + Times("480000", 18) + "4800" + "09";

ref::Area CircularArea() {
    return {7, 3, 22.5, 114.25, 500, {0x25, 0x01, 0x02, 0x08, 0, 0}, {0x25, 0x12, 0x31, 0x18, 0, 0}, 60, 10};
}

// Card dates are sent in local time: the test runs in UTC.
class ReferenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(ReferenceTest, OneGoldenFramePerEncoder) {
    const unsigned char six[6] = {1, 2, 3, 4, 5, 6};
    const std::string thirty = "30", seven = "7", word = "74565", empty, address = "10.0.0.1";
    const Bytes noBytes, can = {1, 2, 3, 4, 5, 6, 7, 8};
    // An id without a type and an empty text are left out and not counted; a
    // word keeps the low 16 bits of 0x12345.
    const ref::Setting mixed[] = {
        {0x0008, &seven, &noBytes}, {0x0083, &empty, &noBytes}, {0x0084, &seven, &noBytes}, {0x0031, &word, &noBytes}};
    const ref::Setting three[] = {{0x0001, &thirty, &noBytes}, {0x0013, &address, &noBytes}, {0x0110, &empty, &can}};
    const ref::Area area = CircularArea();
    const struct {
        const char* name;
        std::function<void(Bytes&)> build;
        Bytes expected;
    } cases[] = {
        {"GpFrame: every value kind, a command above 0xff",
         [&](Bytes& out) {
             ref::GpFrame(0x2345, kSession,
                          {ref::Param::Text(0, "a"), ref::Param::Byte(1, 0xff), ref::Param::Int32(3, -2),
                           ref::Param::SixBytes(2, six)},
                          out);
         },
         Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 23 45 00 00 00 28 00 00"
             "00 00 00 08 00 00 01 61  00 00 00 08 00 01 09 ff  00 00 00 0b 00 03 06 ff ff ff fe"
             "00 00 00 0d 00 02 0a 01 02 03 04 05 06")},
        {"ParameterSetting: left out, byte, word",
         [&](Bytes& out) {
             out.resize(ref::ParameterSettingSize(mixed, 4));
             out.resize(ref::ParameterSetting("1234567890", mixed, 4, out.data()));
         },
         Hex("81 03 00 0e 00 12 34 56 78 90 00 01  02  00 00 00 84 01 07  00 00 00 31 02 23 45")},
        // Head 8103, body length 36, BCD 013912345678, serial 1; count 3;
        // 0x0001 = 30; 0x0013 = "10.0.0.1"; 0x0110 = 01..08.
        {"EquipSetList: a double word, a text and a byte array",
         [&](Bytes& out) { ref::EquipSetList(kSession, kTerminal, three, 3, out); },
         Tunnel("00 00 00 85", "38 31 30 33", "00 00 00 67",
                "81030024013912345678" "0001" "03" "00000001" "04" "0000001e" "00000013" "08" "31302e302e302e31"
                "00000110" "08" "0102030405060708")},
        // Body length 261; a5 5a 11 22 and their XOR cc; the three texts with
        // their lengths, zeros up to offset 271, and the XOR of 150 to 271:
        // 02 61 62 01 63 02 64 65 gives 60.
        {"IcCardMessage: extension layout",
         [&](Bytes& out) {
             out.assign(ref::IcCardSize(Card(true)), 0xee);
             ref::IcCardMessage(Card(true), out.data());
         },
         Hex("89 00 01 05 01 38 00 13 80 00 00 01 a0 00 00 01 00" + kCardPages +
             "a5 5a 11 22 cc  02 61 62 01 63 02 64 65" + Times("00", 114) + "60")},
        // Key 2 holds the 145-byte message as 290 hex digits.
        {"EquipSetIcCard: standard layout",
         [&](Bytes& out) { ref::EquipSetIcCard(kSession, kTerminal, Card(false), out); },
         Tunnel("00 00 01 47", "38 39 30 30", "00 00 01 29", "890000850138001380000001a000000080" + kCardPages)},
        {"CircularText: time window and speed limit",
         [&](Bytes& out) {
             char text[100];
             const std::size_t n = ref::CircularText(1, 1, &area, 1, text, sizeof text);
             out.assign(text, text + n);
         },
         Text("1;1;7,3,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00,60,10")},
        {"EquipAlarmSet: no areas",
         [&](Bytes& out) { ref::EquipAlarmSet(kSession, kTerminal, 0, 0, nullptr, 0, out); },
         Tunnel("00 00 00 28", "38 36 30 30", "00 00 00 0a", "0;0")},
    };
    for (const auto& c : cases) {
        Bytes out;
        c.build(out);
        EXPECT_EQ(ToHex(out), ToHex(c.expected)) << c.name;
    }
}

}  // namespace
