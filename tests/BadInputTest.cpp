// Every builder driven with bad input: each gives its defined result, a
// refusal leaves the caller's vector as it was and says why at ERROR and in
// gpenc::LastFailure, and whatever is built all the same is whole as the
// independent inspector reads it. The 808 encoder's own operations get
// arbitrary input from the fuzz target.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

#include "Session.h"

using gpenc::test::kMark;
using gpenc::test::LogCapture;
using Bytes = std::vector<unsigned char>;

namespace {

// One call of a row with the text it is tried with (a row of one input ignores
// it). `out` is the caller's vector, or stands for what the operation writes.
using Call = std::function<bool(const std::string& text, Bytes& out)>;

struct Case {
    const char* what;
    Call call;
    // One result per text of Texts(), or one for a row of one input:
    // T true, F false with an ERROR record, Q false with none (a documented quiet refusal),
    // G as F with the second reason.
    std::string expect;
    // The whole last failure of every false after "CEncoder::"; in it "{}" is
    // the text as kQuoted has it, "{n}" its length.
    const char* reason = "";
    const char* reason2 = "";
};

const std::string kTerm = "13800138000";

std::string Digits(std::size_t n) {
    std::string s(n, '0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('0' + (i + 1) % 10);
    return s;
}

// The texts every text field is tried with; each expectation string below has
// one letter for each, in this order.
const char* const kTextNames[] = {"empty", "1 char", "11 digits", "12 digits", "13 digits", "200 digits", "1 MiB",
                                  "zero byte", "letters", "blanks", "sign", "255 digits", "256 digits"};
const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = {
        "", "7", "13800138000", "013800138000", "8613800138000", Digits(200), Digits(1 << 20),
        std::string("1380\0" "138000", 11), "ABCDEFGHIJK", "138 0013 800", "-13800138000", Digits(255), Digits(256)};
    return texts;
}

// How a reason quotes each: a zero byte shows as \0.
const char kCut[] = "\"1234567890123456789012345678901234567890\"...";  // the first 40 characters
const char* const kQuoted[] = {"\"\"", "\"7\"", "\"13800138000\"", "\"013800138000\"", "\"8613800138000\"", kCut, kCut,
                               "\"1380\\0138000\"", "\"ABCDEFGHIJK\"", "\"138 0013 800\"", "\"-13800138000\"", kCut, kCut};
const char* const kLengths[] = {"0", "1", "11", "12", "13", "200", "1048576", "11", "11", "12", "12", "255", "256"};

// What a kind of field makes of those texts.
constexpr char kRequired[] = "FTTTTTTTTTTTT";   // a text the frame must carry
constexpr char kAny[] = "TTTTTTTTTTTTT";        // optional, fitted or left out
constexpr char kTerminal[] = "FTTTTTTGGGGTT";   // a terminal number whose last 12 characters head an 808 message
constexpr char kPhone[] = "TTTTFFFGGGGFF";      // the phone number of an 808 head (empty: twelve zero digits)
constexpr char kValue808[] = "FTTTTTFTTTTTF";   // the one text value of a parameter setting (1 to 255 bytes)
constexpr char kNumber[] = "TTFFFFFTTTFFF";     // a WORD or DWORD read as atoi reads it
constexpr char kByteNumber[] = "TTFFFFFFTTFFF";
constexpr char kExtension[] = "TTTTTFFTTTTFF";  // one IC-card extension text beside two empty ones
constexpr char kOwnHex[] = "QTTTTTTTTTTTT";     // the caller's own message text of the single form

// ---------------------------------------------------------------------------
// Records every builder accepts; each row spoils one thing
// ---------------------------------------------------------------------------

const unsigned char kTime[6] = {0x25, 0x01, 0x02, 0x08, 0x00, 0x00};

sCommitInterval Commit() { return {1, "a", "b", "c", "d", "e", "f"}; }
sVideo Video() { return {"a", "b", 1, "c", 5}; }
sAlarmHandle AlarmHandle() { return {"a", "b", 3, "c"}; }
sTimeInterval TimeInterval() { return {"a", 30}; }
sPreset Preset(int count, std::size_t names) { return {"a", count, std::vector<std::string>(names, "n")}; }
sEquipTempPositionTrack Track(int interval, int validity) { return {kTerm, "", 0, interval, validity}; }
sEquipControl Control(int command) {
    sEquipControl c;
    c.terminalNo = kTerm;
    c.nCommand = command;
    return c;
}
sTrackPlayback Playback(bool start, bool end) {
    sTrackPlayback p;
    p.terminalNo = kTerm;
    if (start) std::copy(kTime, kTime + 6, p.byStartTime);
    if (end) std::copy(kTime, kTime + 6, p.byEndTime);
    return p;
}

sEquipset Equip(std::uint32_t mark, const std::string& value, int setParm = 0, int msgId = 0x8103) {
    return {kTerm, "", 0, value, "", {}, setParm, static_cast<EequipParameterMark>(mark), msgId};
}
sEquipset Bytes8(std::uint32_t mark, Bytes value) {
    sEquipset s = Equip(mark, "");
    s.vecValueBytes = std::move(value);
    return s;
}

sEquipControl_SetIC Card(unsigned char layout) {
    sEquipControl_SetIC s;
    s.terminalNo = s.stSetIC.strPhoneNo = kTerm;
    s.msgId = 0x8900;
    s.strMsgHex = "00";
    s.stSetIC.byStandard = layout;
    s.stSetIC.strCardText1 = "LI SI";
    s.stSetIC.tmCardDate = 1741305600;
    return s;
}

MsgData_AlarmSet_CircularArea Area(double latitude, double longitude) {
    MsgData_AlarmSet_CircularArea a = gpenc::test::Area();
    a.dLatitude = latitude;
    a.dLongitude = longitude;
    return a;
}
sEquip_AlarmSet Alarm(std::vector<MsgData_AlarmSet_CircularArea> areas, unsigned char count) {
    sEquip_AlarmSet s;
    s.terminalNo = kTerm;
    s.byAreaCount = count;
    s.vecAreas = std::move(areas);
    return s;
}

template <class R, class M, class V>
R With(R record, M R::*member, V value) {
    record.*member = value;
    return record;
}

// ---------------------------------------------------------------------------
// Calls
// ---------------------------------------------------------------------------

template <class R>
Call On(bool (CEncoder::*build)(R*, Bytes&), R record) {
    return [=](const std::string&, Bytes& out) mutable { return (CEncoder().*build)(&record, out); };
}
template <class R>
Call Null(bool (CEncoder::*build)(R*, Bytes&)) {
    return [=](const std::string&, Bytes& out) { return (CEncoder().*build)(nullptr, out); };
}
// `build` on `record` with the row's text put where `put` puts it.
template <class R, class Put>
Call Text(bool (CEncoder::*build)(R*, Bytes&), R record, Put put) {
    return [=](const std::string& text, Bytes& out) {
        R r = record;
        put(r, text);
        return (CEncoder().*build)(&r, out);
    };
}
template <class R>
Call Text(bool (CEncoder::*build)(R*, Bytes&), R record, std::string R::*field) {
    return Text(build, std::move(record), [field](R& r, const std::string& t) { r.*field = t; });
}

Call List(std::vector<sEquipset> list) {
    return [=](const std::string&, Bytes& out) { return CEncoder().EquipSet(list, out); };
}
// A list of one parameter whose value is the row's text.
Call ListText(std::uint32_t mark) {
    return [=](const std::string& text, Bytes& out) { return CEncoder().EquipSet({Equip(mark, text)}, out); };
}
template <class Put>
Call CardText(unsigned char layout, Put put) {
    return [=](const std::string& text, Bytes& out) {
        sEquipControl_SetIC s = Card(layout);
        put(s, text);
        return CEncoder().EquipSet_ICInfoSet(s, out);
    };
}

std::vector<Case> Cases() {
    using C = CEncoder;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const sUserLogin login = {"u0", "u1", "u2", "u3", "u4", "u5", "u6", "u7"};
    auto subscription = [](int number) {
        return [=](const std::string& text, Bytes& out) { return C().Subscription(number, text, out); };
    };
    auto subscriptionOnly = [](int number) {
        return [=](const std::string&, Bytes& out) { return C().Subscription(number, out); };
    };
    auto common = [](int type) { return [=](const std::string&, Bytes& out) { return C().CommonData(type, out); }; };
    auto controlArg = [](int command, std::size_t index) {
        return Text(&C::Cmd_EquipControl, Control(command), [=](sEquipControl& c, const std::string& t) {
            (command == 1 ? c.strUpgradeArgs[index] : c.strConnectArgs[index]) = t;
        });
    };
    auto listBytes = [](std::uint32_t mark) {
        return [=](const std::string& t, Bytes& out) {
            return C().EquipSet({Bytes8(mark, Bytes(t.begin(), t.end()))}, out);
        };
    };
    auto inCard = [](std::string struct_EquipControl_SetIC::*field) {
        return [=](sEquipControl_SetIC& s, const std::string& t) { s.stSetIC.*field = t; };
    };
    auto cardDate = [](std::int64_t date) {
        return CardText(2, [=](sEquipControl_SetIC& s, const std::string&) { s.stSetIC.tmCardDate = date; });
    };
    return {
        // A null record (the command table and the tunnelled requests check theirs in one place each).
        {"UserLogin null", Null(&C::UserLogin), "F", "UserLogin: login: must not be null"},

        // Texts of the platform commands.
        {"Cmd_SoundSowing text 0", Text(&C::Cmd_SoundSowing, sSoundSowing{"a", "b"}, &sSoundSowing::text0),
         kRequired, "Cmd_SoundSowing: sowing.text0: must not be empty"},
        {"Cmd_sListening text 0", Text(&C::Cmd_sListening, sListening{"a", "b", 1}, &sListening::text0),
         kRequired, "Cmd_sListening: listening.text0: must not be empty"},
        {"Cmd_sVideo text 0", Text(&C::Cmd_sVideo, Video(), &sVideo::text0), kRequired,
         "Cmd_sVideo: video.text0: must not be empty"},
        {"Cmd_AlarmHandle text 0", Text(&C::Cmd_AlarmHandle, AlarmHandle(), &sAlarmHandle::text0), kRequired,
         "Cmd_AlarmHandle: alarm.text0: must not be empty"},
        {"Cmd_sTimeInterval text 0", Text(&C::Cmd_sTimeInterval, TimeInterval(), &sTimeInterval::text0),
         kRequired, "Cmd_sTimeInterval: interval.text0: must not be empty"},
        {"Cmd_sPreset text 0", Text(&C::Cmd_sPreset, Preset(1, 1), &sPreset::text0), kRequired,
         "Cmd_sPreset: preset.text0: must not be empty"},
        {"Cmd_sPreset name",
         Text(&C::Cmd_sPreset, Preset(2, 2), [](sPreset& p, const std::string& t) { p.names2[1] = t; }), kRequired,
         "Cmd_sPreset: preset.names2[1]: must not be empty"},
        {"Cmd_sPreset count 0: one empty name", On(&C::Cmd_sPreset, Preset(0, 1)), "F",
         "Cmd_sPreset: preset.count1: must not be 0"},
        {"Subscription text", subscription(7), kRequired, "Subscription: text: must not be empty"},
        {"TrackPlayback terminal", Text(&C::TrackPlayback, Playback(true, true), &sTrackPlayback::terminalNo),
         kRequired, "TrackPlayback: playback.terminalNo: must not be empty"},

        // The equipment requests.
        {"Cmd_EquipControl terminal", Text(&C::Cmd_EquipControl, Control(4), &sEquipControl::terminalNo),
         kRequired, "Cmd_EquipControl: control.terminalNo: must not be empty"},
        {"Cmd_EquipControl upgrade password", controlArg(1, 3), kAny},

        // Numbers of the platform commands.
        {"CommonData INT_MIN", common(INT_MIN), "F", "CommonData: type: must be 2 or 4, got -2147483648"},
        {"Subscription INT_MIN", subscription(INT_MIN), kRequired, "Subscription: text: must not be empty"},
        {"Subscription without text -1", subscriptionOnly(-1), "T"},
        {"Subscription without text INT_MIN", subscriptionOnly(INT_MIN), "T"},
        {"Cmd_sListening byte 255", On(&C::Cmd_sListening, sListening{"a", "b", 255}), "T"},
        {"Cmd_sVideo int INT_MIN", On(&C::Cmd_sVideo, With(Video(), &sVideo::int3, INT_MIN)), "T"},
        {"Cmd_AlarmHandle code 0", On(&C::Cmd_AlarmHandle, With(AlarmHandle(), &sAlarmHandle::byte2, 0)), "T"},
        {"Cmd_sTimeInterval -1", On(&C::Cmd_sTimeInterval, With(TimeInterval(), &sTimeInterval::int1, -1)),
         "T"},
        {"Cmd_sPreset count -2: no names", On(&C::Cmd_sPreset, Preset(-2, 0)), "T"},
        {"Cmd_sPreset 10000 names", On(&C::Cmd_sPreset, Preset(10000, 10000)), "T"},
        {"Cmd_EquipControl word INT_MIN", On(&C::Cmd_EquipControl, Control(INT_MIN)), "F",
         "Cmd_EquipControl: control.nCommand: must be 1 to 7, got -2147483648"},
        {"Cmd_EquipControl word 2 back to default",
         Text(&C::Cmd_EquipControl, Control(2),
              [](sEquipControl& c, const std::string&) { c.strConnectArgs[0] = "1"; }),
         "T"},
        {"Cmd_EquipTempPositionTrack INT_MIN,-1", On(&C::Cmd_EquipTempPositionTrack, Track(INT_MIN, -1)), "T"},

        // Terminal parameters, single-record form.
        // (A terminal number is refused when empty or when its phone number is no digit pairs.)
        {"EquipSet heartbeat terminal", Text(&C::EquipSet, Equip(0, "60", 1), &sEquipset::terminalNo),
         kTerminal, "EquipSet: equipSet.terminalNo: must not be empty",
         "EquipSet: equipSet.terminalNo: not digit pairs: {}"},
        {"EquipSet heartbeat value", Text(&C::EquipSet, Equip(0, "60", 1), &sEquipset::strValue), kNumber,
         "EquipSet: equipSet.strValue: must be -2147483648 to 4294967295, got {}"},
        {"EquipSet server address", Text(&C::EquipSet, Equip(0, "", 0x13), &sEquipset::strValue), kValue808,
         "EquipSet: equipSet.strValue: sets no parameter: must be 1 to 255 bytes, got {n}"},
        {"EquipSet server terminal", Text(&C::EquipSet, Equip(0, "a", 0x13), &sEquipset::terminalNo),
         kTerminal, "EquipSet: equipSet.terminalNo: must not be empty",
         "EquipSet: equipSet.terminalNo: not digit pairs: {}"},
        {"EquipSet caller's own message", Text(&C::EquipSet, Equip(0, "", 5, 0x8300), &sEquipset::strMsgHex),
         kOwnHex, "EquipSet: equipSet.strMsgHex: must not be empty: nSetParm 5 builds no message"},
        {"EquipSet parameter -1", On(&C::EquipSet, Equip(0, "60", -1)), "Q",
         "EquipSet: equipSet.strMsgHex: must not be empty: nSetParm -1 builds no message"},
        {"EquipSet message id -1", On(&C::EquipSet, Equip(0, "60", 1, -1)), "F",
         "EquipSet: equipSet.msgId: must be 0 to 65535, got -1"},
        {"EquipSet message id 0x10000", On(&C::EquipSet, Equip(0, "60", 1, 0x10000)), "F",
         "EquipSet: equipSet.msgId: must be 0 to 65535, got 65536"},
        {"EquipSet message id 0xffff", On(&C::EquipSet, Equip(0, "60", 1, 0xffff)), "T"},

        // Terminal parameters, list form.
        {"EquipSet list terminal",
         [](const std::string& t, Bytes& out) {
             return C().EquipSet({With(Equip(1, "5"), &sEquipset::terminalNo, t)}, out);
         },
         kTerminal, "EquipSet: equipSets[0].terminalNo: must not be empty",
         "EquipSet: equipSets[0].terminalNo: not digit pairs: {}"},
        {"EquipSet list text value", ListText(0x0013), kValue808,
         "EquipSet: equipSets: sets no parameter: every entry has an unknown id or a value not encoded"},
        {"EquipSet list DWORD value", ListText(0x0001), kNumber,
         "EquipSet: equipSets[0].strValue: must be -2147483648 to 4294967295, got {}"},
        {"EquipSet list WORD value", ListText(0x0031), kNumber,
         "EquipSet: equipSets[0].strValue: must be -32768 to 65535, got {}"},
        {"EquipSet list BYTE value", ListText(0x0084), kByteNumber,
         "EquipSet: equipSets[0].strValue: must be -128 to 255, got {}"},
        {"EquipSet list byte array", listBytes(0x0110), "TTTTTTFTTTTTF",
         "EquipSet: equipSets: sets no parameter: every entry has an unknown id or a value not encoded"},
        {"EquipSet list empty", List({}), "F", "EquipSet: equipSets: must not be empty"},
        {"EquipSet list WORD 65536", List({Equip(0x0031, "65536")}), "F",
         "EquipSet: equipSets[0].strValue: must be -32768 to 65535, got \"65536\""},
        {"EquipSet list WORD 65535", List({Equip(0x0031, "65535")}), "T"},
        {"EquipSet list WORD -32768", List({Equip(0x0031, "-32768")}), "T"},
        {"EquipSet list WORD -32769", List({Equip(0x0031, "-32769")}), "F",
         "EquipSet: equipSets[0].strValue: must be -32768 to 65535, got \"-32769\""},
        {"EquipSet list BYTE 256", List({Equip(0x0084, "256")}), "F",
         "EquipSet: equipSets[0].strValue: must be -128 to 255, got \"256\""},
        {"EquipSet list BYTE 255", List({Equip(0x0084, "255")}), "T"},
        {"EquipSet list BYTE -128", List({Equip(0x0084, "-128")}), "T"},
        {"EquipSet list BYTE -129", List({Equip(0x0084, "-129")}), "F",
         "EquipSet: equipSets[0].strValue: must be -128 to 255, got \"-129\""},
        {"EquipSet list DWORD 4294967296", List({Equip(0x0001, "4294967296")}), "F",
         "EquipSet: equipSets[0].strValue: must be -2147483648 to 4294967295, got \"4294967296\""},
        {"EquipSet list unknown id alone", List({Equip(0x0008, "1")}), "F",
         "EquipSet: equipSets: sets no parameter: every entry has an unknown id or a value not encoded"},
        {"EquipSet list unknown id beside a known one", List({Equip(0x0008, "1"), Equip(0x0001, "1")}), "T"},
        // The entry left out for its unknown id is not the reason of the failure after it.
        {"EquipSet list unknown id, then a phone number of no digit pairs",
         List({With(Equip(0x0008, "1"), &sEquipset::terminalNo, "1380013800x"), Equip(1, "1")}), "F",
         "EquipSet: equipSets[0].terminalNo: not digit pairs: \"1380013800x\""},
        {"EquipSet list of 200 parameters", List(std::vector<sEquipset>(200, Bytes8(0x0110, {}))), "T"},
        {"EquipSet list of 205 parameters", List(std::vector<sEquipset>(205, Bytes8(0x0110, {}))), "F",
         "EquipSet: equipSets: must fill a body of at most 1023 bytes, got 1026"},
        {"EquipSet list, later terminal empty",
         List({Equip(1, "5"), With(Equip(1, "6"), &sEquipset::terminalNo, "")}), "T"},

        // IC-card information.
        {"EquipSet_ICInfoSet terminal", CardText(1, [](auto& s, const std::string& t) { s.terminalNo = t; }),
         kRequired, "EquipSet_ICInfoSet: setIC.terminalNo: must not be empty"},
        // (13 digits are longer than 12, the others no digit pairs.)
        {"EquipSet_ICInfoSet phone", CardText(1, inCard(&struct_EquipControl_SetIC::strPhoneNo)), kPhone,
         "EquipSet_ICInfoSet: setIC.stSetIC.strPhoneNo: longer than 12 digits: {}",
         "EquipSet_ICInfoSet: setIC.stSetIC.strPhoneNo: not digit pairs: {}"},
        {"EquipSet_ICInfoSet text 1", CardText(1, inCard(&struct_EquipControl_SetIC::strCardText1)), kAny},
        {"EquipSet_ICInfoSet extension text 1", CardText(2, inCard(&struct_EquipControl_SetIC::strExtText1)),
         kExtension,
         "EquipSet_ICInfoSet: setIC.stSetIC: strExtText1 to 3 must take at most 119 bytes together, got {n}"},
        {"EquipSet_ICInfoSet date INT64_MIN", cardDate(INT64_MIN), "F",
         "EquipSet_ICInfoSet: setIC.stSetIC.tmCardDate: must be in the years 2000 to 2099 (local time), got no date: "
         "-9223372036854775808"},

        // Circular-area alarm setting.
        {"EquipAlarmSet terminal", Text(&C::EquipAlarmSet, Alarm({}, 0), &sEquip_AlarmSet::terminalNo),
         kRequired, "EquipAlarmSet: alarmSet.terminalNo: must not be empty"},
        {"EquipAlarmSet caller's text", Text(&C::EquipAlarmSet, Alarm({}, 0), &sEquip_AlarmSet::strMsgText),
         kAny},
        {"EquipAlarmSet latitude NaN", On(&C::EquipAlarmSet, Alarm({Area(nan, 114.25)}, 1)), "F",
         "EquipAlarmSet: alarmSet.vecAreas[0].dLatitude: must be finite, got nan"},
        {"EquipAlarmSet longitude infinite", On(&C::EquipAlarmSet, Alarm({Area(22.5, inf)}, 1)), "F",
         "EquipAlarmSet: alarmSet.vecAreas[0].dLongitude: must be finite, got inf"},
        {"EquipAlarmSet second area's latitude -infinite",
         On(&C::EquipAlarmSet, Alarm({Area(22.5, 1), Area(-inf, 1)}, 2)), "F",
         "EquipAlarmSet: alarmSet.vecAreas[1].dLatitude: must be finite, got -inf"},
        {"EquipAlarmSet latitude 1e300", On(&C::EquipAlarmSet, Alarm({Area(1e300, -1e300)}, 1)), "T"},
        {"EquipAlarmSet count 255 without areas", On(&C::EquipAlarmSet, Alarm({}, 255)), "T"},
        {"EquipAlarmSet 2000 areas: a text beyond 65535 bytes",
         On(&C::EquipAlarmSet, Alarm(std::vector<MsgData_AlarmSet_CircularArea>(2000, Area(-90, 180)), 0)), "T"},

        // Login text 4 is refused by the parameter step, after texts 0 to 3 went out.
        {"UserLogin text 0", Text(&C::UserLogin, login, &sUserLogin::loginText0), kRequired,
         "UserLogin: login.loginText0: must not be empty"},
        {"UserLogin text 4", Text(&C::UserLogin, login, &sUserLogin::loginText4), kRequired,
         "UserLogin: login.loginText4: must not be empty"},
        {"Cmd_sCommitInterval text 1", Text(&C::Cmd_sCommitInterval, Commit(), &sCommitInterval::text1),
         kRequired, "Cmd_sCommitInterval: interval.text1: must not be empty"},
    };
}

using BadInputTest = gpenc::test::SessionTest;

TEST_F(BadInputTest, EveryBuilder) {
    // `log` records at DEBUG, so every record is composed.
    const auto& texts = Texts();
    int tried = 0;
    for (const Case& c : Cases()) {
        const bool perText = c.expect.size() > 1;
        ASSERT_TRUE(!perText || c.expect.size() == texts.size()) << c.what;
        for (std::size_t k = 0; k < c.expect.size(); ++k) {
            const std::string where = std::string(c.what) + (perText ? std::string(" / ") + kTextNames[k] : "");
            log.clear();
            Bytes out = {kMark};
            const bool ok = c.call(perText ? texts[k] : std::string(), out);
            ++tried;
            gpenc::test::Watch(where + (ok ? ": true" : ": false"), out);
            EXPECT_EQ(ok, c.expect[k] == 'T') << where;
            const std::string why = gpenc::LastFailure();  // empty after a success, whatever failed before it
            std::string reason = ok ? "" : std::string("CEncoder::") + (c.expect[k] == 'G' ? c.reason2 : c.reason);
            if (const auto at = reason.find("{n}"); at != std::string::npos) reason.replace(at, 3, kLengths[k]);
            if (const auto at = reason.find("{}"); at != std::string::npos) reason.replace(at, 2, kQuoted[k]);
            EXPECT_EQ(why, reason) << where;
            if (ok) {
                EXPECT_TRUE(gpenc::test::Whole(gpenc::test::kFrame, out)) << where;
            } else {
                EXPECT_EQ(out, Bytes{kMark}) << where;
                EXPECT_EQ(log.errors().empty(), c.expect[k] == 'Q') << where;
            }
        }
    }
    RecordProperty("cases", tried);
    std::printf("bad-input cases tried: %d\n", tried);
}

}  // namespace
