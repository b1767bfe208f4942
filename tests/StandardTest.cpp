// The JT/T 808 encoder: message head, BCD and check helpers, the terminal
// parameter table and the 0x8103 parameter-setting message, byte for byte.
#include "Hex.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <new>

using gpenc::test::Hex;
using gpenc::test::LogCapture;
using gpenc::test::Record;
using gpenc::test::TestException;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;
using Access = GpencTestAccess;

namespace {

// Keeps the log quiet unless a test records it.
struct Quiet : ::testing::Test {
    LogCapture quiet_{60000};
};
using StandardRecordTest = Quiet;
using StandardHeadTest = Quiet;
using StandardObjectTest = Quiet;
using StandardParmTest = Quiet;

constexpr int D = 10000;
constexpr int E = 40000;
const std::string kFile = ".\\Encoder_Standard.cpp";

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

EquipParmSet_EquipConfig Heartbeat30() {
    EquipParmSet_EquipConfig c = Entry(0x0001, DATATYPE_DWORD, 30);
    c.strPhoneNo = "1234567890";
    return c;
}

const char kHeartbeat30[] = "81 03 00 0a 00 12 34 56 78 90 00 01 01 00 00 00 01 04 00 00 00 1e";

// Constructs a T over memory full of 0xab, so that a member left without an
// initialiser shows.
template <class T, class Check>
void OnDirtyMemory(Check&& check) {
    alignas(T) unsigned char raw[sizeof(T)];
    std::fill(std::begin(raw), std::end(raw), 0xab);
    T* t = new (raw) T;
    check(*t);
    t->~T();
}

TEST_F(StandardRecordTest, EveryMemberStartsZeroOrEmpty) {
    OnDirtyMemory<StandardMsgHead>([](const StandardMsgHead& h) {
        EXPECT_EQ(h.wMsgId + h.wBodyProperty + h.wSerialNo, 0);
        EXPECT_TRUE(h.strPhoneNo.empty());
    });
    OnDirtyMemory<StandardMsg>([](const StandardMsg& m) {
        EXPECT_EQ(m.byStartFlag + m.byCheckCode + m.byEndFlag + m.stHead.wMsgId, 0);
    });
    OnDirtyMemory<EquipParmSet_EquipConfig>([](const EquipParmSet_EquipConfig& c) {
        EXPECT_EQ(c.dwValue + c.eDataType + c.eParmMark, 0u);
    });
    OnDirtyMemory<MsgData_EquipParmSet_ParmListConfig>([](const MsgData_EquipParmSet_ParmListConfig& c) {
        EXPECT_EQ(c.eDataType + c.dwParmId + c.dwValue + c.byValue, 0u);
        for (unsigned char b : c.bySpare) EXPECT_EQ(b, 0);
    });
    OnDirtyMemory<MsgData_EquipParmSet_ParmList>([](const MsgData_EquipParmSet_ParmList& p) {
        EXPECT_EQ(p.dwParmId + p.byParmLen, 0u);
    });
    OnDirtyMemory<struct_EquipControl_SetIC>([](const struct_EquipControl_SetIC& c) {
        EXPECT_EQ(c.byStandard + c.byCardCheck + c.byCardSpare1 + c.byCardSpare2 + c.byExt1 + c.byExt2 +
                      c.byExtCheck + c.wExtSpare + c.byExtCheckTail,
                  0);
        EXPECT_EQ(c.dwExtSpare, 0u);
        EXPECT_EQ(c.tmCardDate, 0);
        EXPECT_GT(c.tmExtSpare, 1700000000);  // the time of construction
    });
    OnDirtyMemory<MsgData_AlarmSet_CircularArea>([](const MsgData_AlarmSet_CircularArea& a) {
        EXPECT_EQ(a.dwAreaId + a.wAreaAttr + a.dwRadius + a.wMaxSpeed + a.byOverSpeedDuration, 0u);
        EXPECT_EQ(a.dLatitude + a.dLongitude, 0.0);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(a.byStartTime[i] + a.byEndTime[i], 0);
    });
    OnDirtyMemory<MsgData_AlarmSet_Circular>([](const MsgData_AlarmSet_Circular& s) {
        EXPECT_EQ(s.bySetAttr + s.byAreaCount, 0);
    });
    OnDirtyMemory<CEncoder_Standard>([](const CEncoder_Standard& e) {
        EXPECT_EQ(Access::ParmCount(e), 0);
        EXPECT_EQ(Access::Head(e).wMsgId, 0);
        EXPECT_EQ(Access::CurrentParm(e).dwParmId, 0u);
    });
}

TEST_F(StandardHeadTest, HeadLayoutAndPhoneNumbers) {
    const struct {
        std::uint16_t id;
        const char* phone;
        bool ok;
        const char* bytes;
    } cases[] = {
        {0x0001, "1234567890", true, "00 01 00 00 00 12 34 56 78 90 00 01"},
        {0x8600, "123456789012", true, "86 00 00 00 12 34 56 78 90 12 00 01"},
        {0x1234, "", true, "12 34 00 00 00 00 00 00 00 00 00 01"},
        {0x0001, "abcDEF", true, "00 01 00 00 00 00 00 ab cd ef 00 01"},
        {0x8103, "7", true, "81 03 00 01 00 00 00 00 00 07 00 01 00"},  // count byte of an empty list
        // refused: what was appended so far stays
        {0x0001, "1234567890123", false, "00 01 00 00"},
        {0x0001, "12345678901g", false, "00 01 00 00 12 34 56 78 90"},
        {0x0001, "1234.5678901", false, "00 01 00 00 12 34"},
        {0x0001, "-4", false, "00 01 00 00 00 00 00 00 00"},
        {0x0001, " 7", false, "00 01 00 00 00 00 00 00 00"},
        {0x0001, "+1", false, "00 01 00 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        CEncoder_Standard e;
        Bytes out = {0xee};
        ASSERT_TRUE(Access::SetMsgData_StandardMsgHead(e, c.id, c.phone));
        EXPECT_EQ(Access::GetMsgData(e, c.id, out), c.ok) << c.phone;
        EXPECT_EQ(ToHex(out), ToHex(Hex(c.bytes))) << c.phone;
    }
}

TEST_F(StandardHeadTest, CharToHexTakesExactlyTwoDigits) {
    const struct {
        const char* text;
        int value;  // -1: refused
    } cases[] = {
        {"00", 0}, {"12", 0x12}, {"aF", 0xaf}, {"Fa", 0xfa}, {"09", 9},
        {"-4", -1}, {" 7", -1}, {"7 ", -1}, {"+7", -1}, {"1", -1}, {"123", -1},
        {"", -1}, {"0x", -1}, {"g0", -1}, {"1.", -1},
    };
    CEncoder_Standard e;
    for (const auto& c : cases) {
        int value = -1;
        EXPECT_EQ(Access::charTohex(e, c.text, value), c.value >= 0) << c.text;
        if (c.value >= 0) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST_F(StandardHeadTest, DecToBcd) {
    const struct {
        int value;
        int count;
        const char* bytes;  // of a four-byte buffer that starts as aa aa aa aa
    } cases[] = {
        {25, 1, "25 aa aa aa"},     {123456, 3, "12 34 56 aa"}, {5, 2, "00 05 aa aa"},
        {0, 1, "00 aa aa aa"},      {-1, 1, "0f aa aa aa"},     {-2000, 1, "00 aa aa aa"},
        {-30, 1, "d0 aa aa aa"},    {-25, 1, "eb aa aa aa"},    {-12, 1, "fe aa aa aa"},
        {1234, 1, "34 aa aa aa"},   {99, 1, "99 aa aa aa"},     {12345678, 4, "12 34 56 78"},
        {INT_MIN, 4, "c9 c8 da c8"},  // pairs -47 -48 -36 -48 of -2147483648
        {7, 0, "aa aa aa aa"},      {7, -1, "aa aa aa aa"},
    };
    CEncoder_Standard e;
    for (const auto& c : cases) {
        Bytes buf(4, 0xaa);
        EXPECT_EQ(e.DecToBCD(c.value, buf.data(), c.count), 0);
        EXPECT_EQ(ToHex(buf), ToHex(Hex(c.bytes))) << c.value << " " << c.count;
    }
    EXPECT_EQ(e.DecToBCD(25, nullptr, 1), 0);
}

TEST_F(StandardHeadTest, XorCombinesEveryByteOfTheRange) {
    const Bytes data = Hex("0f 01 02 04 08 0f");
    const struct {
        int first, last;
        int check;  // -1: refused
    } cases[] = {
        // a bitwise OR of the last byte would give 0f, 08, 0f and 0f
        {1, 5, 0x00}, {0, 4, 0x00}, {0, 1, 0x0e}, {4, 5, 0x07},
        {2, 2, -1}, {3, 1, -1}, {0, 6, -1}, {-1, 2, -1}, {INT_MIN, 0, -1},
    };
    CEncoder_Standard e;
    for (const auto& c : cases) {
        unsigned char check = 0x77;
        EXPECT_EQ(e.Xor(data, c.first, c.last, check), c.check >= 0) << c.first << ".." << c.last;
        EXPECT_EQ(check, c.check >= 0 ? c.check : 0x77) << c.first << ".." << c.last;
    }
}

TEST_F(StandardHeadTest, XorLogsItsRefusalAtDebug) {
    CEncoder_Standard e;
    unsigned char check = 0;
    LogCapture log;
    EXPECT_TRUE(e.Xor(Hex("01 02"), 0, 1, check));
    EXPECT_FALSE(e.Xor(Hex("01 02"), 1, 1, check));
    const std::vector<Record> expected = {
        {D, "(CEncoder_Standard::Xor） 开始>>>>>", kFile, 0},
        {D, "(CEncoder_Standard::Xor） 结束>>>>>", kFile, 0},
        {D, "(CEncoder_Standard::Xor） 开始>>>>>", kFile, 0},
        {D, "(CEncoder_Standard::Xor） 校验失败>>>>>", kFile, 0},
        {D, "(CEncoder_Standard::Xor） 结束>>>>>", kFile, 0},
    };
    EXPECT_EQ(log.records(), expected);
}

TEST_F(StandardHeadTest, GetParaStrPutsTheTextInFront) {
    CEncoder_Standard e;
    LogCapture log;
    Bytes out = {0x01};
    EXPECT_EQ(Access::GetParaStr(e, std::string("a\0b", 3), out), 4);
    EXPECT_EQ(ToHex(out), "61 00 62 01");
    EXPECT_EQ(Access::GetParaStr(e, "", out), 0);
    const std::vector<Record> errors = {{E, "(CEncoder_Standard::GetParaStr)目标字符串为空。", kFile, 0}};
    EXPECT_EQ(log.errors(), errors);

    log.ThrowAt("(CEncoder_Standard::GetParaStr) 结束<<<<<", 1, L"内存不足");
    EXPECT_EQ(Access::GetParaStr(e, "xy", out), 0);
    EXPECT_EQ(log.errors().back().text,
              "(CEncoder_Standard::GetParaStr)运行失败,错误信息为: 内存不足(要转换的字符串为paraStr= xy");
    EXPECT_EQ(TestException::alive, 0);
}

TEST_F(StandardObjectTest, ConstructorAndDestructorRecords) {
    LogCapture log;
    { CEncoder_Standard e; }
    const std::vector<std::string> expected = {
        "(CEncoder_Standard::CEncoder_Standard) 开始>>>>>",
        "(CEncoder_Standard::InitStandardMsgHead） 开始>>>>>",
        "(CEncoder_Standard::InitStandardMsgHead) 开始>>>>>",
        "(CEncoder_Standard::InitStandardMsgHead) 结束<<<<<",
        "(CEncoder_Standard::CEncoder_Standard) 结束<<<<<",
        "(CEncoder_Standard::~CEncoder_Standard） 开始>>>>>",
        "(CEncoder_Standard::~CEncoder_Standard) 开始>>>>>",
        "(CEncoder_Standard::~CEncoder_Standard) 结束<<<<<",
    };
    EXPECT_EQ(log.texts(), expected);
    for (const auto& r : log.records()) EXPECT_EQ(r.file, kFile);
}

// ---------------------------------------------------------------------------
// Terminal parameters
// ---------------------------------------------------------------------------

TEST_F(StandardParmTest, HeartbeatWorkedExampleBothWays) {
    CEncoder_Standard e;  // one object, two messages each: the serial number stays 1
    for (int round = 0; round < 2; ++round) {
        Bytes out = {0xee};
        ASSERT_TRUE(e.ParmSet_Get808ParmSetVector({Heartbeat30()}, out));
        EXPECT_EQ(ToHex(out), ToHex(Hex(kHeartbeat30)));
        out.assign(3, 0xee);
        ASSERT_TRUE(e.ParmSet_GetHeadInterval(Heartbeat30(), out));
        EXPECT_EQ(ToHex(out), ToHex(Hex(kHeartbeat30)));
    }
    EXPECT_TRUE(Access::ParmList(e).empty());  // reset after success
}

TEST_F(StandardParmTest, OneEntryOfEveryType) {
    const std::vector<EquipParmSet_EquipConfig> list = {
        Entry(0x0013, DATATYPE_STRING, 0, "abc"),
        Entry(0x0014, DATATYPE_STRING, 0, ""),               // left out
        Entry(0x0031, DATATYPE_WORD, 0x12345),
        Entry(0x0080, DATATYPE_DWORD, 0x01020304),
        Entry(0x0008, DATATYPE_NONE, 5),                     // no type: left out
        Entry(0x0084, DATATYPE_BYTE, 0x1ff),
        Entry(0x0110, DATATYPE_BYTES, 0, "", Hex("de ad be ef 00 01 02 03")),
        Entry(0x0111, DATATYPE_BYTES),
        Entry(0x0055, static_cast<EequipParmDataType>(4), 5),  // not a type: left out
    };
    const Bytes expected = Hex(
        "81 03 00 31 01 38 00 13 80 00 00 01 06"
        " 00 00 00 13 03 61 62 63"
        " 00 00 00 31 02 23 45"
        " 00 00 00 80 04 01 02 03 04"
        " 00 00 00 84 01 ff"
        " 00 00 01 10 08 de ad be ef 00 01 02 03"
        " 00 00 01 11 00");
    CEncoder_Standard e;
    LogCapture log;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_Get808ParmSetVector(list, out));
    EXPECT_EQ(ToHex(out), ToHex(expected));
    EXPECT_EQ(list[0].strValue, "abc");  // the caller's list is untouched
    // Each refused entry logs its own failure and nothing else fails.
    const std::vector<Record> errors = {
        {E, "(CEncoder_Standard::SetOnceParameterData)运行失败", kFile, 0},
        {E, "(CEncoder_Standard::SetOnceParameterData)运行失败", kFile, 0},
        {E, "(CEncoder_Standard::SetOnceParameterData)运行失败", kFile, 0},
    };
    EXPECT_EQ(log.errors(), errors);
}

TEST_F(StandardParmTest, MainServerCarriesOnlyStringAndDwordValues) {
    const std::vector<EquipParmSet_EquipConfig> list = {
        Entry(0x0013, DATATYPE_STRING, 0, "10.0.0.1"),
        Entry(0x0018, DATATYPE_DWORD, 9000),
        Entry(0x0031, DATATYPE_WORD, 0x1234),
        Entry(0x0110, DATATYPE_BYTES, 0, "", Hex("01 02")),
    };
    CEncoder_Standard e;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_GetMainSericeIP(list, out));
    EXPECT_EQ(ToHex(out), ToHex(Hex("81 03 00 23 01 38 00 13 80 00 00 01 04"
                                    " 00 00 00 13 08 31 30 2e 30 2e 30 2e 31"
                                    " 00 00 00 18 04 00 00 23 28"
                                    " 00 00 00 31 02 00 00"
                                    " 00 00 01 10 00")));
}

TEST_F(StandardParmTest, BuildersRefuseBadLists) {
    EquipParmSet_EquipConfig noPhone = Heartbeat30();
    noPhone.strPhoneNo = "";
    EquipParmSet_EquipConfig longPhone = Heartbeat30();
    longPhone.strPhoneNo = "1234567890123";
    using List = std::vector<EquipParmSet_EquipConfig>;
    const struct {
        const char* name;
        bool mainServer;
        List list;
        std::vector<std::string> errors;
    } cases[] = {
        {"empty list", false, {}, {"设置信息失败"}},
        {"no phone", false, {noPhone}, {"设置信息失败"}},
        {"long phone", false, {longPhone}, {"得到信息失败"}},
        {"main server, empty list", true, {},
         {"(CEncoder_Standard::ParmSet_SetMainSericeIP） 传入参数数据错误>>>>>", "设置信息失败"}},
        {"main server, long phone", true, {longPhone}, {"得到信息失败"}},
    };
    for (const auto& c : cases) {
        CEncoder_Standard e;
        LogCapture log;
        Bytes out = {0xee};
        EXPECT_FALSE(c.mainServer ? e.ParmSet_GetMainSericeIP(c.list, out)
                                  : e.ParmSet_Get808ParmSetVector(c.list, out))
            << c.name;
        std::vector<std::string> errors;
        for (const auto& r : log.errors()) errors.push_back(r.text);
        EXPECT_EQ(errors, c.errors) << c.name;
        if (c.list.empty()) {
            EXPECT_TRUE(out.empty()) << c.name;
        }
        // The list builder logs under the main-server builder's name too.
        EXPECT_EQ(log.texts().back(), "(CEncoder_Standard::ParmSet_GetMainSericeIP） 结束>>>>>") << c.name;
    }
}

TEST_F(StandardParmTest, ValuesOfMoreThan255BytesAreRefused) {
    CEncoder_Standard e;
    LogCapture log(60000);
    MsgData_EquipParmSet_ParmListConfig value;
    value.eDataType = DATATYPE_BYTES;
    value.dwParmId = 0x0110;
    value.vecValueBytes.assign(255, 0x5a);
    ASSERT_TRUE(Access::SetOnceParameterData(e, value));
    ASSERT_EQ(Access::ParmList(e).size(), 260u);
    EXPECT_EQ(ToHex(Bytes(Access::ParmList(e).begin(), Access::ParmList(e).begin() + 6)), "00 00 01 10 ff 5a");

    value.vecValueBytes.assign(256, 0x5a);
    EXPECT_FALSE(Access::SetOnceParameterData(e, value));
    value.eDataType = DATATYPE_STRING;
    value.strValue.assign(256, 'x');
    EXPECT_FALSE(Access::SetOnceParameterData(e, value));
    EXPECT_EQ(Access::ParmList(e).size(), 260u);
    EXPECT_EQ(Access::ParmCount(e), 1);

    // The page twin refuses alike and leaves the body as it was.
    EXPECT_FALSE(Access::SetOncePageData(e, value));
    EXPECT_TRUE(Access::CurrentParm(e).vecParmValue.size() == 255u);

    // In a list, the entry is left out and the count byte stays true.
    Bytes out;
    ASSERT_TRUE(e.ParmSet_Get808ParmSetVector(
        {Entry(0x0083, DATATYPE_STRING, 0, std::string(256, 'x')), Entry(0x0084, DATATYPE_BYTE, 7)}, out));
    EXPECT_EQ(ToHex(out), ToHex(Hex("81 03 00 07 01 38 00 13 80 00 00 01 01 00 00 00 84 01 07")));
}

TEST_F(StandardParmTest, BodiesOf1024BytesOrMoreAreRefused) {
    // 1 count byte + three 260-byte entries + one entry of 5 + n bytes.
    for (std::size_t n : {237u, 238u}) {
        std::vector<EquipParmSet_EquipConfig> list(3, Entry(0x0110, DATATYPE_BYTES, 0, "", Bytes(255, 1)));
        list.push_back(Entry(0x0111, DATATYPE_BYTES, 0, "", Bytes(n, 2)));
        CEncoder_Standard e;
        LogCapture log;
        Bytes out;
        const bool fits = n == 237;
        EXPECT_EQ(e.ParmSet_Get808ParmSetVector(list, out), fits);
        if (fits) {
            ASSERT_EQ(out.size(), 12u + 1023u);
            EXPECT_EQ(ToHex(Bytes(out.begin(), out.begin() + 4)), "81 03 03 ff");
            EXPECT_TRUE(log.errors().empty());
        } else {
            ASSERT_EQ(log.errors().size(), 1u);
            EXPECT_EQ(log.errors()[0].text, "得到信息失败");
        }
    }
}

TEST_F(StandardParmTest, TypeTableAtItsBoundaries) {
    const struct {
        std::uint32_t id;
        int type;
    } cases[] = {
        {0x0000, 0}, {0x0001, 3}, {0x0007, 3}, {0x0008, 0}, {0x000F, 0}, {0x0010, 1}, {0x0017, 1},
        {0x0018, 3}, {0x0019, 3}, {0x001A, 1}, {0x001B, 3}, {0x001C, 3}, {0x001D, 1}, {0x001E, 0},
        {0x001F, 0}, {0x0020, 3}, {0x0022, 3}, {0x0023, 0}, {0x0026, 0}, {0x0027, 3}, {0x0029, 3},
        {0x002A, 0}, {0x002B, 0}, {0x002C, 3}, {0x0030, 3}, {0x0031, 2}, {0x0032, 0}, {0x003F, 0},
        {0x0040, 1}, {0x0044, 1}, {0x0045, 3}, {0x0047, 3}, {0x0048, 1}, {0x0049, 1}, {0x004A, 0},
        {0x004F, 0}, {0x0050, 3}, {0x005A, 3}, {0x005B, 2}, {0x005E, 2}, {0x005F, 0}, {0x0063, 0},
        {0x0064, 3}, {0x0065, 3}, {0x0066, 0}, {0x006F, 0}, {0x0070, 3}, {0x0074, 3}, {0x0075, 0},
        {0x007F, 0}, {0x0080, 3}, {0x0081, 2}, {0x0082, 2}, {0x0083, 1}, {0x0084, 9}, {0x0085, 0},
        {0x008F, 0}, {0x0090, 9}, {0x0092, 9}, {0x0093, 3}, {0x0094, 9}, {0x0095, 3}, {0x0096, 0},
        {0x00FF, 0}, {0x0100, 3}, {0x0101, 2}, {0x0102, 3}, {0x0103, 2}, {0x0104, 0}, {0x010F, 0},
        {0x0110, 8}, {0x01FF, 8}, {0x0200, 0}, {0xFFFF, 0}, {0x10001, 0}, {0xFFFFFFFF, 0},
    };
    CEncoder_Standard e;
    for (const auto& c : cases)
        EXPECT_EQ(e.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(c.id)), c.type) << std::hex << c.id;

    // Every id of the 16-bit range answers; the typed ones are counted by hand.
    std::map<int, int> count;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id)
        ++count[e.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(id))];
    const std::map<int, int> expected = {{0, 65536 - 320}, {1, 18}, {2, 9}, {3, 48}, {8, 240}, {9, 5}};
    EXPECT_EQ(count, expected);
}

TEST_F(StandardParmTest, RecordsOfOneFullRunInOrder) {
    CEncoder_Standard e;
    LogCapture log;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_Get808ParmSetVector({Heartbeat30()}, out));
    const std::vector<std::string> init = {
        "(CEncoder_Standard::InitStandardMsgHead） 开始>>>>>",
        "(CEncoder_Standard::InitStandardMsgHead) 开始>>>>>",
        "(CEncoder_Standard::InitStandardMsgHead) 结束<<<<<",
    };
    std::vector<std::string> expected = {"(CEncoder_Standard::ParmSet_GetMainSericeIP） 开始>>>>>"};
    expected.insert(expected.end(), init.begin(), init.end());
    expected.insert(expected.end(), {
        "(CEncoder_Standard::ParmSet_Set808ParmInfo） 开始>>>>>",
        "(CEncoder_Standard::SetOnceParameterData) 开始>>>>>",
        "(CEncoder_Standard::SetOnceParameterData) 结束<<<<<",
        "(CEncoder_Standard::ParmSet_Set808ParmInfo） 结束>>>>>",
        "(CEncoder_Standard::SetMsgData_StandardMsgHead） 开始>>>>>",
        "(CEncoder_Standard::SetMsgData_StandardMsgHead） 结束>>>>>",
        "(CEncoder_Standard::ParmSet_GetMainSericeIP） 结束>>>>>",
    });
    expected.insert(expected.end(), init.begin(), init.end());
    EXPECT_EQ(log.texts(), expected);
    for (const auto& r : log.records()) {
        EXPECT_EQ(r.level, D) << r.text;
        EXPECT_EQ(r.file, kFile) << r.text;
        EXPECT_GT(r.line, 0) << r.text;
    }
}

TEST_F(StandardParmTest, HeartbeatBuilderLogsUnderTheResetName) {
    CEncoder_Standard e;
    LogCapture log;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_GetHeadInterval(Heartbeat30(), out));
    const auto texts = log.texts();
    EXPECT_EQ(texts.front(), "(CEncoder_Standard::InitStandardMsgHead） 开始>>>>>");
    EXPECT_EQ(texts[4], "(CEncoder_Standard::ParmSet_SetHeadInterval） 开始>>>>>");
    EXPECT_EQ(texts[texts.size() - 4], "(CEncoder_Standard::InitStandardMsgHead） 结束>>>>>");
}

TEST_F(StandardParmTest, CaughtExceptionsFailTheBuilder) {
    const struct {
        const char* at;
        std::vector<std::string> errors;
    } cases[] = {
        {"(CEncoder_Standard::SetMsgData_StandardMsgHead） 开始>>>>>",
         {"(CEncoder_Standard::SetMsgData_StandardMsgHead）运行失败,错误信息为: boom", "设置信息失败"}},
        {"(CEncoder_Standard::ParmSet_Set808ParmInfo） 开始>>>>>",
         {"(CEncoder_Standard::ParmSet_Set808ParmInfo）运行失败,错误信息为: boom", "设置信息失败"}},
        {"(CEncoder_Standard::ParmSet_GetMainSericeIP） 开始>>>>>",
         {"(CEncoder_Standard::ParmSet_GetMainSericeIP）运行失败,错误信息为: boom"}},
    };
    for (const auto& c : cases) {
        CEncoder_Standard e;
        LogCapture log;
        log.ThrowAt(c.at);
        Bytes out;
        EXPECT_FALSE(e.ParmSet_Get808ParmSetVector({Heartbeat30()}, out)) << c.at;
        std::vector<std::string> errors;
        for (const auto& r : log.errors()) errors.push_back(r.text);
        EXPECT_EQ(errors, c.errors) << c.at;
        EXPECT_EQ(log.texts().back(), "(CEncoder_Standard::ParmSet_GetMainSericeIP） 结束>>>>>") << c.at;
    }
    EXPECT_EQ(TestException::alive, 0);

    // The heartbeat staging step fails as a whole when its entry does.
    CEncoder_Standard e;
    LogCapture log;
    log.ThrowAt("(CEncoder_Standard::SetOnceParameterData) 开始>>>>>");
    Bytes out;
    EXPECT_FALSE(e.ParmSet_GetHeadInterval(Heartbeat30(), out));
    EXPECT_EQ(log.errors().back().text, "设置信息失败");
}

}  // namespace
