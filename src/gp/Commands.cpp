// CEncoder: the platform command builders, from input record to GP frame.
//
// Every builder takes one path: its check of the input, its parameter step
// (the same check again, then one parameter per field in ascending key order),
// body and header, written at the end of `out`. What differs per command is
// the check, the parameter list and the command number: one entry each in the
// table of `Command` below.
#include "gpenc/Encoder.h"

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Wire.h"
#include "gp/EncoderParts.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

using gpenc::detail::Check;
using gpenc::detail::Logged;
using gpenc::detail::Op;
using gpenc::detail::ParamSource;
using gpenc::detail::Public;
using gpenc::detail::Refuse;

namespace {

constexpr Op Operation(const char* name) { return gpenc::detail::EncoderOp(name); }

using P = ParamSource;
using ParamList = std::initializer_list<ParamSource>;

// The platform commands as data: per input record the name of the builder's
// parameter (for the reason of a refusal), its check, its parameters in
// ascending key order (handed to `emit` as one list) and its command number.
// A builder and its parameter step run the same check, so a record that
// reaches the step passes it there too.
template <class Record>
struct Command;

template <class Record, int kNumber>
struct TextPair {
    static constexpr int number = kNumber;
    static bool Valid(const Record& r, Check& c) { return c.NotEmpty(r.text0, "text0").NotEmpty(r.text1, "text1"); }
    template <class Emit>
    static bool Params(const Record& r, Emit emit) {
        return emit({P::Text(0, r.text0), P::Text(1, r.text1)});
    }
};
template <>
struct Command<sSoundSowing> : TextPair<sSoundSowing, wire::kSoundSowing> {
    static constexpr const char* name = "sowing";
    static constexpr Op step = Operation("CEncoder::SetSoundSowingParameterData");
};
template <>
struct Command<sSimSetInterval> : TextPair<sSimSetInterval, wire::kSimSet> {
    static constexpr const char* name = "simSet";
    static constexpr Op step = Operation("CEncoder::SetSimSetParameterData");
};
template <>
struct Command<sBlackoutInterval> : TextPair<sBlackoutInterval, wire::kBlackout> {
    static constexpr const char* name = "blackout";
    static constexpr Op step = Operation("CEncoder::SetBlackoutParameterData");
};

template <>
struct Command<sCommitInterval> {
    static constexpr const char* name = "interval";
    static constexpr Op step = Operation("CEncoder::SetCommitParameterData");
    static constexpr int number = wire::kCommitInterval;
    static bool Valid(const sCommitInterval& r, Check& c) {
        return c.NotZero(r.byte0, "byte0")
            .NotEmpty(r.text1, "text1")
            .NotEmpty(r.text2, "text2")
            .NotEmpty(r.text3, "text3")
            .NotEmpty(r.text4, "text4")
            .NotEmpty(r.text5, "text5")
            .NotEmpty(r.text6, "text6");
    }
    template <class Emit>
    static bool Params(const sCommitInterval& r, Emit emit) {
        return emit({P::Byte(0, r.byte0), P::Text(1, r.text1), P::Text(2, r.text2), P::Text(3, r.text3),
                     P::Text(4, r.text4), P::Text(5, r.text5), P::Text(6, r.text6)});
    }
};

template <>
struct Command<sListening> {
    static constexpr const char* name = "listening";
    static constexpr Op step = Operation("CEncoder::SetListeningParameterData");
    static constexpr int number = wire::kListening;
    static bool Valid(const sListening& r, Check& c) { return c.NotEmpty(r.text2, "text2").NotEmpty(r.text0, "text0"); }
    template <class Emit>
    static bool Params(const sListening& r, Emit emit) {
        return emit({P::Text(0, r.text0), P::Byte(1, r.byte1), P::Text(2, r.text2)});
    }
};

template <>
struct Command<sVideo> {
    static constexpr const char* name = "video";
    static constexpr Op step = Operation("CEncoder::SetVideoParameterData");
    static constexpr int number = wire::kVideo;
    static bool Valid(const sVideo& r, Check& c) {
        return c.NotEmpty(r.text4, "text4")
            .NotEmpty(r.text0, "text0")
            .NotEmpty(r.text2, "text2")
            .NotZero(r.int3, "int3");
    }
    template <class Emit>
    static bool Params(const sVideo& r, Emit emit) {
        return emit(
            {P::Text(0, r.text0), P::Byte(1, r.byte1), P::Text(2, r.text2), P::Int32(3, r.int3), P::Text(4, r.text4)});
    }
};

template <>
struct Command<sAlarmHandle> {
    static constexpr const char* name = "alarm";
    // The platform's log readers know this step by the misspelt tag; only the
    // exception record and the exit after it use the method's own name.
    // Q14: the misspelt tag is the one log readers search for (docs/compat.md).
    static constexpr Op step =
        Operation("CEncoder::SetaAlarmHandleParameterData").WithGuardName("CEncoder::SetAlarmHandleParameterData");
    static constexpr int number = wire::kAlarmHandle;
    static bool Valid(const sAlarmHandle& r, Check& c) {
        return c.NotEmpty(r.text0, "text0")
            .NotEmpty(r.text1, "text1")
            .Within(0, 9, r.byte2, "byte2")
            .NotEmpty(r.text3, "text3");
    }
    template <class Emit>
    static bool Params(const sAlarmHandle& r, Emit emit) {
        // Q15: the code goes out as its own byte, as the platform reads it (docs/compat.md).
        const std::string code(1, static_cast<char>(r.byte2));  // the raw byte, 0 included
        return emit({P::Text(0, r.text0), P::Text(1, r.text1), P::Text(2, code), P::Text(3, r.text3)});
    }
};

template <>
struct Command<sTimeInterval> {
    static constexpr const char* name = "interval";
    static constexpr Op step = Operation("CEncoder::SetTimeIntervalParameterData");
    static constexpr int number = wire::kTimeInterval;
    static bool Valid(const sTimeInterval& r, Check& c) { return c.NotEmpty(r.text0, "text0").NotZero(r.int1, "int1"); }
    template <class Emit>
    static bool Params(const sTimeInterval& r, Emit emit) {
        return emit({P::Text(0, r.text0), P::Int32(1, r.int1)});
    }
};

bool NotAllZero(const unsigned char (&time)[6]) {
    return std::any_of(std::begin(time), std::end(time), [](unsigned char b) { return b != 0; });
}

template <>
struct Command<sTrackPlayback> {
    static constexpr const char* name = "playback";
    static constexpr Op step = Operation("CEncoder::SetTrackPlaybackParameterData");
    static constexpr int number = wire::kTrackPlayback;
    static bool Valid(const sTrackPlayback& r, Check& c) {
        return c.NotEmpty(r.terminalNo, "terminalNo")
            .That(NotAllZero(r.byStartTime), "byStartTime", "must not be all zero")
            .That(NotAllZero(r.byEndTime), "byEndTime", "must not be all zero");
    }
    template <class Emit>
    static bool Params(const sTrackPlayback& r, Emit emit) {
        return emit({P::Text(0, r.terminalNo), P::SixBytes(1, r.byStartTime), P::SixBytes(2, r.byEndTime)});
    }
};

// The preset's names are a list of their own; its parameter step is below.
// A count of 0 passes here and is refused by the parameter encoding, after
// keys 0 and 1 went out. A count beyond the names is refused before anything.
template <>
struct Command<sPreset> {
    static constexpr const char* name = "preset";
    static constexpr Op step = Operation("CEncoder::SetPresetParameterData");
    static constexpr int number = wire::kPreset;
    static bool Valid(const sPreset& r, Check& c) {
        const std::size_t names = r.names2.size();
        return c.NotEmpty(r.text0, "text0")
            .That(r.count1 != -1, "count1", "must not be -1")
            // D18: a count beyond the names is refused; the step would read past them (docs/compat.md).
            .That(r.count1 <= 0 || static_cast<std::size_t>(r.count1) <= names, "count1", [&] {
                return "must be at most names2.size() " + std::to_string(names) + ", got " + std::to_string(r.count1);
            });
    }
};

template <class Record>
bool Valid(const Record* r) {
    Check c(Command<Record>::name);
    return c.NotNull(r) && Command<Record>::Valid(*r, c);
}

// The parameter step of the commands above, logging under the command's step:
// the check again, then the command's parameters.
template <class Log, class Record>
bool Append(Log& log, CEncoder& e, Record* record) {
    return EncoderSteps::ParameterStep(log, Command<Record>::step, Valid(record), [&] {
        return Command<Record>::Params(*record, [&](ParamList params) {
            return EncoderSteps::AppendParameters(log, e, params.begin(), params.size());
        });
    });
}

// The preset's parameter step: its text, its count and its names.
template <class Log>
bool Append(Log& log, CEncoder& e, sPreset* preset) {
    return EncoderSteps::ParameterStep(log, Command<sPreset>::step, Valid(preset), [&] {
        static const std::string kNoName;
        // A preset without names sends one empty name, which the encoding
        // refuses: the step fails after keys 0 and 1.
        // Q16: count 0 sends one empty name, refused after keys 0 and 1; a negative count sends none (docs/compat.md).
        const int names = preset->count1 == 0 ? 1 : (std::max)(preset->count1, 0);
        std::vector<ParamSource> params(2 + static_cast<std::size_t>(names));
        params[0] = ParamSource::Text(0, preset->text0);
        params[1] = ParamSource::Int32(1, preset->count1);
        for (int i = 0; i < names; ++i) {
            params[2 + static_cast<std::size_t>(i)] =
                preset->count1 == 0
                    ? ParamSource::Text(2, kNoName).From("preset.count1", -1, "must not be 0")
                    : ParamSource::Text(2, preset->names2[static_cast<std::size_t>(i)]).From("preset.names2", i);
        }
        return EncoderSteps::AppendParameters(log, e, params.data(), params.size());
    });
}

// The one builder path of the commands above: the check, the parameter step,
// the frame of the command's number.
template <class Record>
[[nodiscard]] bool Send(CEncoder& e, const char* name, Record* record, std::vector<unsigned char>& out) {
    const Op op = Operation(name);
    return Public(op, [&] {
        const bool valid = Valid(record);
        return Logged([&](auto& log) {
            return EncoderSteps::SendFrame(
                log, e, op, valid, Command<Record>::number, [&](auto& l) { return Append(l, e, record); }, out);
        });
    });
}

// A command's parameter step as the exported step.
template <class Record>
bool Step(CEncoder& e, Record* record) {
    return Logged([&](auto& log) { return Append(log, e, record); });
}

// A parameter step `step` of parameters from a builder's arguments rather
// than a record, `valid` its check (the builder's own).
template <class Log>
bool Append(Log& log, CEncoder& e, const Op& step, bool valid, ParamList params) {
    return EncoderSteps::ParameterStep(
        log, step, valid, [&] { return EncoderSteps::AppendParameters(log, e, params.begin(), params.size()); });
}

bool Step(CEncoder& e, const Op& step, bool valid, ParamList params) {
    return Logged([&](auto& log) { return Append(log, e, step, valid, params); });
}

// The builder of such a step, sending command `number` in the frame of `op`.
[[nodiscard]] bool Send(CEncoder& e, const Op& op, bool valid, int number, const Op& step, ParamList params,
                        std::vector<unsigned char>& out) {
    return Logged([&](auto& log) {
        return EncoderSteps::SendFrame(
            log, e, op, valid, number, [&](auto& l) { return Append(l, e, step, valid, params); }, out);
    });
}

// `word` followed by `args` joined by ";", empty texts included: the argument
// of terminal control words 1 and 2.
template <std::size_t N>
std::string JoinArgs(std::string_view word, const std::array<std::string, N>& args) {
    std::size_t size = word.size() + N - 1;
    for (const std::string& arg : args) size += arg.size();
    std::string text;
    text.reserve(size);  // one allocation: Cmd_EquipControl word 2, 276 instructions less
    text = word;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) text += ';';
        text += args[i];
    }
    return text;
}

// The argument of a terminal control request; empty (and so refused by the
// parameter step) for a command word outside 1 to 7, whose reason it gives.
std::string ControlText(const sEquipControl& control) {
    switch (control.nCommand) {
    case 1: return JoinArgs("1,", control.strUpgradeArgs);
    case 2:
        // Connection control 1 switches back to the default server; in JT/T 808
        // no further fields follow it.
        // D23: sent as "2,1" rather than failing the request (docs/compat.md).
        if (control.strConnectArgs[0] == "1") return "2,1";
        return JoinArgs("2,", control.strConnectArgs);
    default:
        // Words 3 to 7 take no parameters.
        if (control.nCommand >= 3 && control.nCommand <= 7) return std::to_string(control.nCommand);
        Refuse("control.nCommand", gpenc::detail::Range(1, 7, control.nCommand));
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
// Interval and setting commands: each builder and each parameter step logs
// under its own name and forwards to the path above.
// ---------------------------------------------------------------------------

GPENC_FLATTEN bool CEncoder::Cmd_sCommitInterval(sCommitInterval* interval, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sCommitInterval", interval, out);
}
bool CEncoder::SetCommitParameterData(sCommitInterval* interval) { return Step(*this, interval); }

GPENC_FLATTEN bool CEncoder::Cmd_SoundSowing(sSoundSowing* sowing, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_SoundSowing", sowing, out);
}
bool CEncoder::SetSoundSowingParameterData(sSoundSowing* sowing) { return Step(*this, sowing); }

GPENC_FLATTEN bool CEncoder::Cmd_sListening(sListening* listening, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sListening", listening, out);
}
bool CEncoder::SetListeningParameterData(sListening* listening) { return Step(*this, listening); }

GPENC_FLATTEN bool CEncoder::Cmd_sSimSet(sSimSetInterval* simSet, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sSimSet", simSet, out);
}
bool CEncoder::SetSimSetParameterData(sSimSetInterval* simSet) { return Step(*this, simSet); }

GPENC_FLATTEN bool CEncoder::Cmd_sBlackout(sBlackoutInterval* blackout, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sBlackout", blackout, out);
}
bool CEncoder::SetBlackoutParameterData(sBlackoutInterval* blackout) { return Step(*this, blackout); }

GPENC_FLATTEN bool CEncoder::Cmd_sVideo(sVideo* video, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sVideo", video, out);
}
bool CEncoder::SetVideoParameterData(sVideo* video) { return Step(*this, video); }

GPENC_FLATTEN bool CEncoder::Cmd_AlarmHandle(sAlarmHandle* alarm, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_AlarmHandle", alarm, out);
}
bool CEncoder::SetAlarmHandleParameterData(sAlarmHandle* alarm) { return Step(*this, alarm); }

GPENC_FLATTEN bool CEncoder::Cmd_sTimeInterval(sTimeInterval* interval, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sTimeInterval", interval, out);
}
bool CEncoder::SetTimeIntervalParameterData(sTimeInterval* interval) { return Step(*this, interval); }

GPENC_FLATTEN bool CEncoder::TrackPlayback(sTrackPlayback* playback, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::TrackPlayback", playback, out);
}
bool CEncoder::SetTrackPlaybackParameterData(sTrackPlayback* playback) { return Step(*this, playback); }

GPENC_FLATTEN bool CEncoder::Cmd_sPreset(sPreset* preset, std::vector<unsigned char>& out) {
    return Send(*this, "CEncoder::Cmd_sPreset", preset, out);
}
bool CEncoder::SetPresetParameterData(sPreset* preset) { return Step(*this, preset); }

// ---------------------------------------------------------------------------
// Equipment requests
// ---------------------------------------------------------------------------

// Q19: the one parameter step, and name, of all five equipment requests (docs/compat.md).
constexpr Op kQueryStep = Operation("CEncoder::SetEquipSetQueryParameterData");

template <class Request, class Compose>
bool EncoderSteps::SendEquipRequest(CEncoder& e, const Op& op, const char* name, Request* request, int msgId,
                                    Compose compose, Bytes& out) {
    sEquipsetQuery query;
    Check check(name);
    // D26: a null record is refused, not read (docs/compat.md).
    const bool valid = check.NotNull(request) && check.NotEmpty(request->terminalNo, "terminalNo");
    return Logged([&](auto& log) {
        return SendFrame(
            log, e, op, valid, wire::kTunnel,
            [&](auto& l) {
                // Q20: the pair of 808 data records as log readers know them, the end before the text (docs/compat.md).
                if (!l.Debug({gpenc::detail::texts::kBuild808Begin})) return false;
                query.terminalNo = request->terminalNo;
                query.msgId = msgId;
                if (!l.Debug({gpenc::detail::texts::kBuild808End})) return false;
                query.strMsgText = compose(*request);
                // The record is the request's own: a command word outside 1 to 7 (an empty
                // argument) has given its reason as the caller's field already.
                return SetTunnelParameterData(l, e, kQueryStep, "query", &query, &sEquipsetQuery::strMsgText,
                                              "strMsgText");
            },
            out);
    });
}

GPENC_FLATTEN bool CEncoder::Cmd_EquipSetQuery(sEquipsetQuery* query, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_EquipSetQuery");
    // Only the terminal number is taken from the caller's record.
    // Q18: the caller's msgId and strMsgText are not read (docs/compat.md).
    return Public(op, [&] {
        return EncoderSteps::SendEquipRequest(*this, op, "query", query, wire::jt808::kParmQuery, Fixed("0"), out);
    });
}

GPENC_FLATTEN bool CEncoder::Cmd_EquipPositionInfoQuery(sEquipPositionInfoQuery* query,
                                                        std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_EquipPositionInfoQuery");
    return Public(op, [&] {
        return EncoderSteps::SendEquipRequest(*this, op, "query", query, wire::jt808::kPositionQuery, Fixed("0"), out);
    });
}

GPENC_FLATTEN bool CEncoder::Cmd_AffirmAlarmInform(sAffirmAlarmInform* inform, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_AffirmAlarmInform");
    return Public(op, [&] {
        return EncoderSteps::SendEquipRequest(*this, op, "inform", inform, wire::jt808::kAffirmAlarm, Fixed("1"), out);
    });
}

GPENC_FLATTEN bool CEncoder::Cmd_EquipTempPositionTrack(sEquipTempPositionTrack* track,
                                                        std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Cmd_EquipTempPositionTrack");
    return Public(op, [&] {
        return EncoderSteps::SendEquipRequest(*this, op, "track", track, wire::jt808::kTempTrack, TrackingText, out);
    });
}

GPENC_FLATTEN bool CEncoder::Cmd_EquipControl(sEquipControl* control, std::vector<unsigned char>& out) {
    // Terminal control logs under the tag its log readers know it by.
    // Q19: logs as usEquipControlData, the tag log searches use (docs/compat.md).
    static constexpr Op op = Operation("CEncoder::usEquipControlData");
    return Public("CEncoder::Cmd_EquipControl", [&] {
        return EncoderSteps::SendEquipRequest(*this, op, "control", control, wire::jt808::kTerminalControl, ControlText,
                                              out);
    });
}

bool CEncoder::SetEquipSetQueryParameterData(sEquipsetQuery* query) {
    return Logged([&](auto& log) {
        return EncoderSteps::SetTunnelParameterData(log, *this, kQueryStep, "query", query, &sEquipsetQuery::strMsgText,
                                                    "strMsgText");
    });
}

// ---------------------------------------------------------------------------
// Subscription, realtime, photograph
// ---------------------------------------------------------------------------

constexpr Op kSubscriptionStep = Operation("CEncoder::SetSubscriptionParameterData");

// SetSubscriptionParameterData with a text: the number is the builder's to check.
template <class Log>
bool SubscriptionParameters(Log& log, CEncoder& e, int number, const std::string& text) {
    return EncoderSteps::ParameterStep(log, kSubscriptionStep, Check().NotEmpty(text, "text"), [&] {
        const ParamSource params[] = {ParamSource::Int32(0, number), ParamSource::Text(1, text)};
        // Q17: the text goes out even when the reset before it reports failure (docs/compat.md).
        return EncoderSteps::AppendParameters(log, e, params, std::size(params), EncoderSteps::kResetsUnchecked);
    });
}

GPENC_FLATTEN bool CEncoder::Subscription(int number, std::string text, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Subscription");
    // The text is left to the parameter step to check.
    return Public(op, [&] {
        const bool valid = Check().NotZero(number, "number");
        return Logged([&](auto& log) {
            return EncoderSteps::SendFrame(
                log, *this, op, valid, wire::kSubscription,
                [&](auto& l) { return SubscriptionParameters(l, *this, number, text); }, out);
        });
    });
}

bool CEncoder::SetSubscriptionParameterData(int number, std::string text) {
    return Logged([&](auto& log) { return SubscriptionParameters(log, *this, number, text); });
}

GPENC_FLATTEN bool CEncoder::Subscription(int number, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Subscription");
    return Public(op, [&] {
        const bool valid = Check().NotZero(number, "number");
        return Send(*this, op, valid, wire::kSubscription, kSubscriptionStep, {P::Int32(0, number)}, out);
    });
}

bool CEncoder::SetSubscriptionParameterData(int number) {
    return Step(*this, kSubscriptionStep, Check().NotZero(number, "number"), {P::Int32(0, number)});
}

constexpr Op kRealtimeStep = Operation("CEncoder::SetRealtimeParameterData");

GPENC_FLATTEN bool CEncoder::Realtime(std::string terminalNo, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Realtime");
    return Public(op, [&] {
        const bool valid = Check().NotEmpty(terminalNo, "terminalNo");
        return Send(*this, op, valid, wire::kRealtime, kRealtimeStep, {P::Text(0, terminalNo)}, out);
    });
}

bool CEncoder::SetRealtimeParameterData(std::string terminalNo) {
    return Step(*this, kRealtimeStep, Check().NotEmpty(terminalNo, "terminalNo"), {P::Text(0, terminalNo)});
}

constexpr Op kPhotographStep = Operation("CEncoder::SetPhotographParameterData");

GPENC_FLATTEN bool CEncoder::Photograph(std::string terminalNo, unsigned char byPhotoParam,
                                        std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::Photograph");
    return Public(op, [&] {
        const bool valid = Check().NotEmpty(terminalNo, "terminalNo");
        return Send(*this, op, valid, wire::kPhotograph, kPhotographStep,
                    {P::Text(0, terminalNo), P::Byte(1, byPhotoParam)}, out);
    });
}

bool CEncoder::SetPhotographParameterData(std::string terminalNo, unsigned char byPhotoParam) {
    return Step(*this, kPhotographStep, Check().NotEmpty(terminalNo, "terminalNo"),
                {P::Text(0, terminalNo), P::Byte(1, byPhotoParam)});
}
