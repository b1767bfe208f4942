// The platform command builders: parameter bytes and command numbers, refused
// inputs with their failure records, and the order of a build's records.
#include "Hex.h"
#include "Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

using gpenc::test::Hex;
using gpenc::test::Errors;
using gpenc::test::LogCapture;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;
using Call = std::function<bool(CEncoder&, Bytes&)>;
using Texts = std::vector<std::string>;

namespace {

const char kHead[] = "47 50 00 1a 00 01 a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af";
// Terminal number "T1" and the "8" of an 808 message id text.
const std::string kT1 = "00 00 00 09 00 00 01 54 31  00 00 00 0b 00 01 01 ";

using CommandTest = gpenc::test::SessionTest;

template <class R>
Call With(bool (CEncoder::*builder)(R*, Bytes&), R record) {
    return [=](CEncoder& e, Bytes& out) mutable { return (e.*builder)(&record, out); };
}
// A CEncoder_Standard builder on an object of its own, given `arg`.
template <class Arg>
Call Message(bool (CEncoder_Standard::*build)(Arg, Bytes&), Arg arg) {
    return [=](CEncoder&, Bytes& out) { return (CEncoder_Standard().*build)(arg, out); };
}

template <class R>
Call Null(bool (CEncoder::*builder)(R*, Bytes&)) {
    return [=](CEncoder& e, Bytes& out) { return (e.*builder)(nullptr, out); };
}

// "(CEncoder::name)运行失败" for each name.
Texts Failed(std::initializer_list<const char*> names) {
    Texts texts;
    for (const char* n : names) texts.push_back(std::string("(CEncoder::") + n + ")运行失败");
    return texts;
}

// The text of the last parameter record in a frame.
std::string LastText(const Bytes& frame) {
    std::size_t at = 30, last = 30;
    for (; at + 4 <= frame.size(); at += (frame[at + 2] << 8) | frame[at + 3]) last = at;
    return std::string(frame.begin() + static_cast<std::ptrdiff_t>(last) + 7, frame.end());
}

TEST_F(CommandTest, FramesCarryTheCommandAndParameters) {
    const struct {
        Call call;
        const char* command;
        std::string params;
    } cases[] = {
        {With(&CEncoder::Cmd_sCommitInterval, sCommitInterval{0xff, "a", "b", "c", "d", "e", "f"}), "00 22",
         "00 00 00 08 00 00 09 ff  00 00 00 08 00 01 01 61  00 00 00 08 00 02 01 62  00 00 00 08 00 03 01 63"
         "00 00 00 08 00 04 01 64  00 00 00 08 00 05 01 65  00 00 00 08 00 06 01 66"},
        {With(&CEncoder::Cmd_SoundSowing, sSoundSowing{"ab", "c"}), "00 06",
         "00 00 00 09 00 00 01 61 62  00 00 00 08 00 01 01 63"},
        {With(&CEncoder::Cmd_sListening, sListening{"z", "y", 0}), "00 20",
         "00 00 00 08 00 00 01 79  00 00 00 08 00 01 09 00  00 00 00 08 00 02 01 7a"},
        {With(&CEncoder::Cmd_sSimSet, sSimSetInterval{"1", "2"}), "00 23",
         "00 00 00 08 00 00 01 31  00 00 00 08 00 01 01 32"},
        {With(&CEncoder::Cmd_sBlackout, sBlackoutInterval{"p", "q"}), "00 25",
         "00 00 00 08 00 00 01 70  00 00 00 08 00 01 01 71"},
        {With(&CEncoder::Cmd_sVideo, sVideo{"e", "a", 0xff, "c", -2}), "00 19",
         "00 00 00 08 00 00 01 61  00 00 00 08 00 01 09 ff  00 00 00 08 00 02 01 63"
         "00 00 00 0b 00 03 06 ff ff ff fe  00 00 00 08 00 04 01 65"},
        {With(&CEncoder::Cmd_AlarmHandle, sAlarmHandle{"a", "b", 0, "d"}), "00 07",
         "00 00 00 08 00 00 01 61  00 00 00 08 00 01 01 62  00 00 00 08 00 02 01 00  00 00 00 08 00 03 01 64"},
        {With(&CEncoder::Cmd_sTimeInterval, sTimeInterval{"A", 5}), "00 18",
         "00 00 00 08 00 00 01 41  00 00 00 0b 00 01 06 00 00 00 05"},
        {With(&CEncoder::Cmd_sPreset, sPreset{"p", 3, {"x", "y", "z"}}), "00 21",
         "00 00 00 08 00 00 01 70  00 00 00 0b 00 01 06 00 00 00 03"
         "00 00 00 08 00 02 01 78  00 00 00 08 00 02 01 79  00 00 00 08 00 02 01 7a"},
        {With(&CEncoder::Cmd_sPreset, sPreset{"p", -5, {}}), "00 21",
         "00 00 00 08 00 00 01 70  00 00 00 0b 00 01 06 ff ff ff fb"},
        // The caller's msgId and argument are not read.
        {With(&CEncoder::Cmd_EquipSetQuery, sEquipsetQuery{"T1", "r", 0x8103, "x"}), "00 33",
         kT1 + "38 31 30 34  00 00 00 08 00 02 01 30"},
        {With(&CEncoder::Cmd_EquipPositionInfoQuery, sEquipPositionInfoQuery{"T1"}), "00 33",
         kT1 + "38 32 30 31  00 00 00 08 00 02 01 30"},
        {With(&CEncoder::Cmd_AffirmAlarmInform, sAffirmAlarmInform{"T1"}), "00 33",
         kT1 + "38 32 30 33  00 00 00 08 00 02 01 31"},
        {With(&CEncoder::Cmd_EquipTempPositionTrack, sEquipTempPositionTrack{"T", "", 0, 0, -1}), "00 33",
         "00 00 00 08 00 00 01 54  00 00 00 0b 00 01 01 38 32 30 32  00 00 00 0b 00 02 01 30 2c 2d 31"},
        {[](CEncoder& e, Bytes& o) { return e.Subscription(5, "x", o); }, "00 03",
         "00 00 00 0b 00 00 06 00 00 00 05  00 00 00 08 00 01 01 78"},
        {[](CEncoder& e, Bytes& o) { return e.Subscription(-1, o); }, "00 03", "00 00 00 0b 00 00 06 ff ff ff ff"},
        {[](CEncoder& e, Bytes& o) { return e.Realtime("T1", o); }, "00 50", "00 00 00 09 00 00 01 54 31"},
        {[](CEncoder& e, Bytes& o) { return e.Photograph("T", 0, o); }, "00 05",
         "00 00 00 08 00 00 01 54  00 00 00 08 00 01 09 00"},
        // Only the last byte of the start set, and the start after the end.
        {With(&CEncoder::TrackPlayback, sTrackPlayback{"T", {0, 0, 0, 0, 0, 2}, {0, 0, 0, 0, 0, 1}}), "00 11",
         "00 00 00 08 00 00 01 54  00 00 00 0d 00 01 0a 00 00 00 00 00 02  00 00 00 0d 00 02 0a 00 00 00 00 00 01"},
    };
    CEncoder shared;  // builds every row after the rows before it
    for (const auto& c : cases) {
        const Bytes params = Hex(c.params);
        Bytes frame = Hex(std::string(kHead) + c.command);
        frame.insert(frame.end(), {0, 0, 0, static_cast<unsigned char>(params.size()), 0, 0});
        frame.insert(frame.end(), params.begin(), params.end());
        CEncoder fresh;
        for (CEncoder* e : {&fresh, &shared}) {
            Bytes out;
            ASSERT_TRUE(c.call(*e, out)) << c.params;
            GpencTestAccess::Watch(*e);
            EXPECT_EQ(ToHex(out), ToHex(frame)) << (e == &shared ? "shared " : "fresh ") << c.params;
        }
        EXPECT_TRUE(log.errors().empty()) << c.params;
    }
}

TEST_F(CommandTest, RefusedInputsLeaveOutAndParametersAlone) {
    bool inside = false;  // a call made while a record is written (an appender that encodes) has its own reason
    auto nested = [&](const auto&) { Bytes x; if (!std::exchange(inside, true)) CEncoder().CommonData(3, x); };
    const struct {
        Call call;
        Texts errors;
        const char* reason;  // the whole last failure after "CEncoder::"
    } cases[] = {
        {Null(&CEncoder::Cmd_sCommitInterval), Failed({"Cmd_sCommitInterval"}), "Cmd_sCommitInterval: interval: must not be null"},
        {With(&CEncoder::Cmd_sCommitInterval, sCommitInterval{0, "a", "b", "c", "d", "e", "f"}),
         Failed({"Cmd_sCommitInterval"}), "Cmd_sCommitInterval: interval.byte0: must not be 0"},
        {With(&CEncoder::Cmd_SoundSowing, sSoundSowing{"a", ""}), Failed({"Cmd_SoundSowing"}),
         "Cmd_SoundSowing: sowing.text1: must not be empty"},
        {With(&CEncoder::Cmd_sSimSet, sSimSetInterval{"", "b"}), Failed({"Cmd_sSimSet"}),
         "Cmd_sSimSet: simSet.text0: must not be empty"},
        {With(&CEncoder::Cmd_sBlackout, sBlackoutInterval{"a", ""}), Failed({"Cmd_sBlackout"}),
         "Cmd_sBlackout: blackout.text1: must not be empty"},
        {With(&CEncoder::Cmd_sListening, sListening{"z", "", 1}), Failed({"Cmd_sListening"}),
         "Cmd_sListening: listening.text0: must not be empty"},
        {With(&CEncoder::Cmd_sVideo, sVideo{"e", "a", 1, "c", 0}), Failed({"Cmd_sVideo"}),
         "Cmd_sVideo: video.int3: must not be 0"},
        {With(&CEncoder::Cmd_AlarmHandle, sAlarmHandle{"a", "b", 10, "d"}), Failed({"Cmd_AlarmHandle"}),
         "Cmd_AlarmHandle: alarm.byte2: must be 0 to 9, got 10"},
        {With(&CEncoder::Cmd_sTimeInterval, sTimeInterval{"A", 0}), Failed({"Cmd_sTimeInterval"}),
         "Cmd_sTimeInterval: interval.int1: must not be 0"},
        {With(&CEncoder::Cmd_sPreset, sPreset{"p", -1, {}}), Failed({"Cmd_sPreset"}),
         "Cmd_sPreset: preset.count1: must not be -1"},
        {With(&CEncoder::Cmd_sPreset, sPreset{"p", 4, {"x", "y", "z"}}), Failed({"Cmd_sPreset"}),
         "Cmd_sPreset: preset.count1: must be at most names2.size() 3, got 4"},
        {Null(&CEncoder::Cmd_EquipSetQuery), Failed({"Cmd_EquipSetQuery"}), "Cmd_EquipSetQuery: query: must not be null"},
        {With(&CEncoder::Cmd_EquipPositionInfoQuery, sEquipPositionInfoQuery{}), Failed({"Cmd_EquipPositionInfoQuery"}),
         "Cmd_EquipPositionInfoQuery: query.terminalNo: must not be empty"},
        {Null(&CEncoder::Cmd_EquipTempPositionTrack), Failed({"Cmd_EquipTempPositionTrack"}),
         "Cmd_EquipTempPositionTrack: track: must not be null"},
        {With(&CEncoder::Cmd_EquipControl, sEquipControl{}), Failed({"usEquipControlData"}),
         "Cmd_EquipControl: control.terminalNo: must not be empty"},
        {[](CEncoder& e, Bytes& o) { return e.Subscription(0, "x", o); }, Failed({"Subscription"}),
         "Subscription: number: must not be 0"},
        {[](CEncoder& e, Bytes& o) { return e.Subscription(0, o); }, Failed({"Subscription"}),
         "Subscription: number: must not be 0"},
        {[](CEncoder& e, Bytes& o) { return e.Subscription(5, "", o); },
         Failed({"SetSubscriptionParameterData", "Subscription"}), "Subscription: text: must not be empty"},
        {[&](CEncoder& e, Bytes& o) {
             log.OnRecord(nested);
             return e.Subscription(5, "", o);
         },
         Failed({"CommonData", "SetSubscriptionParameterData", "Subscription"}),
         "Subscription: text: must not be empty"},
        {[](CEncoder& e, Bytes& o) { return e.Realtime("", o); }, Failed({"Realtime"}),
         "Realtime: terminalNo: must not be empty"},
        {[](CEncoder& e, Bytes& o) { return e.Photograph("", 1, o); }, Failed({"Photograph"}),
         "Photograph: terminalNo: must not be empty"},
        {With(&CEncoder::TrackPlayback, sTrackPlayback{"T", {}, {1}}), Failed({"TrackPlayback"}),
         "TrackPlayback: playback.byStartTime: must not be all zero"},
        {With(&CEncoder::TrackPlayback, sTrackPlayback{"T", {1}, {}}), Failed({"TrackPlayback"}),
         "TrackPlayback: playback.byEndTime: must not be all zero"},
        // A reason names a login text, never shows it: they carry credentials.
        {With(&CEncoder::UserLogin, sUserLogin{"secret0", "secret1", "secret2", "", "secret4", "secret5", "secret6", "s7"}),
         Failed({"UserLogin"}), "UserLogin: login.loginText3: must not be empty"},
    };
    for (const auto& c : cases) {
        CEncoder e;
        Bytes out = {0x99};
        log.clear();
        EXPECT_FALSE(c.call(e, out)) << c.errors.back();
        GpencTestAccess::Watch(e);
        log.OnRecord(nullptr);
        EXPECT_EQ(out, Bytes{0x99}) << c.errors.back();
        EXPECT_TRUE(GpencTestAccess::Parameters(e).empty()) << c.errors.back();
        EXPECT_EQ(Errors(log), c.errors);
        const std::string why = gpenc::LastFailure();
        EXPECT_EQ(why, std::string("CEncoder::") + c.reason);
        EXPECT_EQ(why.find("secret"), std::string::npos) << why;
    }
}

// A count beyond the names is refused by the step on its own too; a count of
// 0 fails on the empty name after keys 0 and 1 went out.
TEST_F(CommandTest, PresetCountsInTheStep) {
    sPreset beyond{"p", 4, {"x", "y", "z"}}, none{"p", 0, {"x"}};
    CEncoder e1, e2;
    Bytes out;
    EXPECT_FALSE(GpencTestAccess::SetPresetParameterData(e1, &beyond));
    EXPECT_TRUE(GpencTestAccess::Parameters(e1).empty());
    EXPECT_FALSE(e2.Cmd_sPreset(&none, out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ToHex(GpencTestAccess::Parameters(e2)), "00 00 00 08 00 00 01 70 00 00 00 0b 00 01 06 00 00 00 00");
    EXPECT_EQ(Errors(log), Failed({"SetPresetParameterData", "SetOnceParameterData", "SetPresetParameterData",
                                   "Cmd_sPreset"}));
}

TEST_F(CommandTest, TerminalControlTexts) {
    using Upgrade = decltype(sEquipControl::strUpgradeArgs);
    using Connect = decltype(sEquipControl::strConnectArgs);
    const Upgrade upgrade = {"url", "apn", "user", "pw", "addr", "7000", "7001", "MFR", "hw1", "fw2", "60"};
    const Connect connect = {"0", "auth", "apn", "u", "p", "addr", "7000", "7001", "30"};
    const struct {
        int command;
        Upgrade upgrade;
        Connect connect;
        const char* text;  // nullptr: refused
    } cases[] = {
        {1, upgrade, connect, "1,url;apn;user;pw;addr;7000;7001;MFR;hw1;fw2;60"},
        {1, {}, connect, "1,;;;;;;;;;;"},
        {2, upgrade, connect, "2,0;auth;apn;u;p;addr;7000;7001;30"},
        {2, upgrade, {"1", "auth", "apn"}, "2,1"},  // back to the default server
        {2, upgrade, {"10"}, "2,10;;;;;;;;"},
        {3, upgrade, connect, "3"}, {7, upgrade, connect, "7"},  // 4 to 6 take the same branch
        {0, upgrade, connect, nullptr}, {8, upgrade, connect, nullptr},
    };
    for (const auto& c : cases) {
        sEquipControl control;
        control.terminalNo = "T";
        control.nCommand = c.command;
        control.strUpgradeArgs = c.upgrade;
        control.strConnectArgs = c.connect;
        CEncoder e;
        Bytes out;
        log.clear();
        ASSERT_EQ(e.Cmd_EquipControl(&control, out), c.text != nullptr) << c.command;
        gpenc::test::Watch("out", out), GpencTestAccess::Watch(e);
        if (c.text != nullptr) {
            EXPECT_EQ(LastText(out), c.text) << c.command;
        } else {
            EXPECT_TRUE(GpencTestAccess::Parameters(e).empty());
            EXPECT_EQ(Errors(log), Failed({"SetEquipSetQueryParameterData", "usEquipControlData"}));
        }
    }
}

// The records of one build, without those of the conversions inside its steps.
TEST_F(CommandTest, BuildWritesItsStepsInOrder) {
    sEquipControl control;
    control.terminalNo = "T";
    control.nCommand = 4;
    CEncoder e;
    Bytes out;
    log.clear();
    ASSERT_TRUE(e.Cmd_EquipControl(&control, out));
    Texts steps;
    for (const auto& t : log.texts())
        if (t.rfind("(CEncoder::Set", 0) == 0 || t.rfind("(CEncoder::init", 0) == 0 || t.rfind("(CEncoder::us", 0) == 0)
            steps.push_back(t.substr(11));  // after "(CEncoder::"
    const Texts once = {"SetOnceParameterData) 开始>>>>>", "SetOnceParameterData) 结束<<<<<"},
                reset = {"initParameterConfig） 开始>>>>>", "initParameterConfig) 开始>>>>>", "initParameterConfig) 结束<<<<<"};
    Texts want = {"usEquipControlData) 开始>>>>>", "usEquipControlData) 生成808数据开始<<<<<",
                  "usEquipControlData) 生成808数据结束<<<<<", "SetEquipSetQueryParameterData) 开始>>>>>"};
    for (const Texts* part : {&once, &reset, &once, &reset, &once}) want.insert(want.end(), part->begin(), part->end());
    want.insert(want.end(), {"SetEquipSetQueryParameterData) 结束<<<<<", "SetBodyData) 开始>>>>>", "SetBodyData) 结束<<<<<",
                             "SetHeaderData) 开始>>>>>", "SetHeaderData) 结束<<<<<", "usEquipControlData) 结束<<<<<"});
    EXPECT_EQ(steps, want);
}

// Every guarded region a test can reach: a framework exception thrown from
// the `occurrence`-th record `throwAt` is logged (`error`, by default the
// operation's own "运行失败" record with the message, then the exit record
// `exit` where given) and released, and the operation gives its failure
// value, which its caller must see.
TEST_F(CommandTest, CaughtExceptionGivesTheFailureValue) {
    using S = CEncoder_Standard;
    EquipParmSet_EquipConfig heartbeat;
    heartbeat.strPhoneNo = "13800138000";
    heartbeat.eParmMark = PARM_HEARTBEAT_INTERVAL;
    heartbeat.eDataType = DATATYPE_DWORD;
    EquipParmSet_EquipConfig plate = heartbeat;
    plate.eParmMark = static_cast<EequipParameterMark>(0x0083);
    plate.eDataType = DATATYPE_STRING;
    plate.strValue = "abc";
    const std::vector<EquipParmSet_EquipConfig> plates = {plate};
    struct_EquipControl_SetIC card;
    card.strPhoneNo = "13800138000";
    card.tmCardDate = 1741305600;  // 2025-03-07
    card.strExtText1 = card.strExtText2 = card.strExtText3 = "ab";
    auto stage = [&](bool (S::*step)(struct_EquipControl_SetIC)) {
        return [=](CEncoder&, Bytes&) { return (S().*step)(card); };
    };
    const Call login = With(&CEncoder::UserLogin, sUserLogin{"a", "b", "c", "d", "e", "f", "g", "h"}),
               sowing = With(&CEncoder::Cmd_SoundSowing, sSoundSowing{"a", "b"}),
               list = Message(&S::ParmSet_Get808ParmSetVector, plates),
               extension = Message(&S::ParmSet_ICInfoSetExtension, card);
    const char* const staged = "(CEncoder_Standard::SetOnceParameterData) 开始>>>>>";
    const struct {
        const char* throwAt;
        int occurrence;
        Call call;
        bool result;
        std::string error = "";
        const char* exit = nullptr;
    } cases[] = {
        {"(CEncoder::initParameterConfig) 开始>>>>>", 1,
         [](CEncoder& e, Bytes&) {
             ParameterConfig c;
             return GpencTestAccess::initParameterConfig(e, c);
         },
         false, "", "(CEncoder::initParameterConfig) 结束<<<<<"},
        // Thrown before initParameterConfig's own region: the step catches it,
        // under its own name rather than its tag.
        {"(CEncoder::initParameterConfig） 开始>>>>>", 1, With(&CEncoder::Cmd_AlarmHandle, sAlarmHandle{"a", "b", 3, "d"}),
         false, "(CEncoder::SetAlarmHandleParameterData)运行失败,错误信息为: boom",
         "(CEncoder::SetAlarmHandleParameterData) 结束<<<<<"},
        // A failed reset does not keep the subscription text from going out.
        {"(CEncoder::initParameterConfig) 开始>>>>>", 1,
         [](CEncoder& e, Bytes& o) { return e.Subscription(5, "x", o); }, true},
        {"(CEncoder::UserLogin) 开始>>>>>", 1, login, false},
        {"(CEncoder::SetLoginParameterData) 开始>>>>>", 1, login, false},
        {"(CEncoder::SetOnceParameterData) 开始>>>>>", 2, sowing, false},
        {"(CEncoder::SetBodyData) 开始>>>>>", 1, sowing, false},
        {"(CEncoder::Cmd_SoundSowing) 开始>>>>>", 1, sowing, false},
        {"(CEncoder_Standard::SetMsgData_StandardMsgHead） 开始>>>>>", 1, list, false},
        // A lost entry fails the list.
        {"(CEncoder_Standard::GetParaStr) 结束<<<<<", 1, list, false,
         "(CEncoder_Standard::GetParaStr)运行失败,错误信息为: boom(要转换的字符串为paraStr= abc"},
        {"(CEncoder_Standard::ParmSet_Set808ParmInfo） 开始>>>>>", 1, list, false},
        {"(CEncoder_Standard::ParmSet_SetMainSericeIP） 开始>>>>>", 1, Message(&S::ParmSet_GetMainSericeIP, plates),
         false},
        {"(CEncoder_Standard::ParmSet_SetHeadInterval） 开始>>>>>", 1, Message(&S::ParmSet_GetHeadInterval, heartbeat),
         false},
        {staged, 1, Message(&S::ParmSet_GetHeadInterval, heartbeat), false},
        {"(CEncoder_Standard::ParmSet_ICInfoSetStandard） 开始>>>>>", 1, Message(&S::ParmSet_ICInfoSetStandard, card),
         false},
        // The card stages, whose failure the builders' layout checks would hide.
        {"(CEncoder_Standard::ParmSet_SetICInfoSet） 开始>>>>>", 1, stage(&S::ParmSet_SetICInfoSetStandard), false},
        {"(CEncoder_Standard::ParmSet_SetICInfoSet） 开始>>>>>", 1, stage(&S::ParmSet_SetICInfoSetExtension), false},
        // The first zero filling the extension, after 11 card and 11 extension pages.
        {staged, 23, extension, false},
        {"(CEncoder_Standard::Xor） 开始>>>>>", 1,
         [](CEncoder&, Bytes&) {
             unsigned char check = 0;
             return S().Xor({1, 2, 3}, 0, 2, check);
         },
         false, "", "(CEncoder_Standard::Xor） 结束>>>>>"},
        // The caller's text is left as it was.
        {"(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular） 结束>>>>>", 1,
         [](CEncoder&, Bytes&) {
             std::string text = "x|";
             return S().ParmSet_Get808AlarmSetData_Circular({}, text) || text != "x|";
         },
         false, "(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular）运行失败,错误信息为: boom"},
    };
    const std::string entry = " 开始>>>>>";
    for (const auto& c : cases) {
        const std::string at = c.throwAt;
        const std::string error =
            c.error.empty() ? at.substr(0, at.size() - entry.size()) + "运行失败,错误信息为: boom" : c.error;
        SCOPED_TRACE(error);
        CEncoder e;
        Bytes out;
        log.clear();
        log.ThrowAt(at, c.occurrence);
        EXPECT_EQ(c.call(e, out), c.result);
        gpenc::test::Watch("out", out), GpencTestAccess::Watch(e);
        log.OnRecord(nullptr);
        ASSERT_FALSE(log.errors().empty());
        EXPECT_EQ(log.errors()[0].text, error);
        if (c.exit == nullptr) continue;
        const Texts texts = log.texts();
        const auto caught = std::find(texts.begin(), texts.end(), error);
        ASSERT_LT(caught + 1, texts.end());
        EXPECT_EQ(caught[1], c.exit);
    }
    EXPECT_EQ(gpenc::test::host::LiveExceptions(), 0);
}

}  // namespace
