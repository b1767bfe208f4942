// CEncoder: the platform command builders, from input record to GP frame.
//
// Every builder takes one path: its check of the input, its parameter step
// (the same check again, then one parameter per field in ascending key order),
// body, header and the frame copy into `out`. What differs per command is the
// check, the parameter list and the command number, a few lines each below.
#include "gpenc/Encoder.h"

#include "EncoderParts.h"
#include "Log.h"
#include "Wire.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

using gpenc::detail::Checked;
using gpenc::detail::Op;
using gpenc::detail::ParamSource;

namespace {

constexpr Op Operation(const char* name) { return gpenc::detail::EncoderOp(name); }

// The checks of the input records. A builder and its parameter step run the
// same one, so a record that reaches the step passes it there too.

template <class TextPair>
bool ValidPair(const TextPair* r) {
    return r != nullptr && !r->text0.empty() && !r->text1.empty();
}

bool Valid(const sSoundSowing* r) { return ValidPair(r); }
bool Valid(const sSimSetInterval* r) { return ValidPair(r); }
bool Valid(const sBlackoutInterval* r) { return ValidPair(r); }

bool Valid(const sCommitInterval* r) {
    return r != nullptr && r->byte0 != 0 && !r->text1.empty() && !r->text2.empty() &&
           !r->text3.empty() && !r->text4.empty() && !r->text5.empty() && !r->text6.empty();
}

bool Valid(const sListening* r) { return r != nullptr && !r->text2.empty() && !r->text0.empty(); }

bool Valid(const sVideo* r) {
    return r != nullptr && !r->text4.empty() && !r->text0.empty() && !r->text2.empty() && r->int3 != 0;
}

bool Valid(const sAlarmHandle* r) {
    return r != nullptr && !r->text0.empty() && !r->text1.empty() && r->byte2 <= 9 && !r->text3.empty();
}

bool Valid(const sTimeInterval* r) { return r != nullptr && !r->text0.empty() && r->int1 != 0; }

// A count of 0 passes here and is refused by the parameter encoding, after
// keys 0 and 1 went out. A count beyond the names is refused before anything.
bool Valid(const sPreset* r) {
    return r != nullptr && !r->text0.empty() && r->count1 != -1 &&
           (r->count1 <= 0 || static_cast<std::size_t>(r->count1) <= r->names2.size());
}

bool NotAllZero(const unsigned char (&time)[6]) {
    return std::any_of(std::begin(time), std::end(time), [](unsigned char b) { return b != 0; });
}

bool Valid(const sTrackPlayback* r) {
    return r != nullptr && !r->terminalNo.empty() && NotAllZero(r->byStartTime) &&
           NotAllZero(r->byEndTime);
}

// `word` followed by `args` joined by ";", empty texts included: the argument
// of terminal control words 1 and 2.
template <std::size_t N>
std::string JoinArgs(std::string_view word, const std::array<std::string, N>& args) {
    std::size_t size = word.size() + N - 1;
    for (const std::string& arg : args) size += arg.size();
    std::string text;
    text.reserve(size);
    text = word;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) text += ';';
        text += args[i];
    }
    return text;
}

// The argument of a terminal control request; empty (and so refused by the
// parameter step) for a command word outside 1 to 7.
std::string ControlText(const sEquipControl& control) {
    switch (control.nCommand) {
    case 1:
        return JoinArgs("1,", control.strUpgradeArgs);
    case 2:
        // Connection control 1 switches back to the default server; in JT/T 808
        // no further fields follow it.
        if (control.strConnectArgs[0] == "1") return "2,1";
        return JoinArgs("2,", control.strConnectArgs);
    default:
        // Words 3 to 7 take no parameters.
        if (control.nCommand >= 3 && control.nCommand <= 7) return std::to_string(control.nCommand);
        return std::string();
    }
}

// The argument of a request whose argument never changes.
auto Fixed(const char* text) {
    return [text](const auto&) { return std::string(text); };
}

std::string TrackingText(const sEquipTempPositionTrack& track) {
    return std::to_string(track.nInterval) + "," + std::to_string(track.nValidity);
}

}  // namespace

// ---------------------------------------------------------------------------
// Interval and setting commands
// ---------------------------------------------------------------------------

bool CEncoder::Cmd_sCommitInterval(sCommitInterval* interval, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sCommitInterval");
    return EncoderSteps::SendFrame(*this, op, Valid(interval), wire::kCommitInterval, [&] { return SetCommitParameterData(interval); }, out);
}

bool CEncoder::SetCommitParameterData(sCommitInterval* interval) {
    static constexpr Op op = Operation("CEncoder::SetCommitParameterData");
    return Checked(op, Valid(interval), [&] {
        const ParamSource params[] = {
            ParamSource::Byte(0, interval->byte0), ParamSource::Text(1, interval->text1),
            ParamSource::Text(2, interval->text2), ParamSource::Text(3, interval->text3),
            ParamSource::Text(4, interval->text4), ParamSource::Text(5, interval->text5),
            ParamSource::Text(6, interval->text6),
        };
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_SoundSowing(sSoundSowing* sowing, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_SoundSowing");
    return EncoderSteps::SendFrame(*this, op, Valid(sowing), wire::kSoundSowing, [&] { return SetSoundSowingParameterData(sowing); }, out);
}

bool CEncoder::SetSoundSowingParameterData(sSoundSowing* sowing) {
    static constexpr Op op = Operation("CEncoder::SetSoundSowingParameterData");
    return Checked(op, Valid(sowing), [&] {
        const ParamSource params[] = {ParamSource::Text(0, sowing->text0),
                                      ParamSource::Text(1, sowing->text1)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_sListening(sListening* listening, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sListening");
    return EncoderSteps::SendFrame(*this, op, Valid(listening), wire::kListening, [&] { return SetListeningParameterData(listening); }, out);
}

bool CEncoder::SetListeningParameterData(sListening* listening) {
    static constexpr Op op = Operation("CEncoder::SetListeningParameterData");
    return Checked(op, Valid(listening), [&] {
        const ParamSource params[] = {ParamSource::Text(0, listening->text0),
                                      ParamSource::Byte(1, listening->byte1),
                                      ParamSource::Text(2, listening->text2)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_sSimSet(sSimSetInterval* simSet, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sSimSet");
    return EncoderSteps::SendFrame(*this, op, Valid(simSet), wire::kSimSet, [&] { return SetSimSetParameterData(simSet); }, out);
}

bool CEncoder::SetSimSetParameterData(sSimSetInterval* simSet) {
    static constexpr Op op = Operation("CEncoder::SetSimSetParameterData");
    return Checked(op, Valid(simSet), [&] {
        const ParamSource params[] = {ParamSource::Text(0, simSet->text0),
                                      ParamSource::Text(1, simSet->text1)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_sBlackout(sBlackoutInterval* blackout, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sBlackout");
    return EncoderSteps::SendFrame(*this, op, Valid(blackout), wire::kBlackout, [&] { return SetBlackoutParameterData(blackout); }, out);
}

bool CEncoder::SetBlackoutParameterData(sBlackoutInterval* blackout) {
    static constexpr Op op = Operation("CEncoder::SetBlackoutParameterData");
    return Checked(op, Valid(blackout), [&] {
        const ParamSource params[] = {ParamSource::Text(0, blackout->text0),
                                      ParamSource::Text(1, blackout->text1)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_sVideo(sVideo* video, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sVideo");
    return EncoderSteps::SendFrame(*this, op, Valid(video), wire::kVideo, [&] { return SetVideoParameterData(video); }, out);
}

bool CEncoder::SetVideoParameterData(sVideo* video) {
    static constexpr Op op = Operation("CEncoder::SetVideoParameterData");
    return Checked(op, Valid(video), [&] {
        const ParamSource params[] = {
            ParamSource::Text(0, video->text0), ParamSource::Byte(1, video->byte1),
            ParamSource::Text(2, video->text2), ParamSource::Int32(3, video->int3),
            ParamSource::Text(4, video->text4),
        };
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_AlarmHandle(sAlarmHandle* alarm, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_AlarmHandle");
    return EncoderSteps::SendFrame(*this, op, Valid(alarm), wire::kAlarmHandle, [&] { return SetAlarmHandleParameterData(alarm); }, out);
}

bool CEncoder::SetAlarmHandleParameterData(sAlarmHandle* alarm) {
    // The platform's log readers know this step by the misspelt tag; only the
    // exception record and the exit after it use the method's own name.
    static constexpr Op op = Operation("CEncoder::SetaAlarmHandleParameterData")
                                 .WithGuardName("CEncoder::SetAlarmHandleParameterData");
    return Checked(op, Valid(alarm), [&] {
        const std::string code(1, static_cast<char>(alarm->byte2));  // the raw byte, 0 included
        const ParamSource params[] = {ParamSource::Text(0, alarm->text0),
                                      ParamSource::Text(1, alarm->text1), ParamSource::Text(2, code),
                                      ParamSource::Text(3, alarm->text3)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_sTimeInterval(sTimeInterval* interval, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sTimeInterval");
    return EncoderSteps::SendFrame(*this, op, Valid(interval), wire::kTimeInterval, [&] { return SetTimeIntervalParameterData(interval); }, out);
}

bool CEncoder::SetTimeIntervalParameterData(sTimeInterval* interval) {
    static constexpr Op op = Operation("CEncoder::SetTimeIntervalParameterData");
    return Checked(op, Valid(interval), [&] {
        const ParamSource params[] = {ParamSource::Text(0, interval->text0),
                                      ParamSource::Int32(1, interval->int1)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

bool CEncoder::Cmd_sPreset(sPreset* preset, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_sPreset");
    return EncoderSteps::SendFrame(*this, op, Valid(preset), wire::kPreset, [&] { return SetPresetParameterData(preset); }, out);
}

bool CEncoder::SetPresetParameterData(sPreset* preset) {
    static constexpr Op op = Operation("CEncoder::SetPresetParameterData");
    return Checked(op, Valid(preset), [&] {
        static const std::string kNoName;
        const ParamSource head[] = {ParamSource::Text(0, preset->text0), ParamSource::Int32(1, preset->count1)};
        // A preset without names sends one empty name, which the encoding
        // refuses: the step fails after keys 0 and 1.
        const int names = preset->count1 == 0 ? 1 : preset->count1;
        auto name = [&](int i) {
            return ParamSource::Text(2, preset->count1 == 0 ? kNoName : preset->names2[static_cast<std::size_t>(i)]);
        };
        std::size_t size = m_vecParameter.size() + head[0].RecordSize() + head[1].RecordSize();
        for (int i = 0; i < names; ++i) size += name(i).RecordSize();
        m_vecParameter.reserve(size);
        if (!EncoderSteps::AppendParameters(*this, head, std::size(head))) return false;
        for (int i = 0; i < names; ++i) {
            const ParamSource param = name(i);
            if (!EncoderSteps::AppendParameters(*this, &param, 1, true)) return false;
        }
        return true;
    });
}

// ---------------------------------------------------------------------------
// Equipment requests
// ---------------------------------------------------------------------------

template <class Request, class Compose>
bool EncoderSteps::SendEquipRequest(CEncoder& e, const Op& op, Request* request, int msgId, Compose compose,
                                    Bytes& out) {
    sEquipsetQuery query;
    return SendFrame(e, op, request != nullptr && !request->terminalNo.empty(), wire::kTunnel, [&] {
        op.Debug({") 生成808数据开始<<<<<"});
        query.terminalNo = request->terminalNo;
        query.msgId = msgId;
        op.Debug({") 生成808数据结束<<<<<"});
        query.strMsgText = compose(*request);
        return e.SetEquipSetQueryParameterData(&query);
    }, out);
}

bool CEncoder::Cmd_EquipSetQuery(sEquipsetQuery* query, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_EquipSetQuery");
    // Only the terminal number is taken from the caller's record.
    return EncoderSteps::SendEquipRequest(*this, op, query, wire::jt808::kParmQuery, Fixed("0"), out);
}

bool CEncoder::Cmd_EquipPositionInfoQuery(sEquipPositionInfoQuery* query,
                                          std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_EquipPositionInfoQuery");
    return EncoderSteps::SendEquipRequest(*this, op, query, wire::jt808::kPositionQuery, Fixed("0"), out);
}

bool CEncoder::Cmd_AffirmAlarmInform(sAffirmAlarmInform* inform, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_AffirmAlarmInform");
    return EncoderSteps::SendEquipRequest(*this, op, inform, wire::jt808::kAffirmAlarm, Fixed("1"), out);
}

bool CEncoder::Cmd_EquipTempPositionTrack(sEquipTempPositionTrack* track,
                                          std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_EquipTempPositionTrack");
    return EncoderSteps::SendEquipRequest(*this, op, track, wire::jt808::kTempTrack, TrackingText, out);
}

bool CEncoder::Cmd_EquipControl(sEquipControl* control, std::vector<unsigned char>& out) {
    // Terminal control logs under the tag its log readers know it by.
    static constexpr Op op = Operation("CEncoder::usEquipControlData");
    return EncoderSteps::SendEquipRequest(*this, op, control, wire::jt808::kTerminalControl, ControlText, out);
}

bool CEncoder::SetEquipSetQueryParameterData(sEquipsetQuery* query) {
    static constexpr Op op = Operation("CEncoder::SetEquipSetQueryParameterData");
    return EncoderSteps::SetTunnelParameterData(*this, op, query, &sEquipsetQuery::strMsgText);
}

// ---------------------------------------------------------------------------
// Subscription, realtime, photograph
// ---------------------------------------------------------------------------

bool CEncoder::Subscription(int number, std::string text, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Subscription");
    // The text is left to the parameter step to check.
    return EncoderSteps::SendFrame(
        *this,         op, number != 0, wire::kSubscription, [&] { return SetSubscriptionParameterData(number, std::move(text)); }, out);
}

bool CEncoder::Subscription(int number, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Subscription");
    return EncoderSteps::SendFrame(*this, op, number != 0, wire::kSubscription, [&] { return SetSubscriptionParameterData(number); }, out);
}

bool CEncoder::SetSubscriptionParameterData(int number, std::string text) {
    static constexpr Op op = Operation("CEncoder::SetSubscriptionParameterData");
    // The number is the builder's to check.
    return Checked(op, !text.empty(), [&] {
        const ParamSource first = ParamSource::Int32(0, number);
        const ParamSource second = ParamSource::Text(1, text);
        m_vecParameter.reserve(m_vecParameter.size() + first.RecordSize() + second.RecordSize());
        if (!EncoderSteps::AppendParameters(*this, &first, 1)) return false;
        // The reset between the two goes through initParameterConfig as
        // everywhere, but the text goes out even when the reset reports failure.
        ParameterConfig reset;
        initParameterConfig(reset);
        return EncoderSteps::AppendParameters(*this, &second, 1);
    });
}

bool CEncoder::SetSubscriptionParameterData(int number) {
    static constexpr Op op = Operation("CEncoder::SetSubscriptionParameterData");
    return Checked(op, number != 0, [&] {
        const ParamSource param = ParamSource::Int32(0, number);
        return EncoderSteps::AppendParameters(*this, &param, 1);
    });
}

bool CEncoder::Realtime(std::string terminalNo, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Realtime");
    return EncoderSteps::SendFrame(
        *this,         op, !terminalNo.empty(), wire::kRealtime, [&] { return SetRealtimeParameterData(std::move(terminalNo)); }, out);
}

bool CEncoder::SetRealtimeParameterData(std::string terminalNo) {
    static constexpr Op op = Operation("CEncoder::SetRealtimeParameterData");
    return Checked(op, !terminalNo.empty(), [&] {
        const ParamSource param = ParamSource::Text(0, terminalNo);
        return EncoderSteps::AppendParameters(*this, &param, 1);
    });
}

bool CEncoder::Photograph(std::string terminalNo, unsigned char byPhotoParam,
                          std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Photograph");
    return EncoderSteps::SendFrame(
        *this,         op, !terminalNo.empty(), wire::kPhotograph,
        [&] { return SetPhotographParameterData(std::move(terminalNo), byPhotoParam); }, out);
}

bool CEncoder::SetPhotographParameterData(std::string terminalNo, unsigned char byPhotoParam) {
    static constexpr Op op = Operation("CEncoder::SetPhotographParameterData");
    return Checked(op, !terminalNo.empty(), [&] {
        const ParamSource params[] = {ParamSource::Text(0, terminalNo),
                                      ParamSource::Byte(1, byPhotoParam)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}

// ---------------------------------------------------------------------------
// Track playback
// ---------------------------------------------------------------------------

bool CEncoder::TrackPlayback(sTrackPlayback* playback, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::TrackPlayback");
    return EncoderSteps::SendFrame(*this, op, Valid(playback), wire::kTrackPlayback, [&] { return SetTrackPlaybackParameterData(playback); }, out);
}

bool CEncoder::SetTrackPlaybackParameterData(sTrackPlayback* playback) {
    static constexpr Op op = Operation("CEncoder::SetTrackPlaybackParameterData");
    return Checked(op, Valid(playback), [&] {
        const ParamSource params[] = {ParamSource::Text(0, playback->terminalNo),
                                      ParamSource::SixBytes(1, playback->byStartTime),
                                      ParamSource::SixBytes(2, playback->byEndTime)};
        return EncoderSteps::AppendParameters(*this, params, std::size(params));
    });
}
