// The reference encoders of the benchmarks produce the frames and JT/T 808
// messages byte for byte; a wrong reference would make every ratio meaningless.
#include "Reference.h"

#include "Hex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using gpenc::reference::Area;
using gpenc::reference::Bytes;
using gpenc::reference::IcCard;
using gpenc::reference::Param;
using gpenc::reference::Setting;
using gpenc::test::Hex;
using gpenc::test::ToHex;

const unsigned char kNoSession[16] = {};
const unsigned char kSession[16] = {0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,
                                    0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf};

Bytes Concat(Bytes a, const std::string& text) {
    a.insert(a.end(), text.begin(), text.end());
    return a;
}

std::string Times(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

// Card dates are sent in local time: these tests run in UTC.
class ReferenceCardTest : public ::testing::Test {
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

// "LI SI", an empty text, a text cut to its last 18 bytes and an empty one,
// dated 2025-03-07 00:00 UTC.
IcCard Card(bool extension) {
    return {"13800138000", {"LI SI", "", "ABCDEFGHIJKLMNOPQRST", ""}, 1741305600, extension, 0x11, 0x22,
            {"ab", "c", "de"}};
}

// Offsets 12 to 144 of both layouts but the length word: a0 00 00, then the
// texts fitted to 32, 18, the date 25 03 07, 18 and 56, and check byte 1, the
// XOR of "LI SI" (3f), the date (1e) and "CDEFGHIJKLMNOPQRST" (17), the even
// number of "H" fillers cancelling out.
const std::string kCardPages = "4c49205349" + Times("480000", 9) + Times("480000", 6) + "250307" +
                               "434445464748494a4b4c4d4e4f5051525354" + Times("480000", 18) + "4800" + "09";

TEST(ReferenceTest, GpFrames) {
    const unsigned char start[6] = {1, 2, 3, 4, 5, 6};
    const struct {
        const char* name;
        Bytes frame;
        Bytes expected;
    } cases[] = {
        {"login",
         [] {
             Bytes out;
             gpenc::reference::GpFrame(
                 1, kNoSession,
                 {Param::Text(0, "a"), Param::Text(1, "b"), Param::Text(2, "c"), Param::Text(3, "d"),
                  Param::Text(4, "e"), Param::Text(5, "f"), Param::Text(6, "g"), Param::Text(7, "h")},
                 out);
             return out;
         }(),
         Hex("47 50 00 1a 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 40 00 00"
             "00 00 00 08 00 00 01 61  00 00 00 08 00 01 01 62  00 00 00 08 00 02 01 63  00 00 00 08 00 03 01 64"
             "00 00 00 08 00 04 01 65  00 00 00 08 00 05 01 66  00 00 00 08 00 06 01 67  00 00 00 08 00 07 01 68")},
        {"video",
         [] {
             Bytes out;
             gpenc::reference::GpFrame(0x19, kSession,
                                       {Param::Text(0, "a"), Param::Byte(1, 0xff), Param::Text(2, "c"),
                                        Param::Int32(3, -2), Param::Text(4, "e")},
                                       out);
             return out;
         }(),
         Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 19 00 00 00 2b 00 00"
             "00 00 00 08 00 00 01 61  00 00 00 08 00 01 09 ff  00 00 00 08 00 02 01 63"
             "00 00 00 0b 00 03 06 ff ff ff fe  00 00 00 08 00 04 01 65")},
        {"six bytes, command above 0xff",
         [&] {
             Bytes out;
             gpenc::reference::GpFrame(0x2345, kSession, {Param::SixBytes(2, start)}, out);
             return out;
         }(),
         Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 23 45 00 00 00 0d 00 00"
             "00 00 00 0d 00 02 0a 01 02 03 04 05 06")},
    };
    for (const auto& c : cases) EXPECT_EQ(ToHex(c.frame), ToHex(c.expected)) << c.name;
}

TEST(ReferenceTest, ParameterSettingMessages) {
    const std::string thirty = "30", seven = "7", word = "74565", none = "", plate = "";
    const Bytes noBytes;
    const struct {
        const char* name;
        std::vector<Setting> settings;
        Bytes expected;
    } cases[] = {
        {"heartbeat 30",
         {{0x0001, &thirty, &noBytes}},
         Hex("81 03 00 0a 00 12 34 56 78 90 00 01  01  00 00 00 01 04 00 00 00 1e")},
        // An id without a type and an empty text are left out and not counted;
        // a word keeps the low 16 bits of 0x12345.
        {"left out, byte, word",
         {{0x0008, &seven, &noBytes}, {0x0083, &plate, &noBytes}, {0x0084, &seven, &noBytes},
          {0x0031, &word, &noBytes}},
         Hex("81 03 00 0e 00 12 34 56 78 90 00 01  02  00 00 00 84 01 07  00 00 00 31 02 23 45")},
        {"nothing sent", {{0x0000, &none, &noBytes}}, Hex("81 03 00 01 00 12 34 56 78 90 00 01  00")},
    };
    for (const auto& c : cases) {
        const std::size_t size = gpenc::reference::ParameterSettingSize(c.settings.data(), c.settings.size());
        Bytes message(size);
        EXPECT_EQ(gpenc::reference::ParameterSetting("1234567890", c.settings.data(), c.settings.size(),
                                                     message.data()),
                  size);
        EXPECT_EQ(ToHex(message), ToHex(c.expected)) << c.name;
    }
}

// Three terminal parameters (a double word, a text, an eight-byte array) set
// in one 0x8103 message carried as hexadecimal text in a command-0x33 frame.
TEST(ReferenceTest, EquipSetListFrame) {
    const std::string terminalNo = "013912345678", heartbeat = "30", address = "10.0.0.1", unused;
    const Bytes can = {1, 2, 3, 4, 5, 6, 7, 8}, noBytes;
    const Setting settings[] = {{0x0001, &heartbeat, &noBytes}, {0x0013, &address, &noBytes}, {0x0110, &unused, &can}};
    Bytes out;
    gpenc::reference::EquipSetList(kSession, terminalNo, settings, 3, out);

    const Bytes expected = Concat(
        Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 33 00 00 00 85 00 00"
            "00 00 00 13 00 00 01 30 31 33 39 31 32 33 34 35 36 37 38"
            "00 00 00 0b 00 01 01 38 31 30 33"
            "00 00 00 67 00 02 01"),
        // head: 8103, body length 36, BCD 013912345678, serial 1; count 3;
        // 0x0001 = 30; 0x0013 = "10.0.0.1"; 0x0110 = 01..08.
        "81030024013912345678""0001"
        "03"
        "00000001""04""0000001e"
        "00000013""08""31302e302e302e31"
        "00000110""08""0102030405060708");
    EXPECT_EQ(out.size(), 163u);
    EXPECT_EQ(ToHex(out), ToHex(expected));
}

}  // namespace

namespace {

TEST_F(ReferenceCardTest, IcCardMessages) {
    const IcCard standard = Card(false), extension = Card(true);
    Bytes message(gpenc::reference::IcCardSize(standard));
    gpenc::reference::IcCardMessage(standard, message.data());
    // Head: 8900, body length 133, BCD 013800138000, serial 1.
    EXPECT_EQ(ToHex(message), ToHex(Hex("89 00 00 85 01 38 00 13 80 00 00 01 a0 00 00 00 80" + kCardPages)));

    message.assign(gpenc::reference::IcCardSize(extension), 0xee);
    gpenc::reference::IcCardMessage(extension, message.data());
    // Body length 261; a5 5a 11 22 and their XOR cc; the three texts with
    // their lengths, zeros up to offset 271, and the XOR of 150 to 271:
    // 02 61 62 01 63 02 64 65 gives 60.
    EXPECT_EQ(ToHex(message), ToHex(Hex("89 00 01 05 01 38 00 13 80 00 00 01 a0 00 00 01 00" + kCardPages +
                                        "a5 5a 11 22 cc  02 61 62 01 63 02 64 65" + Times("00", 114) + "60")));
}

TEST_F(ReferenceCardTest, IcCardFrame) {
    Bytes out;
    gpenc::reference::EquipSetIcCard(kSession, "013912345678", Card(false), out);
    // Key 2 holds the 145-byte message as 290 hex digits: 297 bytes with its head.
    const Bytes expected = Concat(
        Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 33 00 00 01 47 00 00"
            "00 00 00 13 00 00 01 30 31 33 39 31 32 33 34 35 36 37 38"
            "00 00 00 0b 00 01 01 38 39 30 30"
            "00 00 01 29 00 02 01"),
        "890000850138001380000001a000000080" + kCardPages);
    EXPECT_EQ(ToHex(out), ToHex(expected));
}

Area CircularArea(std::uint32_t id, std::uint16_t attr) {
    return {id, attr, 22.5, 114.25, 500, {0x25, 0x01, 0x02, 0x08, 0, 0}, {0x25, 0x12, 0x31, 0x18, 0, 0}, 60, 10};
}

TEST(ReferenceTest, CircularTexts) {
    const Area example = CircularArea(7, 3), wide = CircularArea(0x80000000u, 2);
    const Area both[] = {CircularArea(7, 0), CircularArea(8, 1)};
    const struct {
        const char* name;
        unsigned char attr, count;
        const Area* areas;
        std::size_t n;
        std::size_t room;
        const char* expected;  // nullptr: does not fit
    } cases[] = {
        {"time window and speed limit", 1, 1, &example, 1, 100,
         "1;1;7,3,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00,60,10"},
        {"no areas", 0, 0, nullptr, 0, 100, "0;0"},
        {"an id above 2^31 is written unsigned", 200, 255, &wide, 1, 100,
         "200;255;2147483648,2,22.500000,114.250000,500,60,10"},
        {"two areas, the count as given", 0, 9, both, 2, 200,
         "0;9;7,0,22.500000,114.250000,500,8,1,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00"},
        {"one character short", 0, 0, nullptr, 0, 3, nullptr},
    };
    for (const auto& c : cases) {
        char text[200];
        const std::size_t size = gpenc::reference::CircularText(c.attr, c.count, c.areas, c.n, text, c.room);
        EXPECT_EQ(std::string(text, size), c.expected != nullptr ? c.expected : "") << c.name;
    }
}

TEST(ReferenceTest, AlarmSetFrame) {
    Bytes out;
    gpenc::reference::EquipAlarmSet(kSession, "013912345678", 0, 0, nullptr, 0, out);
    EXPECT_EQ(ToHex(out),
              ToHex(Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 33 00 00 00 28 00 00"
                        "00 00 00 13 00 00 01 30 31 33 39 31 32 33 34 35 36 37 38"
                        "00 00 00 0b 00 01 01 38 36 30 30"
                        "00 00 00 0a 00 02 01 30 3b 30")));
}

// The single-record form's frame: one heartbeat setting.
TEST(ReferenceTest, EquipSetOneSettingFrame) {
    const std::string thirty = "30";
    const Bytes noBytes;
    const Setting heartbeat = {0x0001, &thirty, &noBytes};
    Bytes out;
    gpenc::reference::EquipSetList(kSession, "013912345678", &heartbeat, 1, out);
    const Bytes expected = Concat(
        Hex("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 33 00 00 00 51 00 00"
            "00 00 00 13 00 00 01 30 31 33 39 31 32 33 34 35 36 37 38"
            "00 00 00 0b 00 01 01 38 31 30 33"
            "00 00 00 33 00 02 01"),
        "8103000a013912345678000101""00000001""04""0000001e");
    EXPECT_EQ(ToHex(out), ToHex(expected));
}

}  // namespace
