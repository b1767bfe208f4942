// CEncoder: the 808-tunnelled settings. CEncoder_Standard builds the JT/T 808
// message (as lower-case hexadecimal text) or the setting text, and a
// command-0x33 frame carries it beside the terminal number and message id.
#include "gpenc/Encoder.h"

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "gp/EncoderParts.h"
#include "jt808/StandardParts.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

using gpenc::detail::Bytes;
using gpenc::detail::Check;
using gpenc::detail::Op;
using gpenc::detail::Refuse;
using gpenc::detail::Renamed;
using gpenc::detail::standard::HeadOfCall;
using gpenc::detail::standard::HeadScope;
using gpenc::detail::standard::Is2019;
using gpenc::detail::standard::Value;

namespace {

constexpr Op Operation(const char* name) { return gpenc::detail::EncoderOp(name); }

// Whether a 0x8103 message sets any parameter. The encoder leaves out an entry
// whose value it cannot encode (an empty or over-long text, an unknown id), so a
// setting made only of such entries would reach the terminal as one that sets
// nothing, and be reported as sent.
// D20: such a setting is refused with texts::kNot808Encoded (docs/compat.md).
bool SetsAnyParameter(const Bytes& msg) {
    // The count is the body's first byte, after the head of the call's edition.
    const std::size_t count = gpenc::detail::standard::HeadSize(HeadOfCall()) + wire::jt808::kParmCountAt;
    return msg.size() > count && msg[count] != 0;
}

// The terminal's JT/T 808 phone number: the last 12 characters of its number,
// or all of a shorter one (the message head fills it with '0' on the left).
// Under the 2019 head all of it, which the head refuses beyond 20 digits.
std::string PhoneNumber(const std::string& terminalNo) {
    constexpr std::size_t kDigits = wire::jt808::kPhoneDigits;
    // D31: never cut under the 2019 head (docs/compat.md).
    if (Is2019(HeadOfCall())) return terminalNo;
    // Q43: the 2013 head keeps the last 12 characters of a longer number, as clients rely on (docs/compat.md).
    // D22: a shorter number is used whole, where taking 12 characters would throw (docs/compat.md).
    return terminalNo.size() > kDigits ? terminalNo.substr(terminalNo.size() - kDigits) : terminalNo;
}

// Reads `text` as atoi does: leading white space, an optional sign, then the
// digits up to the first other character; 0 when there are none. Unlike atoi
// it is defined for every text: a number outside -2147483648 to 4294967295
// gives false, and a negative one its 32-bit two's complement.
// Q26: the atoi reading clients rely on: "abc" gives 0, "12abc" 12 (docs/compat.md).
[[nodiscard]] bool ReadNumber(const std::string& text, std::uint32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;  // isspace, "C" locale
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Growth stops just past the largest accepted magnitude, so any run of
    // digits fits.
    constexpr std::uint64_t kTooLarge = 0x100000000;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = (std::min)(kTooLarge, magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0'));
    // D19: a number outside the 32 bits is refused, where atoi is undefined (docs/compat.md).
    if (magnitude > (negative ? 0x80000000u : 0xFFFFFFFFu)) return false;
    value = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

// Whether a number read by ReadNumber fits a field of `bytes` bytes, a
// negative one as its two's complement there: the encoder keeps only the low
// bytes, so 70000 in a WORD would reach the terminal as 4464.
// D19: a WORD or BYTE value that does not fit is refused, not cut (docs/compat.md).
bool FitsField(std::uint32_t value, int bytes) {
    const std::uint32_t top = 0xFFFFFFFFu >> (8 * (4 - bytes));  // 0xFFFF for a WORD
    const std::uint32_t lowest = ~(top >> 1);                    // -32768 for a WORD
    return value <= top || value >= lowest;
}

// Reads `text` into `value` for a field of `bytes` bytes; false, with the
// reason under `check`, for a number out of the field's range.
[[nodiscard]] bool ReadValue(const std::string& text, std::uint32_t& value, int bytes, Check& check) {
    const bool ok = ReadNumber(text, value) && (bytes == 4 || FitsField(value, bytes));
    return check.That(ok, "strValue", [&] {
        const long long top = 0xFFFFFFFFll >> (8 * (4 - bytes));
        return "must be " + std::to_string(-(top + 1) / 2) + " to " + std::to_string(top) + ", got " +
               gpenc::detail::Quote(text);
    });
}

// Reads the number of `record`, a setting of `type`, into `number` when the
// type is a number (WORD, BYTE or DWORD); false, with the reason under
// `check`, for a number out of its type's range.
[[nodiscard]] bool ReadSettingNumber(const sEquipset& record, EequipParmDataType type, std::uint32_t& number,
                                     Check& check) {
    switch (type) {
    case DATATYPE_WORD: return ReadValue(record.strValue, number, 2, check);
    case DATATYPE_BYTE: return ReadValue(record.strValue, number, 1, check);
    case DATATYPE_DWORD: return ReadValue(record.strValue, number, 4, check);
    default: return true;
    }
}

// Puts the value of `record` into the member of `entry` that the entry's data
// type selects; the other members keep what they hold. False for a number out
// of the range of its type, the reason given under `check`, the record's. A
// type that is none takes no value (the encoder leaves such an entry out).
[[nodiscard]] bool TakeValue(const sEquipset& record, EquipParmSet_EquipConfig& entry, Check& check) {
    switch (entry.eDataType) {
    case DATATYPE_STRING: entry.strValue = record.strValue; return true;
    case DATATYPE_BYTES: entry.vecValueBytes = record.vecValueBytes; return true;
    default: return ReadSettingNumber(record, entry.eDataType, entry.dwValue, check);
    }
}

// The value of list record `record` as an entry of `type`, its number as read
// from its text: the one way a Value is made of a record of CEncoder.
Value ValueOf(const sEquipset& record, EequipParmDataType type, std::uint32_t number) {
    return Value(type, static_cast<std::uint32_t>(record.eParmMark), number, record.strValue, &record.vecValueBytes);
}

// What a setting with nothing of the caller's record to hand back commits.
void NothingToCommit() {}

}  // namespace

template <class Log, class Produce, class Send, class Commit>
bool EncoderSteps::SendSetting(Log& log, CEncoder& e, const Op& op, bool valid, Produce&& produce, Send&& send,
                               Commit&& commit, Bytes& out) {
    gpenc::detail::Tail frame(out);
    Begin(e);
    auto step = log.Open(op);
    if (!step) return false;
    if (!valid) return log.Fail();
    // Q20: the pair of 808 data records as log readers know them (docs/compat.md).
    if (!log.Debug({gpenc::detail::texts::kBuild808Begin})) return false;
    // Lives to the end of the build, so its records close the build's.
    std::optional<CEncoder_Standard> standard;
    if (!log.Host(op, [&] { standard.emplace(); })) return false;
    // A fault this step takes finds it gone, its records written, as unwinding would.
    auto release = [&]() noexcept { standard.reset(); };
    log.OnUnwind(release);
    // A setting that cannot be made has written its own failure records.
    // Q23: none for an empty setting text (docs/compat.md).
    if (!produce(*standard)) return false;
    if (!log.Debug({gpenc::detail::texts::kBuild808End})) return false;
    if (!send() || !FinishFrame(log, e, wire::kTunnel, frame)) return log.Fail();
    // D1: the frame is kept, and the caller's record changes, only here, once nothing can fail (docs/compat.md).
    if (!log.Exit()) return false;
    frame.Keep();
    commit();
    return true;
}

namespace {

constexpr Op kEquipSetStep = Operation("CEncoder::SetEquipSetParameterData");
constexpr Op kICInfoSetStep = Operation("CEncoder::SetEquipSet_ICInfoSetParameterData");
constexpr Op kAlarmSetStep = Operation("CEncoder::SetEquipSetAlarmSetData");

// The parameter steps of the settings below.
template <class Log>
bool SendEquipSet(Log& log, CEncoder& e, sEquipset* equipSet) {
    return EncoderSteps::SetTunnelParameterData(log, e, kEquipSetStep, "equipSet", equipSet, &sEquipset::strMsgHex,
                                                "strMsgHex");
}
template <class Log>
bool SendICInfoSet(Log& log, CEncoder& e, sEquipControl_SetIC* setIC) {
    return EncoderSteps::SetTunnelParameterData(log, e, kICInfoSetStep, "setIC", setIC, &sEquipControl_SetIC::strMsgHex,
                                                "strMsgHex");
}
template <class Log>
bool SendAlarmSet(Log& log, CEncoder& e, sEquip_AlarmSet* alarmSet) {
    return EncoderSteps::SetTunnelParameterData(log, e, kAlarmSetStep, "alarmSet", alarmSet,
                                                &sEquip_AlarmSet::strMsgText, "strMsgText");
}

}  // namespace

// ---------------------------------------------------------------------------
// Terminal parameters (0x8103)
// ---------------------------------------------------------------------------

GPENC_FLATTEN bool CEncoder::EquipSet(sEquipset* equipSet, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::EquipSet");
    return gpenc::detail::Public(op, [&] {
        Check check("equipSet");
        const bool valid = check.NotNull(equipSet) && check.NotEmpty(equipSet->terminalNo, "terminalNo") &&
                           gpenc::detail::standard::CallHeadValid();
        // The build writes into a copy, which the caller's record takes on success.
        // D2: the caller's record is written only on success (docs/compat.md).
        sEquipset work = valid ? *equipSet : sEquipset();
        return gpenc::detail::Logged([&](auto& log) {
            auto produce = [&](CEncoder_Standard& standard) {
                work.strPhoneNo = PhoneNumber(work.terminalNo);
                const auto mark = static_cast<EequipParameterMark>(work.nSetParm);
                Bytes msg;
                if (mark == PARM_HEARTBEAT_INTERVAL || mark == PARM_MAIN_SERVER_ADDRESS) {
                    EquipParmSet_EquipConfig entry;
                    entry.strPhoneNo = work.strPhoneNo;
                    entry.eParmMark = mark;
                    entry.eDataType = mark == PARM_HEARTBEAT_INTERVAL ? DATATYPE_DWORD : DATATYPE_STRING;
                    if (!TakeValue(work, entry, check)) return log.Fail();
                    // The phone number of the head is that of the terminal number.
                    const Renamed phone(mark == PARM_HEARTBEAT_INTERVAL ? "config.strPhoneNo" : "list[0].strPhoneNo",
                                        "equipSet.terminalNo");
                    bool encoded = false;
                    if (!log.Host(op, [&] {
                            encoded = mark == PARM_HEARTBEAT_INTERVAL ? standard.ParmSet_GetHeadInterval(entry, msg)
                                                                      : standard.ParmSet_GetMainSericeIP({entry}, msg);
                        }))
                        return false;
                    if (!encoded) return log.Fail(gpenc::detail::texts::kNot808Encoded);
                    // Only a text is ever left out: the heartbeat always encodes.
                    if (!SetsAnyParameter(msg)) {
                        Refuse("equipSet.strValue", "sets no parameter: must be 1 to 255 bytes, got " +
                                                        std::to_string(work.strValue.size()));
                        return log.Fail(gpenc::detail::texts::kNot808Encoded);
                    }
                }
                // Any other parameter builds nothing, and a text the caller put in
                // `strMsgHex` goes out unchanged.
                // Q25: kept so: clients that fill `strMsgHex` themselves rely on it (docs/compat.md).
                // Q24: the hex text is appended to the caller's `strMsgHex`, and all of it is sent (docs/compat.md).
                VectorToHexChr(std::move(msg), work.strMsgHex);
                if (work.strMsgHex.empty())
                    Refuse("equipSet.strMsgHex",
                           "must not be empty: nSetParm " + std::to_string(work.nSetParm) + " builds no message");
                // Q23: no setting text: false without a failure or exit record (docs/compat.md).
                return !work.strMsgHex.empty();
            };
            auto commit = [&] {
                equipSet->strPhoneNo.swap(work.strPhoneNo);
                equipSet->strMsgHex.swap(work.strMsgHex);
            };
            // Q25: key 1 is the caller's own `msgId`, as it stands (docs/compat.md).
            return EncoderSteps::SendSetting(
                log, *this, op, valid, produce, [&] { return SendEquipSet(log, *this, &work); }, commit, out);
        });
    });
}

GPENC_FLATTEN bool CEncoder::EquipSet(std::vector<sEquipset> equipSets, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::EquipSet");
    return gpenc::detail::Public(op, [&] {
        const bool valid = Check("equipSets").NotEmpty(equipSets, "") &&
                           Check("equipSets", 0).NotEmpty(equipSets.front().terminalNo, "terminalNo") &&
                           gpenc::detail::standard::CallHeadValid() && gpenc::detail::standard::CallTypesValid();
        // The builder's own copy of the first record carries what is sent.
        sEquipset* sent = nullptr;
        return gpenc::detail::Logged([&](auto& log) {
            auto produce = [&](CEncoder_Standard& standard) {
                // Each record as the value of an entry, read where it is: its type
                // from the parameter table, its text, bytes or number.
                // The table of the call's edition: the 2019 one knows the ids it adds.
                // The parameters the call opts into or declares are typed too,
                // and a structured value must fit its layout.
                const bool with2019 = Is2019(HeadOfCall());
                const Jt808ParmTypes* types = gpenc::detail::standard::TypesOfCall();
                std::vector<Value> values(equipSets.size());
                for (std::size_t i = 0; i < equipSets.size(); ++i) {
                    const sEquipset& record = equipSets[i];
                    const EequipParmDataType type = StandardSteps::ParmType(record.eParmMark, with2019, types);
                    std::uint32_t number = 0;
                    Check check("equipSets", static_cast<int>(i));
                    if (!ReadSettingNumber(record, type, number, check)) return log.Fail();
                    values[i] = ValueOf(record, type, number);
                    if ((types != nullptr || StandardSteps::HasLayout(record.eParmMark)) &&
                        !StandardSteps::Fits(values[i], "equipSets", i))
                        return log.Fail();
                }
                Bytes msg;
                // The entries are the records, and the head's phone number the first terminal number.
                // Q27: the first record's terminal is the one addressed (docs/compat.md).
                const Renamed list("list", "equipSets"), phone("list[0].strPhoneNo", "equipSets[0].terminalNo");
                const std::string phoneNo = PhoneNumber(equipSets.front().terminalNo);
                const bool ready = Check("list", 0).NotEmpty(phoneNo, "strPhoneNo");
                if (!StandardSteps::ParmSetVector(
                        log, standard, ready, values.size(), [&](std::size_t i) { return values[i]; }, phoneNo, msg))
                    return log.Fail(gpenc::detail::texts::kNot808Encoded);
                if (!SetsAnyParameter(msg)) {
                    Refuse("equipSets", "sets no parameter: every entry has an unknown id or a value not encoded");
                    return log.Fail(gpenc::detail::texts::kNot808Encoded);
                }
                // Q27: only the first record's terminal number is sent (docs/compat.md).
                sent = &equipSets.front();
                sent->strMsgHex.clear();
                VectorToHexChr(std::move(msg), sent->strMsgHex);
                // Q23: no setting text, no further record (docs/compat.md).
                if (sent->strMsgHex.empty()) return false;
                sent->msgId = wire::jt808::kParmSet;
                return true;
            };
            return EncoderSteps::SendSetting(
                log, *this, op, valid, produce, [&] { return SendEquipSet(log, *this, sent); }, NothingToCommit, out);
        });
    });
}

bool CEncoder::SetEquipSetParameterData(sEquipset* equipSet) {
    return gpenc::detail::Logged([&](auto& log) { return SendEquipSet(log, *this, equipSet); });
}

// ---------------------------------------------------------------------------
// IC-card information (0x8900)
// ---------------------------------------------------------------------------

GPENC_FLATTEN bool CEncoder::EquipSet_ICInfoSet(sEquipControl_SetIC setIC, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::EquipSet_ICInfoSet");
    return gpenc::detail::Public(op, [&] {
        // The builder's own copy of the record carries what is sent: its terminal
        // number, the message id and the message's hex text, which starts empty.
        sEquipControl_SetIC& sent = setIC;
        const bool valid =
            Check("setIC").NotEmpty(setIC.terminalNo, "terminalNo") && gpenc::detail::standard::CallHeadValid();
        return gpenc::detail::Logged([&](auto& log) {
            auto produce = [&](CEncoder_Standard& standard) {
                Bytes msg;
                // The card is the builder's own copy, and not read again.
                // Q28: only 1 picks the standard layout; any other value, 0 included, the extension (docs/compat.md).
                const Renamed card("card", "setIC.stSetIC");
                bool encoded = false;
                if (!log.Host(op, [&] {
                        encoded = setIC.stSetIC.byStandard == 1
                                      ? standard.ParmSet_ICInfoSetStandard(std::move(setIC.stSetIC), msg)
                                      : standard.ParmSet_ICInfoSetExtension(std::move(setIC.stSetIC), msg);
                    }))
                    return false;
                if (!encoded) return log.Fail();
                sent.msgId = wire::jt808::kPassThrough;
                sent.strMsgHex.clear();
                VectorToHexChr(std::move(msg), sent.strMsgHex);
                // Q23: no setting text, no further record (docs/compat.md).
                return !sent.strMsgHex.empty();
            };
            return EncoderSteps::SendSetting(
                log, *this, op, valid, produce, [&] { return SendICInfoSet(log, *this, &sent); }, NothingToCommit, out);
        });
    });
}

// ---------------------------------------------------------------------------
// The same settings with the head the caller asks for: the forms above, run
// with `head` as the head of every message of the call.
// ---------------------------------------------------------------------------

bool CEncoder::EquipSet(sEquipset* equipSet, std::vector<unsigned char>& out, Jt808Head head) {
    return gpenc::detail::Public("CEncoder::EquipSet", [&] {
        const HeadScope scope(head);
        return EquipSet(equipSet, out);
    });
}

bool CEncoder::EquipSet(std::vector<sEquipset> equipSets, std::vector<unsigned char>& out, Jt808Head head) {
    return gpenc::detail::Public("CEncoder::EquipSet", [&] {
        const HeadScope scope(head);
        return EquipSet(std::move(equipSets), out);
    });
}

bool CEncoder::EquipSet(std::vector<sEquipset> equipSets, std::vector<unsigned char>& out, Jt808Head head,
                        Jt808ParmTypes types) {
    return gpenc::detail::Public("CEncoder::EquipSet", [&] {
        const HeadScope scope(head, &types);
        return EquipSet(std::move(equipSets), out);
    });
}

bool CEncoder::EquipSet_ICInfoSet(sEquipControl_SetIC setIC, std::vector<unsigned char>& out, Jt808Head head) {
    return gpenc::detail::Public("CEncoder::EquipSet_ICInfoSet", [&] {
        const HeadScope scope(head);
        return EquipSet_ICInfoSet(std::move(setIC), out);
    });
}

GPENC_FLATTEN bool CEncoder::SetEquipSet_ICInfoSetParameterData(sEquipControl_SetIC* setIC) {
    return gpenc::detail::Public(kICInfoSetStep, [&] {
        return gpenc::detail::Logged([&](auto& log) { return SendICInfoSet(log, *this, setIC); });
    });
}

// ---------------------------------------------------------------------------
// Circular-area alarm setting (0x8600)
// ---------------------------------------------------------------------------

GPENC_FLATTEN bool CEncoder::EquipAlarmSet(sEquip_AlarmSet* alarmSet, std::vector<unsigned char>& out) {
    // Logs under the equipment setting's tag, which its log readers know it by.
    // Q22: logs as EquipSet (docs/compat.md).
    static constexpr Op op = Operation("CEncoder::EquipSet");
    return gpenc::detail::Public("CEncoder::EquipAlarmSet", [&] {
        Check check("alarmSet");
        const bool valid = check.NotNull(alarmSet) && check.NotEmpty(alarmSet->terminalNo, "terminalNo");
        // The build writes into a copy, which the caller's record takes on success.
        // D2: the caller's record is written only on success (docs/compat.md).
        sEquip_AlarmSet work = valid ? *alarmSet : sEquip_AlarmSet();
        return gpenc::detail::Logged([&](auto& log) {
            auto produce = [&](CEncoder_Standard& standard) {
                work.strPhoneNo = PhoneNumber(work.terminalNo);
                MsgData_AlarmSet_Circular setting;
                setting.bySetAttr = work.bySetAttr;
                setting.byAreaCount = work.byAreaCount;
                setting.vecAreas = std::move(work.vecAreas);
                // Q24: the setting text is appended to the caller's `strMsgText`, and all of it is sent
                // (docs/compat.md). D7: a setting text cut short by a caught exception fails the build
                // (docs/compat.md).
                const Renamed areas("setting", "alarmSet");
                bool encoded = false;
                if (!log.Host(op, [&] {
                        encoded = standard.ParmSet_Get808AlarmSetData_Circular(std::move(setting), work.strMsgText);
                    }))
                    return false;
                if (!encoded) return log.Fail(gpenc::detail::texts::kNot808Encoded);
                // Q23: no setting text, no further record (docs/compat.md).
                if (work.strMsgText.empty()) return false;
                work.msgId = wire::jt808::kCircularArea;
                return true;
            };
            auto commit = [&] {
                alarmSet->strPhoneNo.swap(work.strPhoneNo);
                alarmSet->strMsgText.swap(work.strMsgText);
                alarmSet->msgId = work.msgId;
            };
            return EncoderSteps::SendSetting(
                log, *this, op, valid, produce, [&] { return SendAlarmSet(log, *this, &work); }, commit, out);
        });
    });
}

bool CEncoder::SetEquipSetAlarmSetData(sEquip_AlarmSet* alarmSet) {
    return gpenc::detail::Logged([&](auto& log) { return SendAlarmSet(log, *this, alarmSet); });
}
