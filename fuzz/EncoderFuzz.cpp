// Fuzz target: the input picks one builder of CEncoder or one operation of
// CEncoder_Standard and fills its record. Whatever the record, the call must
// give a defined result: on success a whole frame or message (read back by the
// inspector), on failure the caller's vector as it was and an ERROR record.
#include "FuzzInput.h"

#include "gpenc/Encoder.h"
#include "gpenc/Host.h"
#include "gpenc/Inspect.h"

#include <log4cplus/appender.h>
#include <log4cplus/initializer.h>
#include <log4cplus/loglevel.h>
#include <log4cplus/spi/loggingevent.h>

#include <algorithm>

using gpenc::fuzz::Input;
using gpenc::fuzz::Require;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr unsigned char kMark = 0x99;  // the caller's byte in `out`

// Keeps no record, but counts the ERROR ones. The logger runs at DEBUG, so
// every record is composed as in a host that logs everything.
class CountingAppender : public log4cplus::Appender {
public:
    int errors = 0;
    ~CountingAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override {
        if (event.getLogLevel() >= log4cplus::ERROR_LOG_LEVEL) ++errors;
    }
};

CountingAppender& Appender() {
    static log4cplus::Initializer logging;
    static CountingAppender* appender = [] {
        auto* a = new CountingAppender;
        NSLog::CLog::_logger.addAppender(log4cplus::SharedAppenderPtr(a));
        NSLog::CLog::_logger.setLogLevel(log4cplus::DEBUG_LOG_LEVEL);
        const unsigned char id[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        CSessionData::SetSession(id);
        return a;
    }();
    return *appender;
}

// What a successful call leaves in `out`.
enum class Output { kFrame, kMessage, kOther };

struct Outcome {
    bool ok;
    Output output;
    bool quiet = false;  // a documented refusal without an ERROR record
    // Key 2 of a command-0x33 frame is all the library's own (no text of the
    // caller's before it), so it must read back whole.
    bool own = false;
};

template <class R>
bool Build(bool (CEncoder::*build)(R*, Bytes&), R record, bool null, Bytes& out) {
    return (CEncoder().*build)(null ? nullptr : &record, out);
}

// Records filled in declaration order (a braced list is read left to right).
MsgData_AlarmSet_CircularArea Area(Input& in) {
    MsgData_AlarmSet_CircularArea a{in.U32(), in.Word(), in.Double(), in.Double(), in.U32()};
    for (auto& b : a.byStartTime) b = in.Byte();
    for (auto& b : a.byEndTime) b = in.Byte();
    a.wMaxSpeed = in.Word();
    a.byOverSpeedDuration = in.Byte();
    return a;
}

sEquipset Equipset(Input& in) {
    return {in.Text(), "", 0, in.Text(), in.Text(), in.Blob(), in.Int(),
            static_cast<EequipParameterMark>(in.U32()), in.Int()};
}

struct_EquipControl_SetIC Card(Input& in) {
    return {in.Text(), in.Byte(), in.Text(), in.Text(), in.Int64(), in.Text(), in.Text(), in.Byte(), 0, 0,
            in.Byte(), in.Byte(), in.Byte(), 0, 0, in.Text(), in.Text(), "", 0, in.Text(), "", in.Byte()};
}

EquipParmSet_EquipConfig Config(Input& in) {
    return {in.Text(), in.U32(), in.Blob(), in.Text(), static_cast<EequipParmDataType>(in.U32()),
            static_cast<EequipParameterMark>(in.U32())};
}

// Up to seven records.
template <class Make>
auto Some(Input& in, Make make) {
    std::vector<decltype(make(in))> records(in.Byte() % 8);
    for (auto& r : records) r = make(in);
    return records;
}

// The builders of CEncoder, from 0 on.
Outcome Frame(int op, Input& in, Bytes& out) {
    const bool null = in.Byte() == 0xff;
    constexpr Output f = Output::kFrame;
    auto build = [&](auto method, auto record) { return Outcome{Build(method, record, null, out), f}; };
    switch (op) {
    case 0: return {CEncoder().CommonData(in.Int(), out), f};
    case 1:
        return build(&CEncoder::UserLogin, sUserLogin{in.Text(), in.Text(), in.Text(), in.Text(), in.Text(),
                                                      in.Text(), in.Text(), in.Text()});
    case 2:
        return build(&CEncoder::Cmd_sCommitInterval,
                     sCommitInterval{in.Byte(), in.Text(), in.Text(), in.Text(), in.Text(), in.Text(), in.Text()});
    case 3: return build(&CEncoder::Cmd_SoundSowing, sSoundSowing{in.Text(), in.Text()});
    case 4: return build(&CEncoder::Cmd_sListening, sListening{in.Text(), in.Text(), in.Byte()});
    case 5: return build(&CEncoder::Cmd_sSimSet, sSimSetInterval{in.Text(), in.Text()});
    case 6: return build(&CEncoder::Cmd_sBlackout, sBlackoutInterval{in.Text(), in.Text()});
    case 7: return build(&CEncoder::Cmd_sVideo, sVideo{in.Text(), in.Text(), in.Byte(), in.Text(), in.Int()});
    case 8: return build(&CEncoder::Cmd_AlarmHandle, sAlarmHandle{in.Text(), in.Text(), in.Byte(), in.Text()});
    case 9: return build(&CEncoder::Cmd_sTimeInterval, sTimeInterval{in.Text(), in.Int()});
    case 10: {
        sPreset r{in.Text(), in.Int(), std::vector<std::string>(in.Byte() % 16)};
        for (auto& n : r.names2) n = in.Text();
        return build(&CEncoder::Cmd_sPreset, r);
    }
    case 11: return build(&CEncoder::Cmd_EquipSetQuery, sEquipsetQuery{in.Text(), in.Text(), in.Int(), in.Text()});
    case 12: return build(&CEncoder::Cmd_EquipPositionInfoQuery, sEquipPositionInfoQuery{in.Text()});
    case 13: return build(&CEncoder::Cmd_AffirmAlarmInform, sAffirmAlarmInform{in.Text()});
    case 14:
        return build(&CEncoder::Cmd_EquipTempPositionTrack,
                     sEquipTempPositionTrack{in.Text(), in.Text(), in.Int(), in.Int(), in.Int()});
    case 15: {
        sEquipControl r;
        r.terminalNo = in.Text();
        r.nCommand = in.Int();
        for (auto& a : r.strUpgradeArgs) a = in.Text();
        for (auto& a : r.strConnectArgs) a = in.Text();
        return build(&CEncoder::Cmd_EquipControl, r);
    }
    case 16: {
        const int number = in.Int();
        return {CEncoder().Subscription(number, in.Text(), out), f};
    }
    case 17: return {CEncoder().Subscription(in.Int(), out), f};
    case 18: return {CEncoder().Realtime(in.Text(), out), f};
    case 19: {
        const std::string terminal = in.Text();
        return {CEncoder().Photograph(terminal, in.Byte(), out), f};
    }
    case 20: {
        sTrackPlayback r{in.Text()};
        for (auto& b : r.byStartTime) b = in.Byte();
        for (auto& b : r.byEndTime) b = in.Byte();
        return build(&CEncoder::TrackPlayback, r);
    }
    case 21: {
        const sEquipset r = Equipset(in);
        // Without a message of its own and without the caller's text there is nothing to send.
        const bool quiet = r.nSetParm != 1 && r.nSetParm != 0x13 && r.strMsgHex.empty();
        // Key 1 carries the caller's message id as it stands, whatever key 2 holds.
        const bool own = r.strMsgHex.empty() && r.msgId == 0x8103;
        return {Build(&CEncoder::EquipSet, r, null, out), f, quiet, own};
    }
    case 22: return {CEncoder().EquipSet(Some(in, Equipset), out), f, false, true};
    case 23: {
        sEquipControl_SetIC r{in.Text(), "", in.Text(), in.Int(), Card(in)};
        return {CEncoder().EquipSet_ICInfoSet(r, out), f, false, true};
    }
    case 24: {
        sEquip_AlarmSet r{in.Text(), "", in.Text(), {}, in.Byte(), in.Byte(), Some(in, Area)};
        return {Build(&CEncoder::EquipAlarmSet, r, null, out), f, false, r.strMsgText.empty()};
    }
    default: {
        sEquipControl_SetIC r{in.Text(), "", in.Text(), in.Int(), {}};
        return {CEncoder().SetEquipSet_ICInfoSetParameterData(null ? nullptr : &r), Output::kOther};
    }
    }
}

constexpr int kFrameOps = 26;

// What an 808-tunnelled setting sends must read back: an 808 message that sets
// at least one parameter, or a setting text.
void Own(const gpenc::inspect::Tunnel& tunnel) {
    using Content = gpenc::inspect::Tunnel::Content;
    if (tunnel.content == Content::kJt808) {
        Require(!tunnel.hexError && tunnel.jt808->ok(), "a tunnelled 808 message the inspector cannot read");
        const auto& setting = tunnel.jt808->value.paramSetting;
        Require(!setting || setting->count.value > 0, "a parameter setting that sets nothing");
    } else {
        Require(tunnel.content == Content::kSettingText && tunnel.circular->ok(),
                "a setting text the inspector cannot read");
    }
}

// The operations of CEncoder_Standard, from 0 on. Those that write no byte
// vector show in `out` what they wrote, so that a refusal must leave it alone.
Outcome Standard(int op, Input& in, Bytes& out) {
    CEncoder_Standard e;
    constexpr Output m = Output::kMessage, other = Output::kOther;
    switch (op) {
    case 0: return {e.ParmSet_GetHeadInterval(Config(in), out), m};
    case 1: return {e.ParmSet_GetMainSericeIP(Some(in, Config), out), m};
    case 2: return {e.ParmSet_Get808ParmSetVector(Some(in, Config), out), m};
    case 3: {
        const auto type = e.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(in.U32()));
        Require(type == DATATYPE_NONE || type == DATATYPE_STRING || type == DATATYPE_WORD || type == DATATYPE_DWORD ||
                    type == DATATYPE_BYTES || type == DATATYPE_BYTE,
                "a type that is none of the types");
        return {true, other};
    }
    case 4: return {e.ParmSet_ICInfoSetStandard(Card(in), out), m};
    case 5: return {e.ParmSet_ICInfoSetExtension(Card(in), out), m};
    case 6: return {e.ParmSet_SetICInfoSetStandard(Card(in)), other};
    case 7: return {e.ParmSet_SetICInfoSetExtension(Card(in)), other};
    case 8: {
        std::string text = in.Text();
        const int width = in.Int() % 4096;  // the width is the caller's to keep sensible
        Require(e.ParmSet_SetICInfoSet_stringAdd0(text, width) &&
                    text.size() == static_cast<std::size_t>(std::max(width, 0)),
                "a text fitted to another width");
        return {true, other};
    }
    case 9: {
        MsgData_AlarmSet_Circular setting;
        setting.bySetAttr = in.Byte();
        setting.byAreaCount = in.Byte();
        setting.vecAreas = Some(in, Area);
        std::string text(out.begin(), out.end());  // the setting follows the caller's byte
        const bool ok = e.ParmSet_Get808AlarmSetData_Circular(setting, text);
        out.assign(text.begin(), text.end());
        Require(!ok || gpenc::inspect::DecodeCircularText(text.substr(1)).ok(),
                "a setting text the inspector cannot read");
        return {ok, other};
    }
    case 10: {
        // The buffer holds exactly the bytes asked for, so a stray write is
        // caught; a count below 1 is tried as it is, and must leave one byte alone.
        int count = in.Int();
        if (count > 8) count %= 9;
        Bytes buffer(static_cast<std::size_t>(std::max(count, 1)), kMark);
        Require(e.DecToBCD(in.Int(), buffer.data(), count) == 0, "DecToBCD gave other than 0");
        Require(count > 0 || buffer == Bytes{kMark}, "DecToBCD wrote for a count below 1");
        return {true, other};
    }
    default: {
        const Bytes data = in.Blob();
        const int first = in.Int();
        unsigned char check = kMark;
        const bool ok = e.Xor(data, first, in.Int(), check);
        out.assign(1, check);
        return {ok, other, true};
    }
    }
}
constexpr int kStandardOps = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CountingAppender& log = Appender();
    Input in(data, size);
    const int op = in.Byte() % (kFrameOps + kStandardOps);
    Bytes out = {kMark};
    log.errors = 0;
    const Outcome r = op < kFrameOps ? Frame(op, in, out) : Standard(op - kFrameOps, in, out);
    if (!r.ok) {
        Require(out == Bytes{kMark}, "a refusal changed the caller's bytes");
        Require(log.errors > 0 || r.quiet, "a refusal without an ERROR record");
        return 0;
    }
    if (r.output == Output::kMessage) {
        const auto m = gpenc::inspect::DecodeJt808(out.data(), out.size());
        Require(m.ok() && m.value.size == out.size(), "an 808 message the inspector cannot read");
    } else if (r.output == Output::kFrame) {
        Require(out.size() >= 31 && out[4] == kMark, "the header did not go in front of the caller's byte");
        out.erase(out.begin() + 4);
        const auto dump = gpenc::inspect::DecodeFrames(out);
        Require(!dump.error && dump.frames.size() == 1 && dump.frames[0].size == out.size(),
                "a frame the inspector cannot read");
        if (r.own) Own(*dump.frames[0].tunnel);
    }
    return 0;
}
