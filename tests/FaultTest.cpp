// Every public builder with a log record that throws a framework exception at
// each position K of its run: once, and then at every record from K on. A build
// either succeeds with exactly what a run without faults gives, or fails with
// the caller's output as it was; no exception is left alive, none ends the
// process, and under a single fault none leaves the builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "Session.h"

using gpenc::test::Area;
using gpenc::test::kFrame;
using gpenc::test::kMark;
using gpenc::test::kMessage;
using gpenc::test::kOther;
using gpenc::test::Output;
using Bytes = std::vector<unsigned char>;

namespace {

// What the caller holds after one build: the byte vector, and the fields of
// its own record (or text) that the builder may write, read at `before` and,
// however the build ended, through `after`.
struct Seen {
    Bytes out{kMark};
    std::string before;
    std::function<std::string()> after = [] { return std::string(); };
};

struct Form {
    const char* name;
    Output output;
    std::function<bool(Seen&)> build;
};

const std::string kTerm = "13800138000";

// A CEncoder builder on its own object and a copy of `record`.
template <class R>
Form Frame(const char* name, bool (CEncoder::*build)(R*, Bytes&), R record) {
    return {name, kFrame, [=](Seen& s) {
                R r = record;
                return (CEncoder().*build)(&r, s.out);
            }};
}

// A builder that also writes into the caller's record: `fields` reads what it may write.
template <class R, class Fields>
Form Writes(const char* name, Output output, std::function<bool(R&, Seen&)> build, R record, Fields fields) {
    return {name, output, [=](Seen& s) {
                auto r = std::make_shared<R>(record);
                s.before = fields(*r);
                s.after = [r, fields] { return fields(*r); };
                return build(*r, s);
            }};
}

// A CEncoder_Standard builder on its own object and a copy of `arg`.
template <class Arg>
Form Message(const char* name, bool (CEncoder_Standard::*build)(Arg, Bytes&), Arg arg) {
    return {name, kMessage, [=](Seen& s) { return (CEncoder_Standard().*build)(arg, s.out); }};
}

// A staging step: what it staged is read back as the message it makes.
Form Staged(const char* name, bool (CEncoder_Standard::*stage)(struct_EquipControl_SetIC),
           struct_EquipControl_SetIC card) {
    return {name, kMessage, [=](Seen& s) {
                CEncoder_Standard e;
                const bool ok = (e.*stage)(card);
                return ok && GpencTestAccess::GetMsgData(e, 0x8900, s.out);
            }};
}

sEquipset Equip(int setParm, std::uint32_t mark, const std::string& value) {
    return {kTerm, "", 0, value, "", {}, setParm, static_cast<EequipParameterMark>(mark), 0x8103};
}

EquipParmSet_EquipConfig Entry(std::uint32_t id, EequipParmDataType type, const std::string& text) {
    EquipParmSet_EquipConfig c;
    c.strPhoneNo = kTerm;
    c.eParmMark = static_cast<EequipParameterMark>(id);
    c.eDataType = type;
    c.dwValue = 30;
    c.strValue = text;
    return c;
}

struct_EquipControl_SetIC Card(unsigned char layout) {
    struct_EquipControl_SetIC c;
    c.strPhoneNo = kTerm;
    c.byStandard = layout;
    c.strCardText1 = "LI SI";
    c.tmCardDate = 1741305600;
    c.strExtText1 = "ab";
    c.strExtText3 = "cd";  // text 2 stays empty: its page is refused, as documented
    return c;
}

sEquipControl_SetIC CardSetting(unsigned char layout) {
    sEquipControl_SetIC s;
    s.terminalNo = kTerm;
    s.strMsgHex = "7e";
    s.msgId = 0x8900;
    s.stSetIC = Card(layout);
    return s;
}

std::vector<Form> Forms() {
    using C = CEncoder;
    using S = CEncoder_Standard;
    sEquip_AlarmSet alarm;
    alarm.terminalNo = kTerm;
    alarm.strMsgText = "x|";
    alarm.byAreaCount = 2;
    alarm.vecAreas = {Area(3), Area(0)};
    MsgData_AlarmSet_Circular circular;
    circular.byAreaCount = 1;
    circular.vecAreas = {Area(3)};
    const unsigned char time[6] = {0x25, 1, 2, 8, 0, 0};
    sTrackPlayback playback;
    playback.terminalNo = kTerm;
    std::copy(time, time + 6, playback.byStartTime);
    std::copy(time, time + 6, playback.byEndTime);
    sEquipControl control;
    control.terminalNo = kTerm;
    control.nCommand = 1;
    const std::vector<EquipParmSet_EquipConfig> entries = {
        Entry(0x0013, DATATYPE_STRING, "10.0.0.1"), Entry(0x9999, DATATYPE_DWORD, ""),  // unknown: left out
        Entry(0x0001, DATATYPE_DWORD, ""), Entry(0x0084, DATATYPE_BYTE, "")};
    auto single = [](sEquipset& r, Seen& s) { return C().EquipSet(&r, s.out); };
    auto singleFields = [](const sEquipset& r) { return r.strPhoneNo + "|" + r.strMsgHex; };
    return {
        // One form for each shape of a path: the platform commands share one
        // builder, and the tunnelled requests another.
        {"CommonData", kFrame, [](Seen& s) { return C().CommonData(4, s.out); }},
        Frame("UserLogin", &C::UserLogin, sUserLogin{"u0", "u1", "u2", "u3", "u4", "u5", "u6", "u7"}),
        Frame("Cmd_sCommitInterval", &C::Cmd_sCommitInterval, sCommitInterval{1, "a", "b", "c", "d", "e", "f"}),
        Frame("Cmd_sVideo", &C::Cmd_sVideo, sVideo{"a", "b", 1, "c", 5}),
        Frame("Cmd_sPreset", &C::Cmd_sPreset, sPreset{"a", 2, {"n1", "n2"}}),
        Frame("Cmd_EquipSetQuery", &C::Cmd_EquipSetQuery, sEquipsetQuery{kTerm, "", 0, ""}),
        Frame("Cmd_EquipTempPositionTrack", &C::Cmd_EquipTempPositionTrack,
              sEquipTempPositionTrack{kTerm, "", 0, 30, 3600}),
        Frame("Cmd_EquipControl", &C::Cmd_EquipControl, control),
        {"Subscription with text", kFrame, [](Seen& s) { return C().Subscription(7, "t", s.out); }},
        {"Subscription", kFrame, [](Seen& s) { return C().Subscription(7, s.out); }},
        {"Realtime", kFrame, [](Seen& s) { return C().Realtime(kTerm, s.out); }},
        {"Photograph", kFrame, [](Seen& s) { return C().Photograph(kTerm, 2, s.out); }},
        Frame("TrackPlayback", &C::TrackPlayback, playback),
        Writes<sEquipset>("EquipSet heartbeat", kFrame, single, Equip(1, 0, "60"), singleFields),
        Writes<sEquipset>("EquipSet main server", kFrame, single, Equip(0x13, 0, "10.0.0.1"), singleFields),
        {"EquipSet list", kFrame, [](Seen& s) {
             return C().EquipSet({Equip(0, 0x0001, "60"), Equip(0, 0x0013, "10.0.0.1"), Equip(0, 0x0031, "500")},
                                 s.out);
         }},
        {"EquipSet_ICInfoSet standard", kFrame, [](Seen& s) { return C().EquipSet_ICInfoSet(CardSetting(1), s.out); }},
        {"EquipSet_ICInfoSet extension", kFrame, [](Seen& s) { return C().EquipSet_ICInfoSet(CardSetting(2), s.out); }},
        Writes<sEquip_AlarmSet>(
            "EquipAlarmSet", kFrame, [](sEquip_AlarmSet& r, Seen& s) { return C().EquipAlarmSet(&r, s.out); }, alarm,
            [](const sEquip_AlarmSet& r) { return r.strPhoneNo + "|" + r.strMsgText + "|" + std::to_string(r.msgId); }),
        {"SetEquipSet_ICInfoSetParameterData", kOther, [](Seen& s) {
             C e;
             sEquipControl_SetIC setting = CardSetting(1);
             const bool ok = e.SetEquipSet_ICInfoSetParameterData(&setting);
             if (ok) s.out = GpencTestAccess::Parameters(e);
             return ok;
         }},
        // The entry points given the 2019 head.
        {"EquipSet list 2019", kFrame, [](Seen& s) {
             return C().EquipSet({Equip(0, 0x0023, "apn"), Equip(0, 0x0001, "60")}, s.out, Jt808Head::Edition2019());
         }},
        Writes<sEquipset>(
            "EquipSet heartbeat 2019", kFrame,
            [](sEquipset& r, Seen& s) { return C().EquipSet(&r, s.out, Jt808Head::Edition2019()); },
            Equip(1, 0, "60"), singleFields),
        {"ParmSet_Get808ParmSetVector 2019", kMessage,
         [=](Seen& s) { return S().ParmSet_Get808ParmSetVector(entries, s.out, Jt808Head::Edition2019()); }},
        {"ParmSet_ICInfoSetExtension 2019", kMessage,
         [](Seen& s) { return S().ParmSet_ICInfoSetExtension(Card(2), s.out, Jt808Head::Edition2019()); }},
        Message("ParmSet_GetHeadInterval", &S::ParmSet_GetHeadInterval, entries[2]),
        Message("ParmSet_GetMainSericeIP", &S::ParmSet_GetMainSericeIP, entries),
        Message("ParmSet_Get808ParmSetVector", &S::ParmSet_Get808ParmSetVector, entries),
        Message("ParmSet_ICInfoSetStandard", &S::ParmSet_ICInfoSetStandard, Card(1)),
        Message("ParmSet_ICInfoSetExtension", &S::ParmSet_ICInfoSetExtension, Card(2)),
        Staged("ParmSet_SetICInfoSetStandard", &S::ParmSet_SetICInfoSetStandard, Card(1)),
        Staged("ParmSet_SetICInfoSetExtension", &S::ParmSet_SetICInfoSetExtension, Card(2)),
        Writes<std::string>(
            "ParmSet_Get808AlarmSetData_Circular", kOther,
            [=](std::string& text, Seen&) { return S().ParmSet_Get808AlarmSetData_Circular(circular, text); }, "x|",
            [](const std::string& text) { return text; }),
        Writes<unsigned char>(
            "Xor", kOther, [](unsigned char& check, Seen&) { return S().Xor(Bytes{1, 2, 4}, 0, 2, check); }, kMark,
            [](unsigned char check) { return std::to_string(check); }),
    };
}

class FaultTest : public gpenc::test::SessionTest {};

TEST_F(FaultTest, EveryBuilderAtEveryRecord) {
    int runs[2] = {}, failures[2] = {}, escaped[2] = {};  // [0] a single fault, [1] a fault from K on
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        int records = 0;
        log.OnRecord([&](const gpenc::test::Record&) { ++records; });
        Seen clean;
        ASSERT_TRUE(form.build(clean));
        ASSERT_TRUE(Whole(form.output, clean.out));
        const std::string cleanAfter = clean.after();
        for (const bool persists : {false, true}) {
            for (int k = 1; k <= records; ++k) {
                int seen = 0;
                log.OnRecord([&](const gpenc::test::Record&) {
                    if (++seen == k || (persists && seen > k))
                        throw gpenc::test::host::MakeException(L"fault");
                });
                Seen s;
                bool ok = false, left = false;
                try {
                    ok = form.build(s);
                } catch (CException* e) {
                    e->Delete();
                    ++escaped[persists];
                    left = true;
                    EXPECT_TRUE(persists) << "a single fault at record " << k << " left the builder";
                }
                gpenc::test::Watch(std::string(form.name) + " at " + std::to_string(k) + (persists ? " on: " : ": ") +
                                       (left ? "threw " : ok ? "true " : "false ") + s.after(), s.out);
                // A failure says which step caught the fault; a success leaves no reason.
                const bool caught = gpenc::LastFailure().find(": a framework exception caught in ") != std::string::npos;
                EXPECT_TRUE(left || caught != ok) << "record " << k << ": " << gpenc::LastFailure();
                log.OnRecord(nullptr);
                log.clear();
                ++runs[persists];
                failures[persists] += !ok;
                if (ok) {
                    EXPECT_EQ(s.out, clean.out) << "success at record " << k << (persists ? " on" : "");
                    EXPECT_EQ(s.after(), cleanAfter) << "success at record " << k << (persists ? " on" : "");
                    EXPECT_TRUE(Whole(form.output, s.out)) << k;
                } else {
                    EXPECT_EQ(s.out, Bytes{kMark}) << "failure at record " << k << (persists ? " on" : "");
                    EXPECT_EQ(s.after(), s.before) << "failure at record " << k << (persists ? " on" : "");
                }
                ASSERT_EQ(gpenc::test::host::LiveExceptions(), 0) << "record " << k << (persists ? " on" : "");
            }
        }
    }
    for (const int p : {0, 1})
        std::printf("%s: %d runs, %d failed with the output untouched (%d by a fault leaving the builder), "
                    "%d succeeded with the output of the run without faults\n",
                    p ? "fault from K on" : "single fault", runs[p], failures[p], escaped[p], runs[p] - failures[p]);
}

// The host's own exception, thrown by its appender in the first step of a
// frame: caught there, logged with its message (empty when the exception gives
// none), released once, and the builder fails with the output untouched.
TEST_F(FaultTest, HostExceptionIsCaughtLoggedAndReleased) {
    const struct {
        bool answers;
        const char* error;
    } rows[] = {
        {true, "(CEncoder::ChangeOrder)运行失败,错误信息为: 磁盘已满"},
        {false, "(CEncoder::ChangeOrder)运行失败,错误信息为: "},
    };
    for (const auto& row : rows) {
        log.clear();
        log.ThrowAt("(CEncoder::ChangeOrder) 开始>>>>>", 1, L"磁盘已满", row.answers);
        CEncoder e;
        Bytes out{kMark};
        EXPECT_FALSE(e.CommonData(2, out));
        EXPECT_EQ(out, Bytes{kMark});
        EXPECT_EQ(gpenc::test::host::LiveExceptions(), 0);
        EXPECT_EQ(gpenc::test::Errors(log), (std::vector<std::string>{row.error, "(CEncoder::UnsignedIntToUInt16)运行失败",
                                                                     "(CEncoder::SetBodyData)运行失败",
                                                                     "(CEncoder::CommonData)运行失败"}));
        // The step that caught it still writes its exit record.
        const auto texts = log.texts();
        const auto caught = std::find(texts.begin(), texts.end(), row.error);
        ASSERT_LT(caught + 1, texts.end());
        EXPECT_EQ(caught[1], "(CEncoder::ChangeOrder) 结束<<<<<");
    }
}

}  // namespace
