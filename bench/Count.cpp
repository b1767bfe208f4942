// The program bench/count.py runs under callgrind: N messages of one builder,
// each a fresh object, one call with a ready input (by-value arguments copied
// from the caller's lvalue, as a client calls them) and the output destroyed;
// but for the row that appends every frame to one vector.
//
//     gpenc_count                    # the builders' names
//     gpenc_count NAME N [debug]     # N messages; logger at DEBUG into a null appender
#include "Floor.h"
#include "gpenc/Encoder.h"
#include "gpenc/Host.h"

#include <log4cplus/initializer.h>
#include <log4cplus/loglevel.h>
#include <log4cplus/nullappender.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const char kTerminal[] = "013912345678";
const char kPhone[] = "013912344323";  // the 0x8103 message's head
const unsigned char kSession[16] = {0x5a, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                    0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0x0f};

// Terminal parameters 0x0001 DWORD 66, 0x0013 STRING, 0x0081 WORD 11, 0x0084 BYTE 1.
struct Setting {
    unsigned id;
    EequipParmDataType type;
    const char* text;
};
const Setting kSettings[4] = {{0x0001, DATATYPE_DWORD, "66"},
                              {0x0013, DATATYPE_STRING, "www.xxx.fff.zzz.com"},
                              {0x0081, DATATYPE_WORD, "11"},
                              {0x0084, DATATYPE_BYTE, "1"}};

// One record of type R for each of kSettings, filled by `fill`.
template <class R, class Fill>
std::vector<R> PerSetting(Fill fill) {
    std::vector<R> list(std::size(kSettings));
    for (std::size_t i = 0; i < list.size(); ++i) fill(list[i], kSettings[i]);
    return list;
}

// The inputs of examples/requests, made once.
struct Inputs {
    std::vector<EquipParmSet_EquipConfig> entries = PerSetting<EquipParmSet_EquipConfig>([](auto& e, const Setting& s) {
        e.strPhoneNo = kPhone;
        e.eParmMark = static_cast<EequipParameterMark>(s.id);
        e.eDataType = s.type;
        e.strValue = s.text;
        e.dwValue = static_cast<std::uint32_t>(std::atoi(s.text));
    });
    std::vector<sEquipset> equipSets = PerSetting<sEquipset>([](auto& e, const Setting& s) {
        e.terminalNo = kPhone;
        e.eParmMark = static_cast<EequipParameterMark>(s.id);
        e.strValue = s.text;
    });
    sEquipset equipSet = [] {
        sEquipset e;
        e.terminalNo = kTerminal;
        e.nSetParm = 1;
        e.strValue = "60";
        e.msgId = 0x8103;
        return e;
    }();
    sUserLogin login{"operator", "secret", "1", "client", "2.0", "192.168.1.10", "0", "zh"};
    sCommitInterval commit{1, kTerminal, "30", "60", "300", "08:00", "18:00"};
    sSoundSowing sowing{kTerminal, "Please slow down"};
    sListening listening{"13800138000", kTerminal, 0};
    sSimSetInterval simSet{kTerminal, "60"};
    sBlackoutInterval blackout{kTerminal, "1"};
    sVideo video{"1", kTerminal, 2, "192.168.1.20", 7000};
    sAlarmHandle alarm{kTerminal, "20250102080000", 3, "handled"};
    sTimeInterval interval{kTerminal, 30};
    sPreset preset{kTerminal, 2, {"gate", "depot", "yard"}};
    sEquipsetQuery query{kTerminal, "", 0, ""};
    sEquipPositionInfoQuery position{kTerminal};
    sAffirmAlarmInform affirm{kTerminal};
    sEquipTempPositionTrack track{kTerminal, "", 0, 30, 3600};
    sEquipControl control = [] {
        sEquipControl c;
        c.terminalNo = kTerminal;
        c.nCommand = 2;
        c.strConnectArgs = {"0", "AUTH0001", "cmnet", "", "", "10.1.1.1", "7008", "7009", "60"};
        return c;
    }();
    sTrackPlayback playback{kTerminal, {0x25, 0x01, 0x02, 0x08, 0, 0}, {0x25, 0x01, 0x02, 0x18, 0, 0}};
    sEquipControl_SetIC card = [] {
        sEquipControl_SetIC c;
        c.terminalNo = c.stSetIC.strPhoneNo = kTerminal;
        c.stSetIC.byStandard = 1;
        c.stSetIC.strCardText1 = "ZHANG SAN";
        c.stSetIC.strCardText2 = "440301199001011234";
        c.stSetIC.tmCardDate = 1741305600;
        c.stSetIC.strCardText3 = "GD-2025-000123";
        c.stSetIC.strCardText4 = "Shenzhen Transport Bureau";
        return c;
    }();
    sEquipControl_SetIC cardExtension = [this] {
        sEquipControl_SetIC c = card;
        c.stSetIC.byStandard = 0;
        c.stSetIC.byExt1 = 1;
        c.stSetIC.byExt2 = 2;
        c.stSetIC.strExtText1 = "A2";
        c.stSetIC.strExtText2 = "Road freight";
        c.stSetIC.strExtText3 = "2030-03-07";
        return c;
    }();
    sEquip_AlarmSet alarmSet = [] {
        sEquip_AlarmSet s;
        s.terminalNo = kTerminal;
        s.bySetAttr = 1;
        s.byAreaCount = 1;
        MsgData_AlarmSet_CircularArea a;
        a.dwAreaId = 7;
        a.wAreaAttr = 3;
        a.dLatitude = 22.5;
        a.dLongitude = 114.25;
        a.dwRadius = 500;
        const unsigned char start[6] = {0x25, 0x01, 0x02, 0x08, 0, 0}, end[6] = {0x25, 0x12, 0x31, 0x18, 0, 0};
        std::memcpy(a.byStartTime, start, 6);
        std::memcpy(a.byEndTime, end, 6);
        a.wMaxSpeed = 60;
        a.byOverSpeedDuration = 10;
        s.vecAreas.push_back(a);
        return s;
    }();
    MsgData_AlarmSet_Circular circular = [this] {
        MsgData_AlarmSet_Circular c;
        c.bySetAttr = alarmSet.bySetAttr;
        c.byAreaCount = alarmSet.byAreaCount;
        c.vecAreas = alarmSet.vecAreas;
        return c;
    }();
    Bytes appended;  // the frames of the row that appends to one vector
};

struct Row {
    const char* name;
    std::function<bool(Inputs&)> message;
};

// A builder of CEncoder that takes its record by pointer. A record whose
// `text` the builder appends to starts each message with that text empty and
// without storage, as a client's fresh record has it.
template <class R>
std::function<bool(Inputs&)> On(bool (CEncoder::*builder)(R*, Bytes&), R Inputs::*record,
                                std::string R::*text = nullptr) {
    return [=](Inputs& in) {
        if (text != nullptr) std::string().swap(in.*record.*text);
        CEncoder encoder;
        Bytes out;
        return (encoder.*builder)(&(in.*record), out);
    };
}

template <class Call>
std::function<bool(Inputs&)> Gp(Call call) {
    return [=](Inputs& in) {
        CEncoder encoder;
        Bytes out;
        return call(encoder, in, out);
    };
}

template <class Call>
std::function<bool(Inputs&)> Standard(Call call) {
    return [=](Inputs& in) {
        CEncoder_Standard standard;
        Bytes out;
        return call(standard, in, out);
    };
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"ParmSet_Get808ParmSetVector", Standard([](CEncoder_Standard& s, Inputs& in, Bytes& out) {
             return s.ParmSet_Get808ParmSetVector(in.entries, out);
         })},
        {"EquipSet/list", Gp([](CEncoder& e, Inputs& in, Bytes& out) { return e.EquipSet(in.equipSets, out); })},
        {"UserLogin", On(&CEncoder::UserLogin, &Inputs::login)},
        {"CommonData(2)", Gp([](CEncoder& e, Inputs&, Bytes& out) { return e.CommonData(2, out); })},
        {"Cmd_sTimeInterval", On(&CEncoder::Cmd_sTimeInterval, &Inputs::interval)},
        {"ParmSet_ICInfoSetStandard", Standard([](CEncoder_Standard& s, Inputs& in, Bytes& out) {
             return s.ParmSet_ICInfoSetStandard(in.card.stSetIC, out);
         })},
        {"ParmSet_Get808AlarmSetData_Circular", Standard([](CEncoder_Standard& s, Inputs& in, Bytes&) {
             std::string text;
             return s.ParmSet_Get808AlarmSetData_Circular(in.circular, text);
         })},
        {"EquipSet_ICInfoSet",
         Gp([](CEncoder& e, Inputs& in, Bytes& out) { return e.EquipSet_ICInfoSet(in.card, out); })},
        {"EquipAlarmSet", On(&CEncoder::EquipAlarmSet, &Inputs::alarmSet, &sEquip_AlarmSet::strMsgText)},
        // The other builders.
        {"ParmSet_GetHeadInterval", Standard([](CEncoder_Standard& s, Inputs& in, Bytes& out) {
             return s.ParmSet_GetHeadInterval(in.entries[0], out);
         })},
        {"ParmSet_GetMainSericeIP", Standard([](CEncoder_Standard& s, Inputs& in, Bytes& out) {
             return s.ParmSet_GetMainSericeIP({in.entries[1]}, out);
         })},
        {"ParmSet_ICInfoSetExtension", Standard([](CEncoder_Standard& s, Inputs& in, Bytes& out) {
             return s.ParmSet_ICInfoSetExtension(in.cardExtension.stSetIC, out);
         })},
        {"EquipSet/single", On(&CEncoder::EquipSet, &Inputs::equipSet, &sEquipset::strMsgHex)},
        {"EquipSet_ICInfoSet/extension",
         Gp([](CEncoder& e, Inputs& in, Bytes& out) { return e.EquipSet_ICInfoSet(in.cardExtension, out); })},
        {"CommonData(4)", Gp([](CEncoder& e, Inputs&, Bytes& out) { return e.CommonData(4, out); })},
        // Every frame appended to the one vector of all the frames before it.
        {"CommonData(2)/append", [](Inputs& in) { return CEncoder().CommonData(2, in.appended); }},
        {"Subscription/text", Gp([](CEncoder& e, Inputs&, Bytes& out) { return e.Subscription(1, kTerminal, out); })},
        {"Subscription/number", Gp([](CEncoder& e, Inputs&, Bytes& out) { return e.Subscription(1, out); })},
        {"Realtime", Gp([](CEncoder& e, Inputs&, Bytes& out) { return e.Realtime(kTerminal, out); })},
        {"Photograph", Gp([](CEncoder& e, Inputs&, Bytes& out) { return e.Photograph(kTerminal, 1, out); })},
        {"TrackPlayback", On(&CEncoder::TrackPlayback, &Inputs::playback)},
        {"Cmd_sCommitInterval", On(&CEncoder::Cmd_sCommitInterval, &Inputs::commit)},
        {"Cmd_SoundSowing", On(&CEncoder::Cmd_SoundSowing, &Inputs::sowing)},
        {"Cmd_sListening", On(&CEncoder::Cmd_sListening, &Inputs::listening)},
        {"Cmd_sSimSet", On(&CEncoder::Cmd_sSimSet, &Inputs::simSet)},
        {"Cmd_sBlackout", On(&CEncoder::Cmd_sBlackout, &Inputs::blackout)},
        {"Cmd_sVideo", On(&CEncoder::Cmd_sVideo, &Inputs::video)},
        {"Cmd_AlarmHandle", On(&CEncoder::Cmd_AlarmHandle, &Inputs::alarm)},
        {"Cmd_sPreset", On(&CEncoder::Cmd_sPreset, &Inputs::preset)},
        {"Cmd_EquipSetQuery", On(&CEncoder::Cmd_EquipSetQuery, &Inputs::query)},
        {"Cmd_EquipPositionInfoQuery", On(&CEncoder::Cmd_EquipPositionInfoQuery, &Inputs::position)},
        {"Cmd_AffirmAlarmInform", On(&CEncoder::Cmd_AffirmAlarmInform, &Inputs::affirm)},
        {"Cmd_EquipTempPositionTrack", On(&CEncoder::Cmd_EquipTempPositionTrack, &Inputs::track)},
        {"Cmd_EquipControl", On(&CEncoder::Cmd_EquipControl, &Inputs::control)},
        // The floors of two builders (bench/Floor.h): the same bytes, the same copy of the list.
        {"floor/ParmSet_Get808ParmSetVector",
         [](Inputs& in) {
             Bytes out;
             return gpenc::reference::ParameterSettingFloor(in.entries, out);
         }},
        {"floor/CommonData(2)",
         [](Inputs&) {
             Bytes out;
             gpenc::reference::CommonDataFloor(2, kSession, out);
             return true;
         }},
    };
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        for (const Row& r : Rows()) std::printf("%s\n", r.name);
        return 0;
    }
    const Row* row = nullptr;
    for (const Row& r : Rows())
        if (std::strcmp(r.name, argv[1]) == 0) row = &r;
    const long n = std::strtol(argv[2], nullptr, 10);
    if (row == nullptr || n < 0) {
        std::fprintf(stderr, "gpenc_count: no builder %s\n", argv[1]);
        return 2;
    }
    log4cplus::Initializer initializer;
    log4cplus::Logger& logger = NSLog::CLog::_logger;
    logger.removeAllAppenders();
    if (argc > 3 && std::strcmp(argv[3], "debug") == 0) {
        logger.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
        logger.setLogLevel(log4cplus::DEBUG_LOG_LEVEL);
    } else {
        logger.setLogLevel(log4cplus::OFF_LOG_LEVEL);
    }
    CSessionData::SetSession(kSession);
    Inputs in;
    // Every message must succeed, or the count measures a refusal.
    for (long i = 0; i < n; ++i)
        if (!row->message(in)) {
            std::fprintf(stderr, "gpenc_count: %s failed: %s\n", row->name, gpenc::LastFailure().c_str());
            return 1;
        }
    return 0;
}
