// The reference encoders of the benchmarks produce the library's bytes (a wrong reference makes every ratio
// meaningless): one golden frame each; a composed encoder's also covers the parts the benchmarks call alone.
#include "Reference.h"

#include "Floor.h"
#include "Hex.h"
#include "TestHost.h"
#include "gpenc/Encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

namespace ref = gpenc::reference;
using namespace gpenc::test;

const unsigned char kSession[16] = {0xa0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0xaf};
const std::string kHead = "47 50 00 1a 00 01 a0 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e af";
const std::string kTerminal = "013912345678";

// The command-0x33 frame for kTerminal of these hex lengths and message id text, then key 2's text without blanks.
std::string Tunnel(const std::string& length, const std::string& id, const std::string& key2, std::string text) {
    ref::Bytes b = Hex(kHead + "00 33" + length + "00 00  00 00 00 13 00 00 01 30 31 33 39 31 32 33 34 35 36 37 38" +
                       "00 00 00 0b 00 01 01" + id + key2 + "00 02 01");
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    b.insert(b.end(), text.begin(), text.end());
    return ToHex(b);
}

TEST(ReferenceTest, GpFrame) {
    const unsigned char six[6] = {1, 2, 3, 4, 5, 6};
    const ref::Param params[] = {ref::Param::Text(0, "a"), ref::Param::Byte(1, 0xff), ref::Param::Int32(3, -2),
                                 ref::Param::SixBytes(2, six)};
    ref::Bytes out;
    ref::GpFrame(0x2345, kSession, params, 4, out);
    EXPECT_EQ(ToHex(out),
              ToHex(Hex(kHead + "23 45 00 00 00 28 00 00  00 00 00 08 00 00 01 61  00 00 00 08 00 01 09 ff" +
                        "00 00 00 0b 00 03 06 ff ff ff fe  00 00 00 0d 00 02 0a 01 02 03 04 05 06")));
}

TEST(ReferenceTest, EquipSetList) {
    // 74565 is 0x12345: a byte and a word keep its low bits.
    const std::string n = "74565", ip = "10.0.0.1";
    const ref::Bytes no, can = {1, 2, 3, 4, 5, 6, 7, 8};
    const ref::Setting list[] = {{1, &n, &no}, {0x13, &ip, &no}, {0x84, &n, &no}, {0x31, &n, &no}, {0x110, &n, &can}};
    ref::Bytes out;
    ref::EquipSetList(kSession, kTerminal, list, 5, out);
    EXPECT_EQ(ToHex(out), Tunnel("00 00 00 9f", "38 31 30 33", "00 00 00 81",
                                 "8103 0031 013912345678 0001 05  00000001 04 00012345  00000013 08 31302e302e302e31  "
                                 "00000084 01 45  00000031 02 2345  00000110 08 0102030405060708"));
}

// The extension layout of "LI SI", an empty text, one cut to its last 18 bytes and an empty one, dated
// 2025-03-07 in UTC: check bytes 09 (offsets 17 to 143, the fillers cancel out), cc and 60 (150 to 271).
TEST(ReferenceTest, EquipSetIcCard) {
    setenv("TZ", "UTC0", 1);  // the date is sent in local time
    tzset();
    const ref::IcCard card = {"13800138000",    {"LI SI", "", "ABCDEFGHIJKLMNOPQRST", ""}, 1741305600, true, 0x11, 0x22,
                              {"ab", "c", "de"}};
    ref::Bytes out;
    ref::EquipSetIcCard(kSession, kTerminal, card, out);
    EXPECT_EQ(ToHex(out), Tunnel("00 00 02 47", "38 39 30 30", "00 00 02 29",
                                 "8900 0105 013800138000 0001 a0 0000 0100 4c49205349" + Times("480000", 15) +
                                     "250307 434445464748494a4b4c4d4e4f5051525354" + Times("480000", 18) +
                                     "4800 09  a55a1122 cc 02 6162 01 63 02 6465" + Times("00", 114) + "60"));
}

TEST(ReferenceTest, EquipAlarmSet) {
    const ref::Area area = {7, 3, 22.5, 114.25, 500, {0x25, 1, 2, 8, 0, 0}, {0x25, 0x12, 0x31, 0x18, 0, 0}, 60, 10};
    ref::Bytes out;
    ref::EquipAlarmSet(kSession, kTerminal, 1, 1, &area, 1, out);
    EXPECT_EQ(ToHex(out), Tunnel("00 00 00 6f", "38 36 30 30", "00 00 00 51",
                                 "1;1;7,3,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00,60,10"));
}

// The floors of bench/count.py write what the library writes for count.py's inputs: both against one text.
TEST(ReferenceTest, Floors) {
    auto entry = [](unsigned id, EequipParmDataType type, std::uint32_t number, const char* text) {
        EquipParmSet_EquipConfig e;
        e.strPhoneNo = "013912344323";
        e.eParmMark = static_cast<EequipParameterMark>(id);
        e.eDataType = type;
        e.dwValue = number;
        e.strValue = text;
        return e;
    };
    const std::vector<EquipParmSet_EquipConfig> list = {
        entry(0x0001, DATATYPE_DWORD, 66, "66"), entry(0x0013, DATATYPE_STRING, 0, "www.xxx.fff.zzz.com"),
        entry(0x0081, DATATYPE_WORD, 11, "11"), entry(0x0084, DATATYPE_BYTE, 1, "1")};
    const std::string parmSet =
        ToHex(Hex("81 03 00 2f 01 39 12 34 43 23 00 01 04  00 00 00 01 04 00 00 00 42"
                  " 00 00 00 13 13 77 77 77 2e 78 78 78 2e 66 66 66 2e 7a 7a 7a 2e 63 6f 6d"
                  " 00 00 00 81 02 00 0b  00 00 00 84 01 01"));
    const std::string commonData = ToHex(Hex(kHead + "00 02 00 00 00 00 00 00"));
    gpenc::test::host::SetSession(kSession);
    ref::Bytes floors[2], library[2];
    EXPECT_TRUE(ref::ParameterSettingFloor(list, floors[0]));
    EXPECT_TRUE(CEncoder_Standard().ParmSet_Get808ParmSetVector(list, library[0]));
    ref::CommonDataFloor(2, kSession, floors[1]);
    EXPECT_TRUE(CEncoder().CommonData(2, library[1]));
    EXPECT_EQ(ToHex(floors[0]), parmSet);
    EXPECT_EQ(ToHex(library[0]), parmSet);
    EXPECT_EQ(ToHex(floors[1]), commonData);
    EXPECT_EQ(ToHex(library[1]), commonData);
    gpenc::test::host::SetSession(std::vector<unsigned char>(16).data());
}

}  // namespace
