// The 808-tunnelled settings: whole command-0x33 frames from input record to
// bytes, the refusals with their records, and what the builders write into
// the caller's record.
#include "Hex.h"
#include "Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>

using gpenc::test::Area;
using gpenc::test::Hex;
using gpenc::test::Errors;
using gpenc::test::LogCapture;
using gpenc::test::Times;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;
using Call = std::function<bool(CEncoder&, Bytes&)>;
using Texts = std::vector<std::string>;

namespace {

const std::string T = "13800138000";
// Its parameter, and the key of the 808 message id text.
const std::string kT = "00 00 00 12 00 00 01 '13800138000'  00 00 00 0b 00 01 01 ";

// Card dates are sent in local time: the tests run in UTC.
class TunnelTest : public gpenc::test::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        gpenc::test::SetZone("UTC0");
    }
    void TearDown() override {
        SessionTest::TearDown();
        gpenc::test::SetZone(nullptr);
    }
};

// Bytes as hexadecimal pairs, with texts in single quotes standing for their
// characters: "00 01 01 '8103'".
Bytes Wire(const std::string& text) {
    Bytes out;
    for (std::size_t i = 0; i <= text.size();) {
        const std::size_t quote = std::min(text.find('\'', i), text.size());
        const Bytes hex = Hex(text.substr(i, quote - i));
        out.insert(out.end(), hex.begin(), hex.end());
        const std::size_t end = std::min(text.find('\'', quote + 1), text.size());
        if (quote < text.size()) out.insert(out.end(), text.begin() + quote + 1, text.begin() + end);
        i = end + 1;
    }
    return out;
}

// A command-0x33 frame of kSession whose parameters take `length` bytes.
std::string Frame(const std::string& length, const std::string& params) {
    return "47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 33 " + length + " 00 00 " + params;
}

sEquipset Equip(const std::string& terminalNo, const std::string& value, int nSetParm, std::uint32_t mark = 0,
                const Bytes& bytes = {}) {
    sEquipset s;
    s.terminalNo = terminalNo;
    s.strValue = value;
    s.nSetParm = nSetParm;
    s.eParmMark = static_cast<EequipParameterMark>(mark);
    s.vecValueBytes = bytes;
    s.msgId = 0x8103;
    return s;
}

// "LI SI" and empty texts otherwise, dated 2025-03-07.
sEquipControl_SetIC CardSetting(unsigned char byStandard) {
    sEquipControl_SetIC s;
    s.terminalNo = s.stSetIC.strPhoneNo = T;
    s.strMsgHex = "ffff";  // neither is read
    s.msgId = 0x1234;
    s.stSetIC.byStandard = byStandard;
    s.stSetIC.strCardText1 = "LI SI";
    s.stSetIC.tmCardDate = 1741305600;
    s.stSetIC.strExtText1 = "ab";
    s.stSetIC.strExtText2 = "c";
    s.stSetIC.strExtText3 = "de";
    return s;
}

sEquip_AlarmSet AlarmSetting(const std::string& terminalNo, std::vector<MsgData_AlarmSet_CircularArea> areas) {
    sEquip_AlarmSet s;
    s.terminalNo = terminalNo;
    s.bySetAttr = s.byAreaCount = static_cast<unsigned char>(areas.size());
    s.vecAreas = std::move(areas);
    return s;
}

Call Single(sEquipset s) { return [=](CEncoder& e, Bytes& out) mutable { return e.EquipSet(&s, out); }; }
Call List(std::vector<sEquipset> list) { return [=](CEncoder& e, Bytes& out) { return e.EquipSet(list, out); }; }
Call Card(sEquipControl_SetIC s) { return [=](CEncoder& e, Bytes& out) { return e.EquipSet_ICInfoSet(s, out); }; }
// The same settings given a head.
Call Single(sEquipset s, Jt808Head h) {
    return [=](CEncoder& e, Bytes& out) mutable { return e.EquipSet(&s, out, h); };
}
Call List(std::vector<sEquipset> list, Jt808Head h) {
    return [=](CEncoder& e, Bytes& out) { return e.EquipSet(list, out, h); };
}
Call Card(sEquipControl_SetIC s, Jt808Head h) {
    return [=](CEncoder& e, Bytes& out) { return e.EquipSet_ICInfoSet(s, out, h); };
}
const Jt808Head k2019 = Jt808Head::Edition2019();
Call Alarm(sEquip_AlarmSet s) { return [=](CEncoder& e, Bytes& out) mutable { return e.EquipAlarmSet(&s, out); }; }

// Offsets 17 to 143 of both card messages: "LI SI" and three empty texts,
// each filled with "H", NUL, NUL ..., and the date 25 03 07 between them.
const std::string kCardPages = "4c49205349" + Times("480000", 9) + Times("480000", 6) + "250307" +
                               Times("480000", 6) + Times("480000", 18) + "4800";

TEST_F(TunnelTest, WholeFrames) {
    const struct {
        const char* what;
        Call call;
        std::string frame;
    } cases[] = {
        {"heartbeat 60, the last 12 characters of the terminal number", Single(Equip("1013800138000", "60", 1)),
         Frame("00 00 00 52", "00 00 00 14 00 00 01 '1013800138000'  00 00 00 0b 00 01 01 '8103'"
                              "  00 00 00 33 00 02 01 '8103000a01380013800000010100000001040000003c'")},
        {"main server address, an 11-digit terminal number filled with 0", Single(Equip(T, "198.51.100.7", 0x13)),
         Frame("00 00 00 60", kT + "'8103'  00 00 00 43 00 02 01"
                              " '81030012013800138000000101000000130c3139382e35312e3130302e37'")},
        {"a double word, a text and a byte array; only the first terminal number counts",
         List({Equip(T, "30", 0, 0x0001), Equip("99", "10.0.0.1", 0, 0x0013),
               Equip("", "", 0, 0x0110, Hex("01 02 03 04 05 06 07 08"))}),
         Frame("00 00 00 84", kT + "'8103'"
                              "  00 00 00 67 00 02 01 '81030024013800138000000103" "00000001040000001e"
                              "000000130831302e302e302e31" "00000110080102030405060708'")},
        {"two byte arrays: the second does not carry the first's bytes",
         List({Equip(T, "", 0, 0x0110, Hex("01 02 03")), Equip(T, "", 0, 0x0111, Hex("04"))}),
         Frame("00 00 00 5a", kT + "'8103'  00 00 00 3d 00 02 01"
                              " '8103000f0138001380000001020000011003010203000001110104'")},
        {"IC card, standard layout", Card(CardSetting(1)),
         Frame("00 00 01 46", kT + "'8900'  00 00 01 29 00 02 01 '89000085013800138000" "0001" "a000000080" +
                                  kCardPages + "1e'")},
        {"2019: heartbeat 60, the whole terminal number", Single(Equip("1013800138000", "60", 1), k2019),
         Frame("00 00 00 5c", "00 00 00 14 00 00 01 '1013800138000'  00 00 00 0b 00 01 01 '8103'  00 00 00 3d 00 02 01"
                              " '8103400a010000000101380013800000010100000001040000003c'")},
        {"2019, version 3: a text and the period the 2019 table adds",
         List({Equip(T, "apn", 0, 0x0023), Equip(T, "", 0, 0x0032, Hex("08 00 18 00"))}, Jt808Head::Edition2019(3)),
         Frame("00 00 00 6a", kT + "'8103'  00 00 00 4d 00 02 01 '81034012030000000001380013800000010200000023"
                                   "0361706e000000320408001800'")},
        {"2019: IC card, standard layout", Card(CardSetting(1), k2019),
         Frame("00 00 01 50", kT + "'8900'  00 00 01 33 00 02 01 '8900408501000000000138001380000001" "a000000080" +
                                  kCardPages + "1e'")},
        {"2019: IC card, extension layout; check bytes 1e, ff and 60 at body offsets 132, 137 and 260",
         Card(CardSetting(2), k2019),
         Frame("00 00 02 50", kT + "'8900'  00 00 02 33 00 02 01 '8900410501000000000138001380000001" "a000000100" +
                                  kCardPages + "1e" "a55a0000ff" "0261620163026465" + Times("00", 114) + "60'")},
        {"circular area with time window and speed limit", Alarm(AlarmSetting("8613912345678", {Area()})),
         Frame("00 00 00 70", "00 00 00 14 00 00 01 '8613912345678'  00 00 00 0b 00 01 01 '8600'  00 00 00 51 00 02 01"
                              " '1;1;7,3,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00,60,10'")},
        {"circular area setting without areas", Alarm(AlarmSetting(T, {})),
         Frame("00 00 00 27", kT + "'8600'  00 00 00 0a 00 02 01 '0;0'")},
    };
    CEncoder shared;  // builds every row after the rows before it
    for (const auto& c : cases) {
        CEncoder fresh;
        for (CEncoder* e : {&fresh, &shared}) {
            Call call = c.call;  // a fresh copy of the caller's record, whose texts the call appends to
            Bytes out;
            log.clear();
            ASSERT_TRUE(call(*e, out)) << c.what;
            GpencTestAccess::Watch(*e);
            EXPECT_EQ(ToHex(out), ToHex(Wire(c.frame))) << (e == &shared ? "shared: " : "fresh: ") << c.what;
            EXPECT_TRUE(log.errors().empty()) << c.what;
        }
    }
}

// The list form with JT/T 1078's parameters, the active-safety ones opted
// into and the caller's own declared; a layout or a declaration refused.
TEST_F(TunnelTest, VideoAndDeclaredParameters) {
    auto typed = [](std::vector<sEquipset> list, std::vector<Jt808ParmDeclaration> declared, bool safety = false) {
        Jt808ParmTypes types;
        types.activeSafety = safety;
        types.declared = std::move(declared);
        return [=](CEncoder& e, Bytes& out) { return e.EquipSet(list, out, Jt808Head{}, types); };
    };
    const struct {
        const char* what;
        Call call;
        std::string frame;   // empty: refused
        Texts errors;        // of the library's steps, for a frame sent
        const char* reason;  // the whole last failure after "CEncoder::EquipSet: "
    } cases[] = {
        {"1078's alarm mask and special alarm recording", List({Equip(T, "3", 0, 0x007A), Equip(T, "", 0, 0x0079, Hex("5a 0a 05"))}),
         Frame("00 00 00 60", kT + "'8103'  00 00 00 43 00 02 01 '81030012013800138000000102" "0000007a0400000003"
                                   "00000079035a0a05'"), {}, ""},
        {"a declared word, and a blind-spot setting opted into",
         typed({Equip(T, "258", 0, 0xF001), Equip(T, "", 0, 0xF367, Hex("05 06"))}, {{0xF001, DATATYPE_WORD, 2}}, true),
         Frame("00 00 00 5a", kT + "'8103'  00 00 00 3d 00 02 01 '8103000f013800138000000102" "0000f001020102"
                                   "0000f367020506'"), {}, ""},
        {"an undeclared id left out", typed({Equip(T, "5", 0, 0xF002), Equip(T, "30", 0, 1)}, {{0xF001, DATATYPE_DWORD, 4}}),
         Frame("00 00 00 50", kT + "'8103'  00 00 00 33 00 02 01 '8103000a01380013800000010100000001040000001e'"),
         {"(CEncoder_Standard::SetOnceParameterData)运行失败"}, ""},
        {"a channel list whose counts disagree", List({Equip(T, "", 0, 0x0076, Hex("01 00 01 01 01 00 01"))}), "", {},
         "equipSets[0].vecValueBytes: must be 11 bytes for 0x0076 (audio/video channel list), got 7: 3 + 4 x 2, "
         "the entries its first 3 bytes count"},
        {"an ADAS setting opted into, a byte short", typed({Equip(T, "", 0, 0xF364, Bytes(55, 1))}, {}, true), "", {},
         "equipSets[0].vecValueBytes: must be 56 bytes for 0xF364 (ADAS parameters), got 55"},
        {"an id declared twice", typed({Equip(T, "5", 0, 1)}, {{0xF001, DATATYPE_DWORD, 4}, {0xF001, DATATYPE_DWORD, 4}}),
         "", {}, "types.declared[1].id: 0xF001 is declared twice, first as types.declared[0]"},
    };
    for (const auto& c : cases) {
        CEncoder e;
        Bytes out = {0x99};
        log.clear();
        EXPECT_EQ(c.call(e, out), !c.frame.empty()) << c.what;
        EXPECT_EQ(ToHex(out), ToHex(c.frame.empty() ? Bytes{0x99} : Wire("99 " + c.frame))) << c.what;
        if (c.frame.empty()) EXPECT_EQ(gpenc::LastFailure(), std::string("CEncoder::EquipSet: ") + c.reason) << c.what;
        else EXPECT_EQ(Errors(log), c.errors) << c.what;
    }
}

// What follows "(CEncoder::name)" in the records of operation `name`.
Texts Own(const LogCapture& log, const std::string& name) {
    const std::string prefix = "(CEncoder::" + name + ")";
    Texts texts;
    for (const auto& t : log.texts())
        if (t.rfind(prefix, 0) == 0) texts.push_back(t.substr(prefix.size()));
    return texts;
}

const char kBegin[] = " 开始>>>>>", kFrom808[] = " 生成808数据开始<<<<<", kTo808[] = " 生成808数据结束<<<<<",
           kFailed[] = "运行失败", kExit[] = " 结束<<<<<";

TEST_F(TunnelTest, RefusalsAndTheirRecords) {
    const std::string failed = "(CEncoder::EquipSet)运行失败", cardFailed = "(CEncoder::EquipSet_ICInfoSet)运行失败";
    const Texts refused = {kBegin, kFailed, kExit}, inside = {kBegin, kFrom808, kFailed, kExit},
                notEncoded = {kBegin, kFrom808, "解释808失败", kExit}, quiet = {kBegin, kFrom808};
    const Texts not808 = {"得到信息失败", "(CEncoder::EquipSet)解释808失败"};
    sEquipControl_SetIC noTerminal = CardSetting(1), badPhone = CardSetting(1), bigId = CardSetting(1);
    noTerminal.terminalNo.clear();
    badPhone.stSetIC.strPhoneNo = "x";
    bigId.msgId = 70000;
    const struct {
        const char* what;
        Call call;
        std::string name;  // of the builder's records
        Texts own;
        Texts errors;
        const char* throwAt;  // the record that throws a framework exception, if any
        const char* reason;   // the whole last failure after "CEncoder::"
    } cases[] = {
        {"null record", [](CEncoder& e, Bytes& o) { return e.EquipSet(static_cast<sEquipset*>(nullptr), o); },
         "EquipSet", refused, {failed}, nullptr, "EquipSet: equipSet: must not be null"},
        {"empty terminal number", Single(Equip("", "60", 1)), "EquipSet", refused, {failed}, nullptr,
         "EquipSet: equipSet.terminalNo: must not be empty"},
        {"empty list", List({}), "EquipSet", refused, {failed}, nullptr, "EquipSet: equipSets: must not be empty"},
        {"no first terminal number", List({Equip("", "5", 0, 1), Equip(T, "5", 0, 1)}), "EquipSet", refused,
         {failed}, nullptr, "EquipSet: equipSets[0].terminalNo: must not be empty"},
        {"card without terminal number", Card(noTerminal), "EquipSet_ICInfoSet", refused, {cardFailed}, nullptr,
         "EquipSet_ICInfoSet: setIC.terminalNo: must not be empty"},
        {"null alarm record", [](CEncoder& e, Bytes& o) { return e.EquipAlarmSet(nullptr, o); }, "EquipSet",
         refused, {failed}, nullptr, "EquipAlarmSet: alarmSet: must not be null"},
        {"alarm without terminal number", Alarm(AlarmSetting("", {})), "EquipSet", refused, {failed}, nullptr,
         "EquipAlarmSet: alarmSet.terminalNo: must not be empty"},
        {"a phone number the 808 head cannot hold", Single(Equip("1380013800x", "60", 1)), "EquipSet",
         notEncoded, not808, nullptr, "EquipSet: equipSet.terminalNo: not digit pairs: \"1380013800x\""},
        {"the same in a list", List({Equip("1380013800x", "5", 0, 1)}), "EquipSet", notEncoded, not808, nullptr,
         "EquipSet: equipSets[0].terminalNo: not digit pairs: \"1380013800x\""},
        {"the same on a card", Card(badPhone), "EquipSet_ICInfoSet", inside, {"得到信息失败", cardFailed}, nullptr,
         "EquipSet_ICInfoSet: setIC.stSetIC.strPhoneNo: not digit pairs: \"x\""},
        {"2019: 21 digits, not cut", Single(Equip("123456789012345678901", "60", 1), k2019), "EquipSet", notEncoded,
         not808, nullptr, "EquipSet: equipSet.terminalNo: longer than 20 digits: \"123456789012345678901\""},
        {"2019: a hexadecimal digit", List({Equip("1380013800a", "5", 0, 1)}, k2019), "EquipSet", notEncoded, not808,
         nullptr, "EquipSet: equipSets[0].terminalNo: not decimal digits: \"1380013800a\""},
        {"an edition that is none", Single(Equip(T, "60", 1), Jt808Head{2020, 1}), "EquipSet", refused, {failed},
         nullptr, "EquipSet: head.edition: must be 2013 or 2019, got 2020"},
        {"2019 with version 0", Card(CardSetting(2), Jt808Head::Edition2019(0)), "EquipSet_ICInfoSet", refused,
         {cardFailed}, nullptr, "EquipSet_ICInfoSet: head.version: must be 1 to 255 under the 2019 head, got 0"},
        {"a heartbeat above 32 bits", Single(Equip(T, "4294967296", 1)), "EquipSet", inside, {failed}, nullptr,
         "EquipSet: equipSet.strValue: must be -2147483648 to 4294967295, got \"4294967296\""},
        {"a word below -2^31 in a list", List({Equip(T, "a", 0, 0x0013), Equip(T, "-2147483649", 0, 0x0031)}),
         "EquipSet", inside, {failed}, nullptr,
         "EquipSet: equipSets[1].strValue: must be -32768 to 65535, got \"-2147483649\""},
        {"no message and no text of the caller's own", Single(Equip(T, "60", 5)), "EquipSet", quiet, {}, nullptr,
         "EquipSet: equipSet.strMsgHex: must not be empty: nSetParm 5 builds no message"},
        {"the setting text's builder interrupted", Alarm(AlarmSetting(T, {Area()})), "EquipSet", notEncoded,
         {"(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular）运行失败,错误信息为: boom",
          "(CEncoder::EquipSet)解释808失败"},
         "(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular） 开始>>>>>",
         "EquipAlarmSet: a framework exception caught in CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular: boom"},
        {"the parameter step interrupted", Alarm(AlarmSetting(T, {})), "EquipSet",
         {kBegin, kFrom808, kTo808, kFailed, kExit},
         {"(CEncoder::SetEquipSetAlarmSetData)运行失败,错误信息为: boom", failed},
         "(CEncoder::SetEquipSetAlarmSetData) 开始>>>>>",
         "EquipAlarmSet: a framework exception caught in CEncoder::SetEquipSetAlarmSetData: boom"},
        {"the builder interrupted", Single(Equip(T, "60", 1)), "EquipSet",
         {kBegin, kFrom808, "运行失败,错误信息为: boom", kExit}, {failed + ",错误信息为: boom"},
         "(CEncoder::EquipSet) 生成808数据结束<<<<<", "EquipSet: a framework exception caught in CEncoder::EquipSet: boom"},
        {"the card's parameter step on its own", [&](CEncoder& e, Bytes&) { return e.SetEquipSet_ICInfoSetParameterData(&bigId); },
         "SetEquipSet_ICInfoSetParameterData", refused, {"(CEncoder::SetEquipSet_ICInfoSetParameterData)运行失败"},
         nullptr, "SetEquipSet_ICInfoSetParameterData: setIC.msgId: must be 0 to 65535, got 70000"},
    };
    for (const auto& c : cases) {
        CEncoder e;
        Bytes out = {0x99};
        log.clear();
        log.OnRecord(nullptr);
        if (c.throwAt != nullptr) log.ThrowAt(c.throwAt);
        EXPECT_FALSE(c.call(e, out)) << c.what;
        GpencTestAccess::Watch(e);
        EXPECT_EQ(out, Bytes{0x99}) << c.what;
        EXPECT_EQ(Own(log, c.name), c.own) << c.what;
        EXPECT_EQ(Errors(log), c.errors) << c.what;
        EXPECT_EQ(gpenc::LastFailure(), std::string("CEncoder::") + c.reason) << c.what;
    }
    log.OnRecord(nullptr);
    EXPECT_EQ(gpenc::test::host::LiveExceptions(), 0);
}

// The setting's own 808 encoder is gone, its records written, before the step
// that takes a fault logs it: the order unwinding gave.
TEST_F(TunnelTest, SettingsEncoderGoesBeforeTheFaultIsLogged) {
    CEncoder e;
    Bytes out;
    sEquipset setting = Equip(T, "60", 1);
    log.ThrowAt("(CEncoder::EquipSet) 生成808数据结束<<<<<");
    EXPECT_FALSE(e.EquipSet(&setting, out));
    const auto texts = log.texts();
    const auto gone = std::find(texts.begin(), texts.end(), "(CEncoder_Standard::~CEncoder_Standard) 结束<<<<<");
    const auto logged = std::find(texts.begin(), texts.end(), "(CEncoder::EquipSet)运行失败,错误信息为: boom");
    ASSERT_NE(logged, texts.end());
    EXPECT_LT(gone, logged);
}

// The last `length` bytes of a frame: the end of the text sent as key 2.
std::string Tail(const Bytes& frame, std::size_t length) {
    return std::string(frame.end() - static_cast<std::ptrdiff_t>(length), frame.end());
}

TEST_F(TunnelTest, WritesIntoTheCallersRecord) {
    // The hex text is appended to what was there, and all of it is sent.
    sEquipset heartbeat = Equip("1013800138000", "60", 1);
    heartbeat.strMsgHex = "ab";
    const std::string message = "8103000a01380013800000010100000001040000003c";
    for (const std::string& expected : {"ab" + message, "ab" + message + message}) {
        CEncoder e;
        Bytes out;
        ASSERT_TRUE(e.EquipSet(&heartbeat, out));
        EXPECT_EQ(heartbeat.strMsgHex, expected);
        EXPECT_EQ(heartbeat.strPhoneNo, "013800138000");
        EXPECT_EQ(Tail(out, expected.size()), expected);
    }
    sEquip_AlarmSet alarm = AlarmSetting(T, {}), interrupted = AlarmSetting(T, {});
    alarm.strMsgText = "x|";
    CEncoder e1, e2;
    Bytes out;
    ASSERT_TRUE(e1.EquipAlarmSet(&alarm, out));
    EXPECT_EQ(alarm.strMsgText, "x|0;0");
    EXPECT_EQ(alarm.strPhoneNo, T);  // the last 12 characters, none added
    EXPECT_EQ(alarm.msgId, 0x8600);
    EXPECT_EQ(Tail(out, 5), "x|0;0");
    // Without a text the message id is not set.
    log.ThrowAt("(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular） 开始>>>>>");
    EXPECT_FALSE(e2.EquipAlarmSet(&interrupted, out));
    EXPECT_EQ(interrupted.msgId, 0);
}

TEST_F(TunnelTest, NumbersAreReadAsAtoiReadsThem) {
    const std::pair<const char*, const char*> cases[] = {
        // text, the heartbeat in the message (nullptr: refused)
        {"60", "0000003c"}, {"60s", "0000003c"}, {"abc", "00000000"}, {"", "00000000"},
        {"-", "00000000"}, {" \t+7", "00000007"}, {"1 2", "00000001"}, {"-1", "ffffffff"},
        {"-0", "00000000"}, {"4294967295", "ffffffff"}, {"2147483648", "80000000"}, {"-2147483648", "80000000"},
        {"000000000004294967295", "ffffffff"}, {"-2147483649", nullptr},
        {"99999999999999999999999", nullptr}, {"-99999999999999999999999", nullptr},
    };
    for (const auto& [text, value] : cases) {
        sEquipset s = Equip(T, text, 1);
        CEncoder e;
        Bytes out;
        log.clear();
        ASSERT_EQ(e.EquipSet(&s, out), value != nullptr) << text;
        gpenc::test::Watch("out", out), GpencTestAccess::Watch(e);
        EXPECT_EQ(value != nullptr ? Tail(out, 8) : Errors(log).at(0),
                  value != nullptr ? value : "(CEncoder::EquipSet)运行失败") << text;
    }
}

TEST_F(TunnelTest, CardParameterStepOnItsOwn) {
    sEquipControl_SetIC setIC = CardSetting(1);
    setIC.strMsgHex.clear();
    CEncoder e;
    EXPECT_FALSE(e.SetEquipSet_ICInfoSetParameterData(&setIC));
    EXPECT_FALSE(e.SetEquipSet_ICInfoSetParameterData(nullptr));
    EXPECT_TRUE(GpencTestAccess::Parameters(e).empty());
    EXPECT_EQ(Errors(log), Texts(2, "(CEncoder::SetEquipSet_ICInfoSetParameterData)运行失败"));
    setIC.strMsgHex = "0a";  // sent as it stands, the message id too
    ASSERT_TRUE(e.SetEquipSet_ICInfoSetParameterData(&setIC));
    EXPECT_EQ(ToHex(GpencTestAccess::Parameters(e)),
              ToHex(Wire(kT + "'1234'  00 00 00 09 00 02 01 '0a'")));
    // The next builder starts from empty buffers: the step's parameters are dropped.
    Bytes out;
    ASSERT_TRUE(e.Realtime("13800138000", out));
    EXPECT_EQ(ToHex(out), ToHex(Wire("47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af 00 50 00 00 00 12 "
                                     "00 00  00 00 00 12 00 00 01 '13800138000'")));
}

}  // namespace
