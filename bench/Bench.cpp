// Benchmarks of every builder: time and heap allocations per frame, with the
// logger off and at DEBUG into a discarding appender, each set against a
// hand-written encoder of the same bytes timed in the same run.
//
// A frame is what a client pays for one message: an encoder object made, one
// builder run into a fresh vector, the object destroyed.
#include "AllocationCount.h"
#include "Reference.h"

#include "gpenc/Encoder.h"
#include "gpenc/Host.h"

#include <benchmark/benchmark.h>
#include <log4cplus/appender.h>
#include <log4cplus/initializer.h>
#include <log4cplus/loglevel.h>
#include <log4cplus/nullappender.h>
#include <log4cplus/spi/loggingevent.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using gpenc::bench::AllocationCount;
using gpenc::reference::Param;

const unsigned char kSession[16] = {0x5a, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                    0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0x0f};
const std::string kTerminal = "013912345678";

// ---------------------------------------------------------------------------
// The builders and their references
// ---------------------------------------------------------------------------

// Which targets a builder is held to: the platform commands to 1.5 times their
// bound and (parameters + 3) allocations, the 808-tunnelled ones to twice it,
// and the JT/T 808 builders of CEncoder_Standard, which make no GP frame, to
// 1.5 times it.
enum class Family { kPlatform, kTunnelled, kStandard };

struct Row {
    std::string name;
    Family family;
    std::function<bool(Bytes&)> build;      // one whole frame into an empty vector
    std::function<void(Bytes&)> reference;  // the same bytes by hand
};

// What the builders encode, made once. The records are realistic in size: a
// twelve-digit terminal number, short settings, one text past the length a
// string keeps without the heap.
struct Inputs {
    sUserLogin login{"a", "b", "c", "d", "e", "f", "g", "h"};  // the 94-byte frame
    sCommitInterval commit{1, "30", "60", "120", "08:00", "18:00", "1"};
    sSoundSowing sowing{kTerminal, "please slow down"};
    sListening listening{"13800138000", kTerminal, 1};
    sSimSetInterval simSet{kTerminal, "13800138000"};
    sBlackoutInterval blackout{kTerminal, "1"};
    sVideo video{"1", kTerminal, 2, "0", 60};
    sAlarmHandle alarm{kTerminal, "1001", 3, "handled"};
    sTimeInterval interval{kTerminal, 30};
    sPreset preset{kTerminal, 2, {"gate", "yard"}};
    sEquipsetQuery query{kTerminal, "", 0, ""};
    sEquipPositionInfoQuery position{kTerminal};
    sAffirmAlarmInform affirm{kTerminal};
    sEquipTempPositionTrack track{kTerminal, "", 0, 30, 3600};
    sEquipControl control = [] {
        sEquipControl c;
        c.terminalNo = kTerminal;
        c.nCommand = 2;
        c.strConnectArgs = {"0", "auth01", "cmnet", "", "", "10.0.0.1", "7008", "0", "60"};
        return c;
    }();
    sTrackPlayback playback{kTerminal, {0x24, 0x01, 0x15, 0x08, 0x00, 0x00}, {0x24, 0x01, 0x15, 0x09, 0x30, 0x00}};

    // The three terminal parameters of the list-form equipment setting
    // (heartbeat 30 s, main server address, one CAN id setting).
    std::string heartbeat = "30", address = "10.0.0.1", none;
    Bytes can = {1, 2, 3, 4, 5, 6, 7, 8}, noBytes;
    gpenc::reference::Setting settings[3] = {
        {0x0001, &heartbeat, &noBytes}, {0x0013, &address, &noBytes}, {0x0110, &none, &can}};

    // The same as the records of EquipSet and as the entries of CEncoder_Standard.
    std::vector<sEquipset> equipSets = [this] {
        std::vector<sEquipset> list(3);
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].terminalNo = kTerminal;
            list[i].strValue = *settings[i].value;
            list[i].vecValueBytes = *settings[i].bytes;
            list[i].eParmMark = static_cast<EequipParameterMark>(settings[i].id);
        }
        return list;
    }();
    sEquipset heartbeatSet = [this] {
        sEquipset s = equipSets[0];
        s.nSetParm = 1;
        s.msgId = 0x8103;
        return s;
    }();
    std::vector<EquipParmSet_EquipConfig> entries = [this] {
        const EequipParmDataType types[3] = {DATATYPE_DWORD, DATATYPE_STRING, DATATYPE_BYTES};
        std::vector<EquipParmSet_EquipConfig> list(3);
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].strPhoneNo = kTerminal;
            list[i].dwValue = 30;
            list[i].strValue = *settings[i].value;
            list[i].vecValueBytes = *settings[i].bytes;
            list[i].eDataType = types[i];
            list[i].eParmMark = static_cast<EequipParameterMark>(settings[i].id);
        }
        return list;
    }();
    std::vector<EquipParmSet_EquipConfig> serverEntry{entries[1]};

    // An IC card with texts of realistic length, one cut to its field, dated
    // 2025-03-07; and the same as the reference takes it.
    sEquipControl_SetIC card = [] {
        sEquipControl_SetIC c;
        c.terminalNo = c.stSetIC.strPhoneNo = kTerminal;
        c.stSetIC.byStandard = 1;
        c.stSetIC.strCardText1 = "ZHANG SAN";
        c.stSetIC.strCardText2 = "110101199001011234";
        c.stSetIC.tmCardDate = 1741305600;
        c.stSetIC.strCardText3 = "A1234567";
        c.stSetIC.strCardText4 = "Nanjing Municipal Transport Bureau, Gulou District Office 3";
        c.stSetIC.byExt1 = 0x11;
        c.stSetIC.byExt2 = 0x22;
        c.stSetIC.strExtText1 = "qualification 320100";
        c.stSetIC.strExtText2 = "2027-12-31";
        c.stSetIC.strExtText3 = "Jiangsu";
        return c;
    }();
    sEquipControl_SetIC cardExtension = [this] {
        sEquipControl_SetIC c = card;
        c.stSetIC.byStandard = 2;
        return c;
    }();
    gpenc::reference::IcCard icCard(bool extension) const {
        const struct_EquipControl_SetIC& c = card.stSetIC;
        return {c.strPhoneNo,
                {c.strCardText1, c.strCardText2, c.strCardText3, c.strCardText4},
                c.tmCardDate,
                extension,
                c.byExt1,
                c.byExt2,
                {c.strExtText1, c.strExtText2, c.strExtText3}};
    }

    // Two circular areas: the worked example with its time window and speed
    // limit, and one with neither.
    gpenc::reference::Area areas[2] = {
        {7, 3, 22.5, 114.25, 500, {0x25, 0x01, 0x02, 0x08, 0, 0}, {0x25, 0x12, 0x31, 0x18, 0, 0}, 60, 10},
        {8, 0, 32.041544, 118.767413, 1200, {}, {}, 0, 0}};
    sEquip_AlarmSet alarmSet = [this] {
        sEquip_AlarmSet s;
        s.terminalNo = kTerminal;
        s.bySetAttr = 1;
        s.byAreaCount = 2;
        for (const gpenc::reference::Area& a : areas) {
            MsgData_AlarmSet_CircularArea area;
            area.dwAreaId = a.id;
            area.wAreaAttr = a.attr;
            area.dLatitude = a.latitude;
            area.dLongitude = a.longitude;
            area.dwRadius = a.radius;
            std::copy(a.start, a.start + 6, area.byStartTime);
            std::copy(a.end, a.end + 6, area.byEndTime);
            area.wMaxSpeed = a.maxSpeed;
            area.byOverSpeedDuration = a.overSpeed;
            s.vecAreas.push_back(area);
        }
        return s;
    }();
    MsgData_AlarmSet_Circular circular = [this] {
        MsgData_AlarmSet_Circular c;
        c.bySetAttr = alarmSet.bySetAttr;
        c.byAreaCount = alarmSet.byAreaCount;
        c.vecAreas = alarmSet.vecAreas;
        return c;
    }();
};

Inputs& In() {
    static Inputs inputs;
    return inputs;
}

// A builder of CEncoder that takes its record by pointer.
template <class R>
std::function<bool(Bytes&)> On(bool (CEncoder::*builder)(R*, Bytes&), R* record) {
    return [=](Bytes& out) {
        CEncoder encoder;
        return (encoder.*builder)(record, out);
    };
}

// The reference of a frame whose parameters are taken from the inputs as they
// stand. Every command but the login carries the session id.
std::function<void(Bytes&)> Gp(std::uint16_t command, std::vector<Param> params) {
    static const unsigned char kNoSession[16] = {};
    return [=](Bytes& out) {
        gpenc::reference::GpFrame(command, command == 1 ? kNoSession : kSession, params.data(), params.size(), out);
    };
}

// The reference of a JT/T 808 terminal parameter setting of `count` settings.
void ParameterSetting(const gpenc::reference::Setting* settings, std::size_t count, Bytes& out) {
    out.resize(gpenc::reference::ParameterSettingSize(settings, count));
    gpenc::reference::ParameterSetting(kTerminal, settings, count, out.data());
}

// A builder of CEncoder_Standard: the object made, the builder run, the
// object destroyed, as the tunnelled builders use it.
template <class Build>
std::function<bool(Bytes&)> Standard(Build build) {
    return [=](Bytes& out) {
        CEncoder_Standard standard;
        return build(standard, out);
    };
}

// The reference of the IC-card message of the inputs.
std::function<void(Bytes&)> IcCardMessage(bool extension) {
    return [extension](Bytes& out) {
        const gpenc::reference::IcCard card = In().icCard(extension);
        out.resize(gpenc::reference::IcCardSize(card));
        gpenc::reference::IcCardMessage(card, out.data());
    };
}

// The reference of an equipment request: terminal number, message id, argument.
void EquipRequest(std::string_view msgId, std::string_view argument, Bytes& out) {
    gpenc::reference::GpFrame(0x33, kSession,
                              {Param::Text(0, kTerminal), Param::Text(1, msgId), Param::Text(2, argument)}, out);
}

std::vector<Row> MakeRows() {
    Inputs& in = In();
    return {
        {"CommonData", Family::kPlatform, [](Bytes& out) { return CEncoder().CommonData(2, out); }, Gp(2, {})},
        {"UserLogin", Family::kPlatform, On(&CEncoder::UserLogin, &in.login),
         Gp(1, {Param::Text(0, "a"), Param::Text(1, "b"), Param::Text(2, "c"), Param::Text(3, "d"), Param::Text(4, "e"),
                Param::Text(5, "f"), Param::Text(6, "g"), Param::Text(7, "h")})},
        {"Cmd_sCommitInterval", Family::kPlatform, On(&CEncoder::Cmd_sCommitInterval, &in.commit),
         Gp(0x22, {Param::Byte(0, in.commit.byte0), Param::Text(1, in.commit.text1), Param::Text(2, in.commit.text2),
                   Param::Text(3, in.commit.text3), Param::Text(4, in.commit.text4), Param::Text(5, in.commit.text5),
                   Param::Text(6, in.commit.text6)})},
        {"Cmd_SoundSowing", Family::kPlatform, On(&CEncoder::Cmd_SoundSowing, &in.sowing),
         Gp(0x06, {Param::Text(0, in.sowing.text0), Param::Text(1, in.sowing.text1)})},
        {"Cmd_sListening", Family::kPlatform, On(&CEncoder::Cmd_sListening, &in.listening),
         Gp(0x20, {Param::Text(0, in.listening.text0), Param::Byte(1, in.listening.byte1),
                   Param::Text(2, in.listening.text2)})},
        {"Cmd_sSimSet", Family::kPlatform, On(&CEncoder::Cmd_sSimSet, &in.simSet),
         Gp(0x23, {Param::Text(0, in.simSet.text0), Param::Text(1, in.simSet.text1)})},
        {"Cmd_sBlackout", Family::kPlatform, On(&CEncoder::Cmd_sBlackout, &in.blackout),
         Gp(0x25, {Param::Text(0, in.blackout.text0), Param::Text(1, in.blackout.text1)})},
        {"Cmd_sVideo", Family::kPlatform, On(&CEncoder::Cmd_sVideo, &in.video),
         Gp(0x19, {Param::Text(0, in.video.text0), Param::Byte(1, in.video.byte1), Param::Text(2, in.video.text2),
                   Param::Int32(3, in.video.int3), Param::Text(4, in.video.text4)})},
        {"Cmd_AlarmHandle", Family::kPlatform, On(&CEncoder::Cmd_AlarmHandle, &in.alarm),
         Gp(0x07, {Param::Text(0, in.alarm.text0), Param::Text(1, in.alarm.text1),
                   Param::Text(2, std::string_view(reinterpret_cast<const char*>(&in.alarm.byte2), 1)),
                   Param::Text(3, in.alarm.text3)})},
        {"Cmd_sTimeInterval", Family::kPlatform, On(&CEncoder::Cmd_sTimeInterval, &in.interval),
         Gp(0x18, {Param::Text(0, in.interval.text0), Param::Int32(1, in.interval.int1)})},
        {"Cmd_sPreset", Family::kPlatform, On(&CEncoder::Cmd_sPreset, &in.preset),
         Gp(0x21, {Param::Text(0, in.preset.text0), Param::Int32(1, in.preset.count1),
                   Param::Text(2, in.preset.names2[0]), Param::Text(2, in.preset.names2[1])})},
        {"Cmd_EquipSetQuery", Family::kPlatform, On(&CEncoder::Cmd_EquipSetQuery, &in.query),
         [](Bytes& out) { EquipRequest("8104", "0", out); }},
        {"Cmd_EquipPositionInfoQuery", Family::kPlatform, On(&CEncoder::Cmd_EquipPositionInfoQuery, &in.position),
         [](Bytes& out) { EquipRequest("8201", "0", out); }},
        {"Cmd_AffirmAlarmInform", Family::kPlatform, On(&CEncoder::Cmd_AffirmAlarmInform, &in.affirm),
         [](Bytes& out) { EquipRequest("8203", "1", out); }},
        {"Cmd_EquipTempPositionTrack", Family::kPlatform, On(&CEncoder::Cmd_EquipTempPositionTrack, &in.track),
         [&in](Bytes& out) {
             char text[24];
             char* end = std::to_chars(text, text + 11, in.track.nInterval).ptr;
             *end++ = ',';
             end = std::to_chars(end, text + sizeof text, in.track.nValidity).ptr;
             EquipRequest("8202", std::string_view(text, static_cast<std::size_t>(end - text)), out);
         }},
        {"Cmd_EquipControl", Family::kPlatform, On(&CEncoder::Cmd_EquipControl, &in.control),
         [&in](Bytes& out) {
             char text[256] = "2,";
             std::size_t size = 2;
             for (std::size_t i = 0; i < in.control.strConnectArgs.size(); ++i) {
                 if (i > 0) text[size++] = ';';
                 const std::string& arg = in.control.strConnectArgs[i];
                 size += arg.copy(text + size, sizeof text - size);
             }
             EquipRequest("8105", std::string_view(text, size), out);
         }},
        {"Subscription/text", Family::kPlatform, [](Bytes& out) { return CEncoder().Subscription(7, kTerminal, out); },
         Gp(0x03, {Param::Int32(0, 7), Param::Text(1, kTerminal)})},
        {"Subscription/number", Family::kPlatform, [](Bytes& out) { return CEncoder().Subscription(7, out); },
         Gp(0x03, {Param::Int32(0, 7)})},
        {"Realtime", Family::kPlatform, [](Bytes& out) { return CEncoder().Realtime(kTerminal, out); },
         Gp(0x50, {Param::Text(0, kTerminal)})},
        {"Photograph", Family::kPlatform, [](Bytes& out) { return CEncoder().Photograph(kTerminal, 1, out); },
         Gp(0x05, {Param::Text(0, kTerminal), Param::Byte(1, 1)})},
        {"TrackPlayback", Family::kPlatform, On(&CEncoder::TrackPlayback, &in.playback),
         Gp(0x11, {Param::Text(0, in.playback.terminalNo), Param::SixBytes(1, in.playback.byStartTime),
                   Param::SixBytes(2, in.playback.byEndTime)})},

        // The 808-tunnelled builders. The single-record form and EquipAlarmSet
        // append to a text of the caller's record: each frame starts from a
        // record whose text has no storage yet, as a fresh record's has not.
        {"EquipSet/single", Family::kTunnelled,
         [&in](Bytes& out) {
             std::string().swap(in.heartbeatSet.strMsgHex);
             return CEncoder().EquipSet(&in.heartbeatSet, out);
         },
         [&in](Bytes& out) { gpenc::reference::EquipSetList(kSession, kTerminal, in.settings, 1, out); }},
        {"EquipSet/list", Family::kTunnelled, [&in](Bytes& out) { return CEncoder().EquipSet(in.equipSets, out); },
         [&in](Bytes& out) { gpenc::reference::EquipSetList(kSession, kTerminal, in.settings, 3, out); }},
        {"EquipSet_ICInfoSet/standard", Family::kTunnelled,
         [&in](Bytes& out) { return CEncoder().EquipSet_ICInfoSet(in.card, out); },
         [&in](Bytes& out) { gpenc::reference::EquipSetIcCard(kSession, kTerminal, in.icCard(false), out); }},
        {"EquipSet_ICInfoSet/extension", Family::kTunnelled,
         [&in](Bytes& out) { return CEncoder().EquipSet_ICInfoSet(in.cardExtension, out); },
         [&in](Bytes& out) { gpenc::reference::EquipSetIcCard(kSession, kTerminal, in.icCard(true), out); }},
        {"EquipAlarmSet", Family::kTunnelled,
         [&in](Bytes& out) {
             std::string().swap(in.alarmSet.strMsgText);
             return CEncoder().EquipAlarmSet(&in.alarmSet, out);
         },
         [&in](Bytes& out) {
             gpenc::reference::EquipAlarmSet(kSession, kTerminal, in.alarmSet.bySetAttr, in.alarmSet.byAreaCount,
                                             in.areas, 2, out);
         }},

        // The public builders of CEncoder_Standard. The setting text goes into
        // a fresh string and is then copied into the frame vector, by the
        // builder's row and by its reference alike.
        {"ParmSet_GetHeadInterval", Family::kStandard,
         Standard([&in](CEncoder_Standard& s, Bytes& out) { return s.ParmSet_GetHeadInterval(in.entries[0], out); }),
         [&in](Bytes& out) { ParameterSetting(in.settings, 1, out); }},
        {"ParmSet_GetMainSericeIP", Family::kStandard,
         Standard([&in](CEncoder_Standard& s, Bytes& out) { return s.ParmSet_GetMainSericeIP(in.serverEntry, out); }),
         [&in](Bytes& out) { ParameterSetting(in.settings + 1, 1, out); }},
        {"ParmSet_Get808ParmSetVector", Family::kStandard,
         Standard([&in](CEncoder_Standard& s, Bytes& out) { return s.ParmSet_Get808ParmSetVector(in.entries, out); }),
         [&in](Bytes& out) { ParameterSetting(in.settings, 3, out); }},
        {"ParmSet_ICInfoSetStandard", Family::kStandard, Standard([&in](CEncoder_Standard& s, Bytes& out) {
             return s.ParmSet_ICInfoSetStandard(in.card.stSetIC, out);
         }),
         IcCardMessage(false)},
        {"ParmSet_ICInfoSetExtension", Family::kStandard, Standard([&in](CEncoder_Standard& s, Bytes& out) {
             return s.ParmSet_ICInfoSetExtension(in.card.stSetIC, out);
         }),
         IcCardMessage(true)},
        {"ParmSet_Get808AlarmSetData_Circular", Family::kStandard, Standard([&in](CEncoder_Standard& s, Bytes& out) {
             std::string text;
             const bool ok = s.ParmSet_Get808AlarmSetData_Circular(in.circular, text);
             out.assign(text.begin(), text.end());
             return ok;
         }),
         [&in](Bytes& out) {
             char composed[4096];
             const std::string text(
                 composed, gpenc::reference::CircularText(in.circular.bySetAttr, in.circular.byAreaCount, in.areas, 2,
                                                          composed, sizeof composed));
             out.assign(text.begin(), text.end());
         }},
    };
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = MakeRows();
    return rows;
}

// ---------------------------------------------------------------------------
// Logging set-ups and the costs of log4cplus itself
// ---------------------------------------------------------------------------

enum class Logging { kOff, kDebug };

log4cplus::Logger& Logger() { return NSLog::CLog::_logger; }

void SetLogging(Logging logging) {
    Logger().setLogLevel(logging == Logging::kOff ? log4cplus::OFF_LOG_LEVEL : log4cplus::DEBUG_LOG_LEVEL);
}

// The source files that records name. log4cplus copies the name into its
// event, and the longer one does not fit a string's own storage: each of its
// records costs log4cplus an allocation more.
enum Source { kEncoderFile, kStandardFile };
const char* const kFiles[2] = {".\\Encoder.cpp", ".\\Encoder_Standard.cpp"};

// The records of one frame, by the file they name.
struct Records {
    std::size_t of[2] = {};
    std::size_t Total() const { return of[kEncoderFile] + of[kStandardFile]; }
};

// Counts what reaches it: with every level on, the records of a frame, which
// is also the number of level tests the frame makes with the logger off.
class CountingAppender : public log4cplus::Appender {
public:
    Records records;
    ~CountingAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override {
        ++records
              .of[event.getFile() == LOG4CPLUS_C_STR_TO_TSTRING(kFiles[kStandardFile]) ? kStandardFile : kEncoderFile];
    }
};

const log4cplus::SharedAppenderPtr& Discard() {
    static const log4cplus::SharedAppenderPtr appender(new log4cplus::NullAppender);
    return appender;
}

Records RecordsPerFrame(const Row& row) {
    auto* counter = new CountingAppender;
    const log4cplus::SharedAppenderPtr keep(counter);
    Logger().removeAllAppenders();
    Logger().addAppender(keep);
    Logger().setLogLevel(log4cplus::TRACE_LOG_LEVEL);
    Bytes out;
    row.build(out);
    Logger().removeAllAppenders();
    Logger().addAppender(Discard());
    return counter->records;
}

// Nanoseconds of processor time this thread has used. Other work on a busy
// machine delays a frame but does not add to its processor time.
double ThreadNs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// What reading the clock twice adds to a measured interval.
double ClockNs() {
    static const double ns = [] {
        double best = 1e300;
        for (int i = 0; i < 1000; ++i) {
            const double start = ThreadNs();
            best = std::min(best, ThreadNs() - start);
        }
        return best;
    }();
    return ns;
}

// Processor time of `calls` calls of `f`, in nanoseconds.
template <class F>
double NsFor(std::int64_t calls, F&& f) {
    const double start = ThreadNs();
    for (std::int64_t i = 0; i < calls; ++i) f();
    return std::max(0.0, ThreadNs() - start - ClockNs());
}

void LevelTest() { benchmark::DoNotOptimize(Logger().isEnabledFor(log4cplus::DEBUG_LOG_LEVEL)); }

// A typical record of each source file.
const log4cplus::tstring& TypicalRecord(Source source) {
    static const log4cplus::tstring texts[2] = {LOG4CPLUS_TEXT("(CEncoder::SetOnceParameterData) 开始>>>>>"),
                                                LOG4CPLUS_TEXT("(CEncoder_Standard::SetOnceParameterData) 开始>>>>>")};
    return texts[source];
}

void ForcedLog(Source source) {
    Logger().forcedLog(log4cplus::DEBUG_LOG_LEVEL, TypicalRecord(source), kFiles[source], 100);
}

// ---------------------------------------------------------------------------
// Running one row
// ---------------------------------------------------------------------------

// One timed run of a row, at one logging set-up.
struct Run {
    double ns = 0;           // per frame
    double allocs = 0;       // per frame
    double referenceNs = 0;  // per frame of the reference
    double levelTestNs = 0;  // logger off: one isEnabledFor with the level off
    double floorNs = 0;      // logger off: the frame's level tests at that cost
    double ownNs = 0;        // at DEBUG: per record, besides forcedLog

    double Ratio() const { return ns / referenceNs; }
    double VsBound() const { return ns / (referenceNs + floorNs); }
};

// The runs of one row at one logging set-up. Google Benchmark first runs a
// benchmark a few times with fewer frames to choose how many to time; only the
// runs with the most frames count, one a repetition.
struct Runs {
    std::int64_t frames = 0;
    std::vector<Run> runs;

    void Add(std::int64_t n, const Run& run) {
        if (n < frames) return;
        if (n > frames) runs.clear();
        frames = n;
        runs.push_back(run);
    }
    // The run in the middle by `key`, or none.
    template <class Key>
    const Run* Median(Key key) const {
        if (runs.empty()) return nullptr;
        std::vector<const Run*> sorted;
        for (const Run& r : runs) sorted.push_back(&r);
        std::sort(sorted.begin(), sorted.end(), [&](const Run* a, const Run* b) { return key(*a) < key(*b); });
        return sorted[sorted.size() / 2];
    }
};

struct Figures {
    Runs off, debug;
    std::size_t levelTests = 0;
    Records records;
    std::size_t params = 0;
};

std::map<std::string, Figures>& AllFigures() {
    static std::map<std::string, Figures> figures;
    return figures;
}

// The number of parameter records in a GP frame.
std::size_t ParameterCount(const Bytes& frame) {
    std::size_t count = 0;
    for (std::size_t at = 30; at + 4 <= frame.size(); ++count)
        at += static_cast<std::size_t>(frame[at] << 24 | frame[at + 1] << 16 | frame[at + 2] << 8 | frame[at + 3]);
    return count;
}

void RunRow(benchmark::State& state, const Row& row, Logging logging) {
    Figures& figures = AllFigures()[row.name];
    Bytes frame, expected;
    if (!row.build(frame)) return state.SkipWithError("the builder failed");
    row.reference(expected);
    if (frame != expected) return state.SkipWithError("the frame differs from its reference");
    figures.records = RecordsPerFrame(row);
    figures.levelTests = figures.records.Total();
    if (row.family != Family::kStandard) figures.params = ParameterCount(frame);
    SetLogging(logging);

    bool ok = true;
    const auto build = [&] {
        Bytes out;
        ok = row.build(out) && ok;
        benchmark::DoNotOptimize(out.data());
    };
    const std::uint64_t allocsBefore = AllocationCount();
    for (auto _ : state) build();
    const std::int64_t frames = state.iterations();
    const double allocs = static_cast<double>(AllocationCount() - allocsBefore) / static_cast<double>(frames);
    if (!ok) return state.SkipWithError("the builder failed");

    // The figures come from a second pass over as many frames (at most 200000)
    // in rounds of 512, each round timing the frames, then the reference, then
    // what log4cplus itself takes: on a busy machine all of them then see the
    // same conditions, and their ratios hold still where times do not.
    const auto reference = [&] {
        Bytes out;
        row.reference(out);
        benchmark::DoNotOptimize(out.data());
    };
    constexpr std::int64_t kRound = 512;
    const std::int64_t rounds = std::max<std::int64_t>(1, std::min<std::int64_t>(frames, 200000) / kRound);
    const auto tests = static_cast<std::int64_t>(figures.levelTests);
    double ns = 0, referenceNs = 0, logNs = 0, offNs = 0;
    for (std::int64_t r = 0; r < rounds; ++r) {
        ns += NsFor(kRound, build);
        referenceNs += NsFor(kRound, reference);
        if (logging == Logging::kOff) {
            logNs += NsFor(kRound * tests, LevelTest);
        } else {
            SetLogging(Logging::kOff);
            offNs += NsFor(kRound, build);
            SetLogging(Logging::kDebug);
            // A typical record of each file, weighted by the frame's records of it.
            for (Source source : {kEncoderFile, kStandardFile}) {
                const std::size_t count = figures.records.of[source];
                if (count == 0) continue;
                logNs += NsFor(kRound, [source] { ForcedLog(source); }) * static_cast<double>(count) /
                         static_cast<double>(tests);
            }
        }
    }
    const auto perFrame = [&](double total) { return total / static_cast<double>(rounds * kRound); };

    Run run;
    run.ns = perFrame(ns);
    run.allocs = allocs;
    run.referenceNs = perFrame(referenceNs);
    state.counters["ratio"] = run.Ratio();
    state.counters["allocs"] = run.allocs;
    state.counters["level_tests"] = static_cast<double>(tests);
    if (logging == Logging::kOff) {
        run.floorNs = perFrame(logNs);
        run.levelTestNs = run.floorNs / static_cast<double>(tests);
        state.counters["vs_bound"] = run.VsBound();
        figures.off.Add(frames, run);
    } else {
        // What the records cost beyond the same frames with the logger off,
        // less what log4cplus takes to write them.
        run.ownNs = (run.ns - perFrame(offNs)) / static_cast<double>(tests) - perFrame(logNs);
        state.counters["own_ns/record"] = run.ownNs;
        figures.debug.Add(frames, run);
    }
}

// Appending: `frames` CommonData frames into one vector, or each into a fresh
// one, logger at WARN. A frame appended to one vector must cost what one into
// a fresh vector costs, however many frames the vector already holds. Per
// frame, the best of the repetitions, by the number of frames and the way.
std::map<std::int64_t, double>& AppendNs(bool oneOut) {
    static std::map<std::int64_t, double> ns[2];
    return ns[oneOut];
}

void RunAppend(benchmark::State& state, bool oneOut) {
    Logger().setLogLevel(log4cplus::WARN_LOG_LEVEL);
    const std::int64_t frames = state.range(0);
    bool ok = true;
    double ns = 0;
    for (auto _ : state) {
        Bytes out;
        ns += NsFor(1, [&] {
            for (std::int64_t i = 0; i < frames; ++i) {
                Bytes fresh;
                ok = CEncoder().CommonData(2, oneOut ? out : fresh) && ok;
                benchmark::DoNotOptimize(fresh.data());
            }
        });
        benchmark::DoNotOptimize(out.data());
    }
    if (!ok) return state.SkipWithError("the builder failed");
    const double perFrame = ns / static_cast<double>(state.iterations() * frames);
    state.counters["ns/frame"] = perFrame;
    double& best = AppendNs(oneOut)[frames];
    best = best == 0 ? perFrame : std::min(best, perFrame);
}

void RegisterAll() {
    for (const Row& row : Rows()) {
        for (Logging logging : {Logging::kOff, Logging::kDebug}) {
            const std::string name = row.name + (logging == Logging::kOff ? "/off" : "/debug");
            benchmark::RegisterBenchmark(name.c_str(),
                                         [&row, logging](benchmark::State& state) { RunRow(state, row, logging); });
        }
    }
    for (const bool oneOut : {true, false})
        benchmark::RegisterBenchmark(oneOut ? "CommonData/append/one out" : "CommonData/append/fresh vectors",
                                     [oneOut](benchmark::State& state) { RunAppend(state, oneOut); })
            ->Arg(8000)
            ->Arg(16000)
            ->Arg(32000)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("log4cplus/isEnabledFor(off)", [](benchmark::State& state) {
        SetLogging(Logging::kOff);
        for (auto _ : state) LevelTest();
    });
    for (Source source : {kEncoderFile, kStandardFile}) {
        const std::string name = std::string("log4cplus/forcedLog(discarded, ") + kFiles[source] + ")";
        benchmark::RegisterBenchmark(name.c_str(), [source](benchmark::State& state) {
            SetLogging(Logging::kDebug);
            const std::uint64_t allocsBefore = AllocationCount();
            for (auto _ : state) ForcedLog(source);
            state.counters["allocs"] =
                static_cast<double>(AllocationCount() - allocsBefore) / static_cast<double>(state.iterations());
        });
    }
}

// ---------------------------------------------------------------------------
// Summary
// ---------------------------------------------------------------------------

// A figure, or "–" for one that was not measured, with "✗" after it when it
// misses its target.
std::string Cell(double value, const char* format, bool measured = true, bool met = true) {
    if (!measured) return "–";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return std::string(text) + (met ? "" : " ✗");
}

// The figures of every row that ran, as a Markdown table, ratios first: of
// each row and logging set-up the run in the middle of the repetitions.
void PrintSummary() {
    std::printf(
        "\n| builder | off: ratio | off: vs bound | debug: ratio | allocs off | allocs debug | params "
        "| level tests | own ns/record | off ns | debug ns | reference ns | isEnabledFor ns |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& row : Rows()) {
        const auto it = AllFigures().find(row.name);
        if (it == AllFigures().end()) continue;
        const Figures& f = it->second;
        const Run none;
        const Run* offRun = f.off.Median([](const Run& r) { return r.VsBound(); });
        const Run* debugRun = f.debug.Median([](const Run& r) { return r.ownNs; });
        const Run& off = offRun ? *offRun : none;
        const Run& debug = debugRun ? *debugRun : none;
        const bool platform = row.family == Family::kPlatform;
        const bool frame = row.family != Family::kStandard;
        const double bound = row.family == Family::kTunnelled ? 2.0 : 1.5;
        std::printf(
            "| %s | %s | %s | %s | %s | %s | %s | %zu | %s | %s | %s | %s | %s |\n", row.name.c_str(),
            Cell(off.Ratio(), "%.1f", offRun).c_str(),
            Cell(off.VsBound(), "%.2f", offRun, off.VsBound() <= bound).c_str(),
            Cell(debug.Ratio(), "%.0f", debugRun).c_str(),
            Cell(off.allocs, "%.0f", offRun, !platform || off.allocs <= static_cast<double>(f.params + 3)).c_str(),
            Cell(debug.allocs, "%.0f", debugRun).c_str(), Cell(static_cast<double>(f.params), "%.0f", frame).c_str(),
            f.levelTests, Cell(debug.ownNs, "%.0f", debugRun, debug.ownNs < 50).c_str(),
            Cell(off.ns, "%.0f", offRun).c_str(), Cell(debug.ns, "%.0f", debugRun).c_str(),
            Cell(offRun ? off.referenceNs : debug.referenceNs, "%.0f").c_str(),
            Cell(off.levelTestNs, "%.2f", offRun).c_str());
    }
    if (AppendNs(true).empty() || AppendNs(false).empty()) return;
    std::printf("\n| CommonData frames | into one out, ns a frame | each into a fresh vector | ratio |\n");
    std::printf("|---:|---:|---:|---:|\n");
    for (const auto& [frames, one] : AppendNs(true)) {
        const auto fresh = AppendNs(false).find(frames);
        if (fresh == AppendNs(false).end()) continue;
        std::printf("| %lld | %.0f | %.0f | %.2f |\n", static_cast<long long>(frames), one, fresh->second,
                    one / fresh->second);
    }
}

}  // namespace

int main(int argc, char** argv) {
    log4cplus::Initializer logging;
    CSessionData::SetSession(kSession);
    Logger().removeAllAppenders();
    Logger().addAppender(Discard());
    Logger().setAdditivity(false);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
