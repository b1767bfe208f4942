// The JT/T 808 encoder: message head, BCD and check helpers, the terminal
// parameter table and the 0x8103 parameter-setting message, byte for byte.
#include "Hex.h"
#include "Session.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

using gpenc::test::Hex;
using gpenc::test::LogCapture;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;
using Access = GpencTestAccess;
using Texts = std::vector<std::string>;

namespace {

// Keeps the log quiet unless a test records it.
struct Quiet : ::testing::Test {
    LogCapture quiet_{60000};
};
using StandardTest = Quiet;

EquipParmSet_EquipConfig Entry(std::uint32_t id, EequipParmDataType type, std::uint32_t value = 0,
                               std::string text = "", Bytes bytes = {}) {
    EquipParmSet_EquipConfig c;
    c.strPhoneNo = "13800138000";
    c.eParmMark = static_cast<EequipParameterMark>(id);
    c.eDataType = type;
    c.dwValue = value;
    c.strValue = std::move(text);
    c.vecValueBytes = std::move(bytes);
    return c;
}

EquipParmSet_EquipConfig Heartbeat30(std::string phone = "1234567890") {
    EquipParmSet_EquipConfig c = Entry(0x0001, DATATYPE_DWORD, 30);
    c.strPhoneNo = std::move(phone);
    return c;
}

TEST_F(StandardTest, HeadLayoutAndPhoneNumbers) {
    const struct {
        std::uint16_t id;
        const char* phone;
        bool ok;
        const char* bytes;  // on failure nothing: the digits are read before anything is written
    } cases[] = {
        {0x0001, "1234567890", true, "00 01 00 00 00 12 34 56 78 90 00 01"},
        {0x8600, "123456789012", true, "86 00 00 00 12 34 56 78 90 12 00 01"},
        {0x1234, "", true, "12 34 00 00 00 00 00 00 00 00 00 01"},
        {0x0001, "abcDEF", true, "00 01 00 00 00 00 00 ab cd ef 00 01"},
        {0x8103, "7", true, "81 03 00 01 00 00 00 00 00 07 00 01 00"},  // count byte of an empty list
        {0x0001, "1234567890123", false, ""},
        {0x0001, "12345678901g", false, ""},
        {0x0001, "1234.5678901", false, ""},
        // a digit pair with a sign or a blank is no number
        {0x0001, "-4", false, ""},
        {0x0001, " 7", false, ""},
        {0x0001, "+1", false, ""},
        {0x0001, "7 ", false, ""},
    };
    for (const auto& c : cases) {
        CEncoder_Standard e;
        Bytes out = {0xee};
        ASSERT_TRUE(Access::SetMsgData_StandardMsgHead(e, c.id, c.phone));
        EXPECT_EQ(Access::GetMsgData(e, c.id, out), c.ok) << c.phone;
        Access::Watch(e);
        EXPECT_EQ(ToHex(out), ToHex(Hex(c.bytes))) << c.phone;
    }
}

// The exported pair reader takes exactly two hexadecimal digits, and leaves
// the value alone when it refuses. Row: text, accepted, value after.
TEST_F(StandardTest, CharTohexTakesExactlyTwoDigits) {
    const std::tuple<const char*, bool, int> cases[] = {
        {"00", true, 0},   {"1f", true, 31},   {"F0", true, 240},  {"aB", true, 171}, {"", false, -7},
        {"1", false, -7},  {"123", false, -7}, {"-1", false, -7}, {" 1", false, -7}, {"1g", false, -7},
    };
    for (const auto& [text, ok, value] : cases) {
        CEncoder_Standard e;
        int got = -7;
        EXPECT_EQ(Access::charTohex(e, text, got), ok) << text;
        EXPECT_EQ(got, value) << text;
    }
}

TEST_F(StandardTest, DecToBcd) {
    const struct {
        int value, count;
        const char* bytes;  // of a buffer that starts as aa aa aa aa
    } cases[] = {
        {25, 1, "25 aa aa aa"},  {123456, 3, "12 34 56 aa"}, {5, 2, "00 05 aa aa"},  {0, 1, "00 aa aa aa"},
        {-1, 1, "0f aa aa aa"},  {-2000, 1, "00 aa aa aa"},  {-30, 1, "d0 aa aa aa"}, {-25, 1, "eb aa aa aa"},
        {1234, 1, "34 aa aa aa"}, {12345678, 4, "12 34 56 78"}, {INT_MIN, 4, "c9 c8 da c8"},
        {7, 0, "aa aa aa aa"},   {7, -1, "aa aa aa aa"}, {7, INT_MIN, "aa aa aa aa"},
    };
    CEncoder_Standard e;
    for (const auto& c : cases) {
        Bytes buf(4, 0xaa);
        EXPECT_EQ(e.DecToBCD(c.value, buf.data(), c.count), 0);
        EXPECT_EQ(ToHex(buf), ToHex(Hex(c.bytes))) << c.value << " " << c.count;
    }
    EXPECT_EQ(e.DecToBCD(7, nullptr, INT_MAX), 0);  // no buffer: nothing written
}

TEST_F(StandardTest, XorCombinesEveryByteOfTheRange) {
    const Bytes data = Hex("0f 01 02 04 08 0f");
    const struct {
        int first, last;
        int check;  // -1: refused, check unchanged
        const char* reason = "";  // the whole last failure after "CEncoder_Standard::Xor: "
    } cases[] = {
        // an OR of the last byte would give 0f, 08, 0f and 0f
        {1, 5, 0x00}, {0, 4, 0x00}, {0, 1, 0x0e}, {4, 5, 0x07},
        {2, 2, -1, "last: must be above first 2, got 2"}, {3, 1, -1, "last: must be above first 3, got 1"},
        {0, 6, -1, "last: must be below data.size() 6, got 6"}, {-1, 2, -1, "first: must not be negative, got -1"},
        {INT_MIN, 0, -1, "first: must not be negative, got -2147483648"},
    };
    CEncoder_Standard e;
    for (const auto& c : cases) {
        unsigned char check = 0x77;
        EXPECT_EQ(e.Xor(data, c.first, c.last, check), c.check >= 0) << c.first << ".." << c.last;
        EXPECT_EQ(check, c.check >= 0 ? c.check : 0x77) << c.first << ".." << c.last;
        EXPECT_EQ(gpenc::LastFailure(), c.check >= 0 ? "" : std::string("CEncoder_Standard::Xor: ") + c.reason)
            << c.first << ".." << c.last;
    }
    unsigned char check = 0;
    EXPECT_FALSE(e.Xor({}, 0, 0, check));  // nothing to check
    LogCapture log;
    EXPECT_FALSE(e.Xor(data, 1, 1, check));
    EXPECT_EQ(log.texts(), (Texts{"(CEncoder_Standard::Xor） 开始>>>>>", "(CEncoder_Standard::Xor） 校验失败>>>>>",
                                  "(CEncoder_Standard::Xor） 结束>>>>>"}));
    EXPECT_TRUE(log.errors().empty());
}

// The two list builders: the message ("ee", the caller's byte, when refused;
// a trailing "..." compares a prefix) and the ERROR records.
TEST_F(StandardTest, ListBuilders) {
    using List = std::vector<EquipParmSet_EquipConfig>;
    const std::string failed = "(CEncoder_Standard::SetOnceParameterData)运行失败";
    // 1 count byte, three 260-byte entries and one of 5 + n bytes.
    auto body = [](std::size_t n) {
        List list(3, Entry(0x0110, DATATYPE_BYTES, 0, "", Bytes(255, 1)));
        list.push_back(Entry(0x0111, DATATYPE_BYTES, 0, "", Bytes(n, 2)));
        return list;
    };
    const List none, longPhone = {Heartbeat30("1234567890123")};
    // A quote ends after 40 characters, never inside one of several bytes:
    // "中" in the caller's code page (GBK, as the Windows runs use; else
    // UTF-8), quoted in UTF-8.
#if defined(_WIN32)
    const std::string zhong = "\xD6\xD0";
#else
    const std::string zhong = "\xE4\xB8\xAD";
#endif
    std::string forty, fortyUtf8;
    for (int i = 0; i < 40; ++i) {
        forty += zhong;
        fortyUtf8 += "\xE4\xB8\xAD";
    }
    const std::string quoted = "ParmSet_Get808ParmSetVector: list[0].strPhoneNo: longer than 12 digits: \"" + fortyUtf8;
    const std::string whole = quoted + "\"", cut = quoted + "\"...";

    const struct {
        const char* what;
        bool mainServer;
        List list;
        bool ok;
        std::string bytes;
        Texts errors;
        const char* reason = "";  // the whole last failure after "CEncoder_Standard::"
    } cases[] = {
        {"one entry of every type; an empty text and an id without a type left out", false,
         {Entry(0x0013, DATATYPE_STRING, 0, "abc"), Entry(0x0014, DATATYPE_STRING, 0, ""),
          Entry(0x0031, DATATYPE_WORD, 0x12345), Entry(0x0080, DATATYPE_DWORD, 0x01020304),
          Entry(0x0008, DATATYPE_NONE, 5), Entry(0x0084, DATATYPE_BYTE, 0x1ff),
          Entry(0x0110, DATATYPE_BYTES, 0, "", Hex("de ad be ef 00 01 02 03")), Entry(0x0111, DATATYPE_BYTES)},
         true,
         "81 03 00 31 01 38 00 13 80 00 00 01 06  00 00 00 13 03 61 62 63  00 00 00 31 02 23 45"
         "  00 00 00 80 04 01 02 03 04  00 00 00 84 01 ff  00 00 01 10 08 de ad be ef 00 01 02 03  00 00 01 11 00",
         {failed, failed}},
        {"the main server carries only string and double-word values", true,
         {Entry(0x0013, DATATYPE_STRING, 0, "10.0.0.1"), Entry(0x0018, DATATYPE_DWORD, 9000),
          Entry(0x0031, DATATYPE_WORD, 0x1234), Entry(0x0110, DATATYPE_BYTES, 0, "", Hex("01 02"))},
         true,
         "81 03 00 23 01 38 00 13 80 00 00 01 04  00 00 00 13 08 31 30 2e 30 2e 30 2e 31"
         "  00 00 00 18 04 00 00 23 28  00 00 00 31 02 00 00  00 00 01 10 00",
         {}},
        {"a value of 256 bytes left out, the count byte true", false,
         {Entry(0x0083, DATATYPE_STRING, 0, std::string(256, 'x')), Entry(0x0084, DATATYPE_BYTE, 7)}, true,
         "81 03 00 07 01 38 00 13 80 00 00 01 01 00 00 00 84 01 07", {failed}},
        {"a body of 1023 bytes", false, body(237), true, "81 03 03 ff ...", {}},
        {"a body of 1024 bytes", false, body(238), false, "ee", {"得到信息失败"},
         "ParmSet_Get808ParmSetVector: list: must fill a body of at most 1023 bytes, got 1024"},
        {"no entries", false, none, false, "ee", {"设置信息失败"}, "ParmSet_Get808ParmSetVector: list: must not be empty"},
        {"no phone number", false, {Heartbeat30("")}, false, "ee", {"设置信息失败"},
         "ParmSet_Get808ParmSetVector: list[0].strPhoneNo: must not be empty"},
        {"a phone number of 13 digits", false, longPhone, false, "ee", {"得到信息失败"},
         "ParmSet_Get808ParmSetVector: list[0].strPhoneNo: longer than 12 digits: \"1234567890123\""},
        {"a phone number of 40 characters", false, {Heartbeat30(forty)}, false, "ee", {"得到信息失败"},
         whole.c_str()},
        {"a phone number of 41 characters", false, {Heartbeat30(forty + zhong)}, false, "ee",
         {"得到信息失败"}, cut.c_str()},
        {"the main server without entries", true, none, false, "ee",
         {"(CEncoder_Standard::ParmSet_SetMainSericeIP） 传入参数数据错误>>>>>", "设置信息失败"},
         "ParmSet_GetMainSericeIP: list: must not be empty"},
        {"the main server with a phone number of 13 digits", true, longPhone, false, "ee", {"得到信息失败"},
         "ParmSet_GetMainSericeIP: list[0].strPhoneNo: longer than 12 digits: \"1234567890123\""},
    };
    for (const auto& c : cases) {
        CEncoder_Standard e;
        LogCapture log;
        Bytes out = {0xee};
        EXPECT_EQ(c.mainServer ? e.ParmSet_GetMainSericeIP(c.list, out) : e.ParmSet_Get808ParmSetVector(c.list, out),
                  c.ok)
            << c.what;
        gpenc::test::Watch("out", out), Access::Watch(e);
        const bool prefix = c.bytes.size() > 3 && c.bytes.compare(c.bytes.size() - 3, 3, "...") == 0;
        const Bytes want = Hex(prefix ? c.bytes.substr(0, c.bytes.size() - 3) : c.bytes);
        if (prefix && out.size() > want.size()) out.resize(want.size());
        EXPECT_EQ(ToHex(out), ToHex(want)) << c.what;
        EXPECT_EQ(gpenc::test::Errors(log), c.errors) << c.what;
        const std::string why = gpenc::LastFailure();  // empty after a success, entries left out or not
        EXPECT_EQ(why, c.ok ? "" : std::string("CEncoder_Standard::") + c.reason) << c.what;
        // Both list builders log under the main-server builder's name; a
        // refusal ends there, without the reset of a message sent.
        EXPECT_TRUE(c.ok || (!log.texts().empty() &&
                             log.texts().back() == "(CEncoder_Standard::ParmSet_GetMainSericeIP） 结束>>>>>"))
            << c.what;
    }
}

// The 2019 head on request: bit 14, the version byte, 20 BCD digits '0'-filled
// on the left, the serial number after them; the number at its limits.
TEST_F(StandardTest, Head2019PhoneNumbersAndVersion) {
    const Jt808Head v1 = Jt808Head::Edition2019(), v255 = Jt808Head::Edition2019(255);
    const std::string beat = " 00 01 01 00 00 00 01 04 00 00 00 1e";  // serial 1, then the heartbeat entry
    const struct {
        Jt808Head head;
        const char* phone;
        std::string bytes;   // empty: refused
        const char* reason;  // after "CEncoder_Standard::ParmSet_GetHeadInterval: "
    } cases[] = {
        {v1, "12345678901234567890", "81 03 40 0a 01 12 34 56 78 90 12 34 56 78 90" + beat, ""},
        {v255, "1234567890123456789", "81 03 40 0a ff 01 23 45 67 89 01 23 45 67 89" + beat, ""},
        {v1, "7", "81 03 40 0a 01 00 00 00 00 00 00 00 00 00 07" + beat, ""},
        {Jt808Head{}, "1234567890", "81 03 00 0a 00 12 34 56 78 90" + beat, ""},  // the 2013 head, as before
        {v1, "123456789012345678901", "", "config.strPhoneNo: longer than 20 digits: \"123456789012345678901\""},
        {v1, "1380013800a", "", "config.strPhoneNo: not decimal digits: \"1380013800a\""},
        {Jt808Head{2018, 1}, "7", "", "head.edition: must be 2013 or 2019, got 2018"},
        {Jt808Head::Edition2019(0), "7", "", "head.version: must be 1 to 255 under the 2019 head, got 0"},
    };
    for (const auto& c : cases) {
        CEncoder_Standard e;
        Bytes out = {0xee};
        EXPECT_EQ(e.ParmSet_GetHeadInterval(Heartbeat30(c.phone), out, c.head), !c.bytes.empty()) << c.phone;
        Access::Watch(e);
        EXPECT_EQ(ToHex(out), ToHex(Hex(c.bytes.empty() ? "ee" : c.bytes))) << c.phone;
        EXPECT_EQ(gpenc::LastFailure(),
                  c.bytes.empty() ? std::string("CEncoder_Standard::ParmSet_GetHeadInterval: ") + c.reason : "");
    }
    // Published vector of the 2019 head (hylexus/xtream-codec, mirror makeclan/xtream-codec:
    // ext/jt/jt-808-server-spring-boot-starter-reactive/src/test/java/io/github/hylexus/xtream/codec/
    // ext/jt808/builtin/messages/response/BuiltinMessage8103Sample1Test.java), "7e8103404e01...013a7e"
    // without its 0x7e flags and check code 3a, serial number 0000 there and 0001 here.
    std::vector<EquipParmSet_EquipConfig> phoned = {Entry(0x0001, DATATYPE_DWORD, 111),
                         Entry(0x0040, DATATYPE_STRING, 0, "13900001111"),
                         Entry(0x0040, DATATYPE_STRING, 0, "13900002222"),
                         Entry(0x0040, DATATYPE_STRING, 0, "13900003333"),
                         Entry(0x0081, DATATYPE_WORD, 62),
                         Entry(0x0082, DATATYPE_WORD, 103),
                         Entry(0x0084, DATATYPE_BYTE, 1)};
    phoned[0].strPhoneNo = "13912344329";
    CEncoder_Standard e;
    Bytes out;
    LogCapture log;
    ASSERT_TRUE(e.ParmSet_Get808ParmSetVector(phoned, out, v1));
    EXPECT_EQ(ToHex(out), ToHex(Hex("8103404e010000000001391234432900010700000001040000006f000000400b31333930303030"
                                    "31313131000000400b3133393030303032323232000000400b3133393030303033333333"
                                    "0000008102003e000000820200670000008401 01")));
    // The same records as the 2013 head writes for the same list.
    const Texts records = log.texts();
    log.clear();
    ASSERT_TRUE(e.ParmSet_Get808ParmSetVector(phoned, out));
    EXPECT_EQ(ToHex(Bytes(out.begin(), out.begin() + 12)), "81 03 00 4e 01 39 12 34 43 29 00 01");
    EXPECT_EQ(log.texts(), records);
    // The main-server builder too.
    ASSERT_TRUE(e.ParmSet_GetMainSericeIP({Entry(0x0023, DATATYPE_STRING, 0, "apn")}, out, v255));
    EXPECT_EQ(ToHex(out), ToHex(Hex("81 03 40 09 ff 00 00 00 00 01 38 00 13 80 00 00 01 01 00 00 00 23 03 61 70 6e")));
}

// JT/T 1078's parameters under either head, the active-safety ones opted
// into, the caller's own declared: each body written under both heads, and
// every refusal with its reason.
TEST_F(StandardTest, VideoActiveSafetyAndDeclaredParameters) {
    using List = std::vector<EquipParmSet_EquipConfig>;
    const std::string failed = "(CEncoder_Standard::SetOnceParameterData)运行失败";
    Jt808ParmTypes none, safety, own;
    safety.activeSafety = true;
    own.declared = {{0xF001, DATATYPE_DWORD, 4}, {0xF002, DATATYPE_STRING, 4}};
    auto declare = [](std::vector<Jt808ParmDeclaration> d, bool activeSafety = false) {
        Jt808ParmTypes t;
        t.activeSafety = activeSafety;
        t.declared = std::move(d);
        return t;
    };
    const Bytes channel = Hex("01 01 00 01 00 19 19 00 00 07 d0 00 01 00 19 19 00 00 07 d0 00 03");
    const struct {
        const char* what;
        Jt808ParmTypes types;
        List list;
        std::string body;    // after the head (its length byte given first); empty: refused
        Texts errors;
        const char* reason;  // after "CEncoder_Standard::ParmSet_Get808ParmSetVector: ", under the 2013 head
    } cases[] = {
        {"0x0075 as the table types it, beside a byte", none,
         {Entry(0x0075, CEncoder_Standard().ParmSet_Get808ParmType(static_cast<EequipParameterMark>(0x0075)), 0, "",
                Hex("00 01 00 19 19 00 00 07 d0 00 01 00 19 19 00 00 07 d0 00 03 01")),
          Entry(0x0084, DATATYPE_BYTE, 7)},
         "21  02 00 00 00 75 15 00 01 00 19 19 00 00 07 d0 00 01 00 19 19 00 00 07 d0 00 03 01  00 00 00 84 01 07", {},
         ""},
        {"0x0076: one channel, its camera on a pan-tilt head", none,
         {Entry(0x0076, DATATYPE_BYTES, 0, "", Hex("01 00 00 01 01 00 01"))},
         "0d  01 00 00 00 76 07 01 00 00 01 01 00 01", {}, ""},
        {"0x0077: one channel's video parameters", none, {Entry(0x0077, DATATYPE_BYTES, 0, "", channel)},
         "1c  01 00 00 00 77 16 01 01 00 01 00 19 19 00 00 07 d0 00 01 00 19 19 00 00 07 d0 00 03", {}, ""},
        {"0x007A, 0x0079, 0x007B and 0x007C", none,
         {Entry(0x007A, DATATYPE_DWORD, 3), Entry(0x0079, DATATYPE_BYTES, 0, "", Hex("5a 0a 05")),
          Entry(0x007B, DATATYPE_BYTES, 0, "", Hex("03 0a")),
          Entry(0x007C, DATATYPE_BYTES, 0, "", Hex("01 01 7f 01 08 00 09 00 00 00 00 00 00 00 00 00 00 00 00 00"))},
         "32  04 00 00 00 7a 04 00 00 00 03  00 00 00 79 03 5a 0a 05  00 00 00 7b 02 03 0a"
         "  00 00 00 7c 14 01 01 7f 01 08 00 09 00 00 00 00 00 00 00 00 00 00 00 00 00",
         {}, ""},
        {"0x0075 of 20 bytes", none, {Entry(0x0075, DATATYPE_BYTES, 0, "", Bytes(20, 0))}, "", {"设置信息失败"},
         "list[0].vecValueBytes: must be 21 bytes for 0x0075 (audio/video parameters), got 20"},
        {"0x0076 counting two channels in one", none,
         {Heartbeat30(), Entry(0x0076, DATATYPE_BYTES, 0, "", Hex("01 01 00 01 01 00 01"))}, "", {"设置信息失败"},
         "list[1].vecValueBytes: must be 11 bytes for 0x0076 (audio/video channel list), got 7: 3 + 4 x 2, the "
         "entries its first 3 bytes count"},
        {"0x0077 without its count", none, {Entry(0x0077, DATATYPE_BYTES)}, "", {"设置信息失败"},
         "list[0].vecValueBytes: must be at least 1 bytes for 0x0077 (per-channel video parameters), got 0"},
        {"0x0075 given as a DWORD", none, {Entry(0x0075, DATATYPE_DWORD, 21)}, "", {"设置信息失败"},
         "list[0].eDataType: must be 8 (BYTE[n]) for 0x0075 (audio/video parameters), got 3"},
        {"0xF367 opted into", safety, {Entry(0xF367, DATATYPE_BYTES, 0, "", Hex("05 06"))},
         "08  01 00 00 f3 67 02 05 06", {}, ""},
        // The bodies of SmallChi/JTActiveSafety@90d77812b35a28ab4b2fbbcbd02e8f017cc7aee1:
        // src/JT808.Protocol.Extensions.JTActiveSafety.Test/JT808_0x8103_0xF364_Test.cs, _0xF365_, _0xF366_.
        {"0xF364, ADAS, as published", safety, {Entry(0xF364, DATATYPE_BYTES, 0, "", Hex("052D030002000122231D26000000040000000A1E09152B08180F0E14291011122A16170D13280C0B1C192C1B1A2425270607202101020304"))},
         "3e  010000F36438052D030002000122231D26000000040000000A1E09152B08180F0E14291011122A16170D13280C0B1C192C1B1A2425270607202101020304", {}, ""},
        {"0xF365, driver monitoring, as published", safety, {Entry(0xF365, DATATYPE_BYTES, 0, "", Hex("052D030002000122231D26000000040000000A003E002E0102033941373831402F3033423C3D3234353F3A3B360506"))},
         "35  010000F3652F052D030002000122231D26000000040000000A003E002E0102033941373831402F3033423C3D3234353F3A3B360506", {}, ""},
        {"0xF366, tyre pressure, as published", safety, {Entry(0xF366, DATATYPE_BYTES, 0, "", Hex("3939393939393939393939390008000400060005000300020001000A0007010203040506"))},
         "2a  010000F366243939393939393939393939390008000400060005000300020001000A0007010203040506", {}, ""},
        {"0xF364 opted into, a byte short", safety, {Entry(0xF364, DATATYPE_BYTES, 0, "", Bytes(55, 1))}, "",
         {"设置信息失败"}, "list[0].vecValueBytes: must be 56 bytes for 0xF364 (ADAS parameters), got 55"},
        {"0xF364 not opted into: left out, as the table does not know it", none,
         {Entry(0xF364, DATATYPE_NONE, 0, "", Bytes(55, 1)), Entry(0x0084, DATATYPE_BYTE, 7)},
         "07  01 00 00 00 84 01 07", {failed}, ""},
        {"declared ids sent, an undeclared one left out", own,
         {Entry(0xF001, DATATYPE_DWORD, 0x01020304), Entry(0xF002, DATATYPE_STRING, 0, "abcd"),
          Entry(0xF003, DATATYPE_NONE, 9)},
         "13  02 00 00 f0 01 04 01 02 03 04  00 00 f0 02 04 61 62 63 64", {failed}, ""},
        {"a declared text longer than declared", own, {Entry(0xF002, DATATYPE_STRING, 0, "abcde")}, "",
         {"设置信息失败"}, "list[0].strValue: must be at most 4 bytes as declared for 0xF002, got 5"},
        {"a declaration of a standard id", declare({{0x0013, DATATYPE_STRING, 20}}), {Heartbeat30()}, "",
         {"设置信息失败"}, "types.declared[0].id: 0x0013 is a parameter the encoder knows"},
        {"a declaration of an active-safety id opted into", declare({{0xF365, DATATYPE_BYTES, 47}}, true),
         {Heartbeat30()}, "", {"设置信息失败"},
         "types.declared[0].id: 0xF365 is an active-safety parameter opted into"},
        {"an id declared twice", declare({{0xF001, DATATYPE_DWORD, 4}, {0xF001, DATATYPE_WORD, 2}}),
         {Heartbeat30()}, "", {"设置信息失败"},
         "types.declared[1].id: 0xF001 is declared twice, first as types.declared[0]"},
        {"a declaration without a length", declare({{0xF001, DATATYPE_DWORD, 0}}), {Heartbeat30()}, "",
         {"设置信息失败"}, "types.declared[0].maxLength: must be 1 to 255, got 0"},
        {"a declaration without a type", declare({{0xF001, DATATYPE_NONE, 4}}), {Heartbeat30()}, "",
         {"设置信息失败"}, "types.declared[0].type: must be 1, 2, 3, 8 or 9, got 0"},
    };
    const Jt808Head heads[] = {Jt808Head{}, Jt808Head::Edition2019()};
    const char* headBytes[] = {"81 03 00 ", "81 03 40 "};
    const char* phones[] = {" 01 38 00 13 80 00 00 01 ", " 01 00 00 00 00 01 38 00 13 80 00 00 01 "};
    for (const auto& c : cases) {
        for (int h = 0; h < 2; ++h) {
            CEncoder_Standard e;
            LogCapture log;
            Bytes out = {0xee};
            EXPECT_EQ(e.ParmSet_Get808ParmSetVector(c.list, out, heads[h], c.types), !c.body.empty()) << c.what;
            const std::string want =
                c.body.empty() ? "ee" : headBytes[h] + c.body.substr(0, 2) + phones[h] + c.body.substr(2);
            EXPECT_EQ(ToHex(out), ToHex(Hex(want))) << c.what << " head " << h;
            EXPECT_EQ(gpenc::test::Errors(log), c.errors) << c.what;
            if (h == 0)
                EXPECT_EQ(gpenc::LastFailure(), c.body.empty() ? std::string("CEncoder_Standard::ParmSet_Get808ParmSetVector: ") + c.reason : "")
                    << c.what;
        }
    }
    // A video terminal's settings as SmallChi/JT1078@0e21c72fbbc2df03070c2c8fc50435dc95f44b05:
    // src/JT808.Protocol.Extensions.JT1078.Test/JT808_0x8103CustomId.cs publishes them: its message
    // without the 0x7e flags and check code 58, serial number 000a there and 0001 here.
    {
        List video = {Entry(0x0075, DATATYPE_BYTES, 0, "", Hex("030500040700000006080A00090C0000000B000201")),
                      Entry(0x0076, DATATYPE_BYTES, 0, "", Hex("02010303020001070604050B0A08090F0E0C0D1312101117161415")),
                      Entry(0x0077, DATATYPE_BYTES, 0, "", Hex("0201030500040700000006080A00090C0000000B000201030500040700000006080A00090C0000000B0002")),
                      Entry(0x0079, DATATYPE_BYTES, 0, "", Hex("030201")), Entry(0x007A, DATATYPE_DWORD, 1),
                      Entry(0x007B, DATATYPE_BYTES, 0, "", Hex("0102")),
                      Entry(0x007C, DATATYPE_BYTES, 0, "", Hex("0103020A00230012004500340067005600890078"))};
        video[0].strPhoneNo = "123456789";
        CEncoder_Standard e;
        Bytes out;
        ASSERT_TRUE(e.ParmSet_Get808ParmSetVector(video, out));
        EXPECT_EQ(ToHex(out), ToHex(Hex("8103009C0001234567890001" "07"
                                        "0000007515030500040700000006080A00090C0000000B000201"
                                        "000000761B02010303020001070604050B0A08090F0E0C0D1312101117161415"
                                        "000000772B0201030500040700000006080A00090C0000000B000201030500040700000006080A00090C0000000B0002"
                                        "0000007903030201" "0000007A0400000001" "0000007B020102"
                                        "0000007C140103020A00230012004500340067005600890078")));
        // Without types of the call's own too, the first and the last of the ids with a layout are checked.
        video[0].vecValueBytes.pop_back();
        EXPECT_FALSE(e.ParmSet_Get808ParmSetVector(video, out));
        video[0].vecValueBytes.push_back(1);
        video.back().vecValueBytes.push_back(0);
        EXPECT_FALSE(e.ParmSet_Get808ParmSetVector(video, out));
        EXPECT_EQ(gpenc::LastFailure(), "CEncoder_Standard::ParmSet_Get808ParmSetVector: list[6].vecValueBytes: must be "
                                        "20 bytes for 0x007C (terminal sleep wake-up mode), got 21");
    }
    // 0x0023 is the 2019 edition's: declared under the 2013 head, refused under 2019.
    CEncoder_Standard e;
    Bytes out;
    const Jt808ParmTypes apn = declare({{0x0023, DATATYPE_STRING, 8}});
    EXPECT_TRUE(e.ParmSet_Get808ParmSetVector({Entry(0x0023, DATATYPE_STRING, 0, "apn")}, out, Jt808Head{}, apn));
    EXPECT_FALSE(e.ParmSet_Get808ParmSetVector({Entry(0x0023, DATATYPE_STRING, 0, "apn")}, out, heads[1], apn));
    EXPECT_EQ(gpenc::LastFailure(), "CEncoder_Standard::ParmSet_Get808ParmSetVector: types.declared[0].id: 0x0023 is a parameter the encoder knows");
    // What the table answers, as callers fill eDataType from it.
    const struct {
        std::uint32_t id;
        const Jt808ParmTypes& types;
        EequipParmDataType type;
    } typed[] = {{0x0075, none, DATATYPE_BYTES}, {0x0078, none, DATATYPE_NONE}, {0x007A, none, DATATYPE_DWORD},
                 {0x007C, none, DATATYPE_BYTES}, {0x007D, none, DATATYPE_NONE}, {0xF364, none, DATATYPE_NONE},
                 {0xF367, safety, DATATYPE_BYTES}, {0xF368, safety, DATATYPE_NONE}, {0xF002, own, DATATYPE_STRING}};
    for (const auto& t : typed)
        for (const Jt808Head& head : heads)
            EXPECT_EQ(e.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(t.id), head, t.types), t.type) << t.id;
}

TEST_F(StandardTest, RecordsOfOneObjectAndOneFullRunInOrder) {
    LogCapture log;
    {
        CEncoder_Standard e;
        Bytes out;
        ASSERT_TRUE(e.ParmSet_Get808ParmSetVector({Heartbeat30()}, out));
    }
    const Texts init = {"(CEncoder_Standard::InitStandardMsgHead） 开始>>>>>",
                        "(CEncoder_Standard::InitStandardMsgHead) 开始>>>>>",
                        "(CEncoder_Standard::InitStandardMsgHead) 结束<<<<<"};
    Texts expected = {"(CEncoder_Standard::CEncoder_Standard) 开始>>>>>"};
    auto add = [&](const Texts& t) { expected.insert(expected.end(), t.begin(), t.end()); };
    add(init);
    add({"(CEncoder_Standard::CEncoder_Standard) 结束<<<<<", "(CEncoder_Standard::ParmSet_GetMainSericeIP） 开始>>>>>"});
    add(init);
    add({"(CEncoder_Standard::ParmSet_Set808ParmInfo） 开始>>>>>", "(CEncoder_Standard::SetOnceParameterData) 开始>>>>>",
         "(CEncoder_Standard::SetOnceParameterData) 结束<<<<<", "(CEncoder_Standard::ParmSet_Set808ParmInfo） 结束>>>>>",
         "(CEncoder_Standard::SetMsgData_StandardMsgHead） 开始>>>>>",
         "(CEncoder_Standard::SetMsgData_StandardMsgHead） 结束>>>>>",
         "(CEncoder_Standard::ParmSet_GetMainSericeIP） 结束>>>>>"});
    add(init);
    add({"(CEncoder_Standard::~CEncoder_Standard） 开始>>>>>", "(CEncoder_Standard::~CEncoder_Standard) 开始>>>>>",
         "(CEncoder_Standard::~CEncoder_Standard) 结束<<<<<"});
    EXPECT_EQ(log.texts(), expected);
    for (const auto& r : log.records()) {
        EXPECT_EQ(r.level, 10000) << r.text;
        EXPECT_EQ(r.file, ".\\Encoder_Standard.cpp") << r.text;
    }
}

}  // namespace
