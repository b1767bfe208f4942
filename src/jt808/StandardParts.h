// What the sources of CEncoder_Standard share: the file and texts their records
// carry, the value pages, and the steps every message runs through.
#pragma once

#include "gpenc/Encoder_Standard.h"

#include "core/Failure.h"
#include "core/Log.h"
#include "core/ParaStr.h"
#include "core/Shell.h"
#include "core/Wire.h"
#include "core/Writer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gpenc::detail::standard {

// Records of CEncoder_Standard name their file `.\Encoder_Standard.cpp`,
// whichever source of the class writes them.
// Q11: the form the host's log tools expect and filter on (docs/compat.md).
inline constexpr char kFile[] = ".\\Encoder_Standard.cpp";

// Operations logging in the common form: "(name)" texts::kEnter ... "(name)" texts::kExit.
constexpr Op Plain(const char* name) { return Op(kFile, name); }

// Operations logging under the full-width prefix "(name" texts::kFullWidthClose:
// texts::kEnter on entry, texts::kExitMarked on exit, and texts::kRunFailedMessage
// after the prefix for an exception.
// Q10: texts::kFullWidthClose and texts::kExitMarked are the texts log searches match (docs/compat.md).
constexpr Op Marked(const char* name) {
    return Op(kFile, name)
        .WithClose(texts::kFullWidthClose)
        .WithExitMark(texts::kExitMarked)
        .WithGuardClose(texts::kFullWidthClose);
}

// GetParaStr's records, also written by the value step that places a text's
// bytes itself.
// Q7: GetParaStr's records stand around every text value, though no builder calls it (docs/compat.md).
inline constexpr Op kGetParaStr = Plain("CEncoder_Standard::GetParaStr");

// A value to encode, as the value step reads it: its type and the members of
// the record it comes from, referred to where they are, so that an entry or
// page costs no copy of its text or bytes. Made one way for each kind of
// record, by the makers below (and, for the records of CEncoder, in Tunnel.cpp).
struct Value {
    EequipParmDataType type;
    std::uint32_t id;      // an entry's parameter id
    std::uint32_t number;  // a WORD or DWORD; a BYTE in its low byte
    std::string_view text;
    const std::vector<unsigned char>* bytes;

    // What a value of another type refers to. Made before any step runs, so
    // that a value costs no check of a static's initialisation.
    static const std::vector<unsigned char> kNoBytes;

    explicit Value(EequipParmDataType t = DATATYPE_NONE, std::uint32_t i = 0, std::uint32_t n = 0,
                   std::string_view s = {}, const std::vector<unsigned char>* b = &kNoBytes)
        : type(t), id(i), number(n), text(s), bytes(b) {}

    // A caller's entry or value page, its BYTE given apart: an entry's is the
    // low byte of its number, a page's its `byValue`.
    static Value Of(const MsgData_EquipParmSet_ParmListConfig& v, unsigned char byte) {
        return Value(v.eDataType, v.dwParmId, v.eDataType == DATATYPE_BYTE ? byte : v.dwValue, v.strValue,
                     &v.vecValueBytes);
    }
    // A staged entry: its bytes, whatever length it states.
    static Value Of(const MsgData_EquipParmSet_ParmList& e) {
        return Value(DATATYPE_BYTES, e.dwParmId, 0, {}, &e.vecParmValue);
    }
    // An entry of a 0x8103 list. With `stringAndDwordOnly` the other types
    // keep an empty value. In StandardParmSet.cpp.
    static Value Of(const EquipParmSet_EquipConfig& record, bool stringAndDwordOnly = false);
    // A page the builder makes itself; a text must outlive the page's step.
    static Value Byte(unsigned char b) { return Value(DATATYPE_BYTE, 0, b); }
    static Value Word(std::uint16_t w) { return Value(DATATYPE_WORD, 0, w); }
    static Value Text(std::string_view text) { return Value(DATATYPE_STRING, 0, 0, text); }
};

inline const std::vector<unsigned char> Value::kNoBytes;

// ---- The message head a call asked for (Jt808Head), kept in the open call's
// record: a builder given a head builds every message of its call with it,
// those of the CEncoder_Standard a CEncoder setting makes inside it too, and
// a call given none (or one opened inside a log record) writes the 2013 head.

inline bool Is2019(const Jt808Head& head) { return head.edition == wire::jt808::kEdition2019; }
inline std::size_t HeadSize(const Jt808Head& head) {
    return Is2019(head) ? wire::jt808::kHeadSize2019 : wire::jt808::kHeadSize;
}

// The head the open call was given; null when it was given none.
inline const Jt808Head* HeadGiven() {
    const Call* call = OpenCall();
    return call != nullptr ? call->jt808 : nullptr;
}

// The open call's head.
inline const Jt808Head& HeadOfCall() {
    static constexpr Jt808Head k2013{};
    const Jt808Head* given = HeadGiven();
    return given != nullptr ? *given : k2013;
}

// Whether `head` is one the builders write; the reason under "head" when not.
// D32: version 0 and an unknown edition are refused, not sent (docs/compat.md).
inline bool HeadValid(const Jt808Head& head) {
    return Check("head")
        .That(head.edition == wire::jt808::kEdition2013 || Is2019(head), "edition",
              [&] { return "must be 2013 or 2019, got " + std::to_string(head.edition); })
        .That(!Is2019(head) || head.version != 0, "version", "must be 1 to 255 under the 2019 head, got 0");
}

// Whether the open call's head is one the builders write: true at once for a
// call given none.
inline bool CallHeadValid() {
    const Jt808Head* given = HeadGiven();
    return given == nullptr || HeadValid(*given);
}

// The parameters the open call opts into or declares; null for none.
inline const Jt808ParmTypes* TypesOfCall() {
    const Call* call = OpenCall();
    return call != nullptr ? call->types : nullptr;
}

// Whether the open call's declarations can be used: true at once for a call
// given none. The reason under "types" when not. In StandardParmSet.cpp.
bool CallTypesValid();

// While it lives, the open call's messages take `head`, and its 0x8103 lists
// know `types` too (unless null); both must outlive it.
// D32: the head is the call's, restored when the call's scope ends (docs/compat.md).
class HeadScope {
public:
    explicit HeadScope(const Jt808Head& head, const Jt808ParmTypes* types = nullptr)
        : call_(OpenCall()),
          outer_(call_ != nullptr ? call_->jt808 : nullptr),
          outerTypes_(call_ != nullptr ? call_->types : nullptr) {
        if (call_ == nullptr) return;
        call_->jt808 = &head;
        if (types != nullptr) call_->types = types;
    }
    HeadScope(const HeadScope&) = delete;
    HeadScope& operator=(const HeadScope&) = delete;
    ~HeadScope() {
        if (call_ == nullptr) return;
        call_->jt808 = outer_;
        call_->types = outerTypes_;
    }

private:
    Call* call_;
    const Jt808Head* outer_;
    const Jt808ParmTypes* outerTypes_;
};

}  // namespace gpenc::detail::standard

// The steps of CEncoder_Standard that are the library's own rather than part
// of the exported class. Each reports what it does to `log` (a
// gpenc::detail::Shell, or Quiet with the logger off); the exported steps of
// the same names run them through gpenc::detail::Logged.
struct StandardSteps {
    using Op = gpenc::detail::Op;
    using Bytes = gpenc::detail::Bytes;
    using Writer = gpenc::detail::Writer;
    using Value = gpenc::detail::standard::Value;

    // Where a message builder's input is, for the reason of a refusal: the
    // builder's parameter and the phone number that the head takes.
    struct Input {
        const char* record;
        const char* phone;
    };

    // Writes the value bytes of `value` by its type, or takes back what it
    // wrote and gives false: with the rule the value broke in `rule` (a type
    // that is none, an empty text, more than 255 bytes), or with `rule` empty
    // when the text step caught a framework exception.
    template <class Log>
    static bool EncodeValue(Log& log, const Value& value, Writer& out, std::string& rule);

    // InitStandardMsgHead: the head, the message and the staged entries emptied.
    template <class Log>
    static bool Reset(Log& log, CEncoder_Standard& e) {
        static constexpr Op op = gpenc::detail::standard::Plain("CEncoder_Standard::InitStandardMsgHead");
        log.PreEnter(op);
        auto frame = log.Open(op);
        if (!frame) return false;
        e.m_stMsg.byStartFlag = 0;
        e.m_stMsg.byCheckCode = 0;
        e.m_stMsg.byEndFlag = 0;
        e.m_stMsg.stHead.wMsgId = 0;
        e.m_stMsg.stHead.wBodyProperty = 0;
        e.m_stMsg.stHead.strPhoneNo.clear();
        e.m_stMsg.stHead.wSerialNo = 0;
        Bytes().swap(e.m_stMsg.vecBody);
        // wMsgId stays: it is the last message id until the next head is set.
        // Q37: kept so, and the serial number starts again, so every message carries 1 (docs/compat.md).
        e.m_stMsgHead.wBodyProperty = 0;
        e.m_stMsgHead.wSerialNo = 0;
        e.m_stMsgHead.strPhoneNo.clear();
        e.m_byParmCount = 0;
        e.m_stCurParm.dwParmId = 0;
        e.m_stCurParm.byParmLen = 0;
        Bytes().swap(e.m_vecParmList);
        Bytes().swap(e.m_stCurParm.vecParmValue);
        return log.Exit();
    }

    // SetMsgData_StandardMsgHead: the head of message `msgId` to `phone`.
    template <class Log>
    static bool Head(Log& log, CEncoder_Standard& e, std::uint16_t msgId, std::string phone) {
        static constexpr Op op = gpenc::detail::standard::Marked("CEncoder_Standard::SetMsgData_StandardMsgHead");
        auto frame = log.Open(op);
        if (!frame) return false;
        // Q37: 1 for every message, the head having been reset before it (docs/compat.md).
        ++e.m_stMsgHead.wSerialNo;
        e.m_stMsgHead.wMsgId = msgId;
        e.m_stMsgHead.strPhoneNo = std::move(phone);
        // GetMsgData refuses what does not fit the ten length bits.
        e.m_stMsgHead.wBodyProperty = static_cast<std::uint16_t>(BodyLength(e, msgId));
        return log.Exit();
    }

    // SetOnceParameterData and SetOncePageData, which fail when their value is
    // refused or lost to a caught exception. An `optional` value that is
    // refused is logged and left out, and the step gives true without a
    // reason: false is then a value lost to a fault.
    template <class Log>
    static bool AppendEntry(Log& log, CEncoder_Standard& e, const Value& value, bool optional = false);
    template <class Log>
    static bool AppendPage(Log& log, CEncoder_Standard& e, const Value& value, bool optional = false);

    // The staging of the 0x8103 builders, in the frame of the step that
    // stages: refuses an empty list, then encodes the `count` entries
    // `valueAt(i)` gives into the parameter list (an entry that cannot be
    // encoded is logged and left out; one lost to a caught framework exception
    // fails the list with texts::kFullWidthRunFailed). Writes no exit record.
    template <class Log, class ValueAt>
    static bool StageEntries(Log& log, CEncoder_Standard& e, std::size_t count, ValueAt&& valueAt) {
        if (count == 0) {
            gpenc::detail::Refuse("list", "must not be empty");
            // Q34: this text at ERROR, as log searches match it (docs/compat.md).
            log.Error({gpenc::detail::texts::kFullWidthClose, gpenc::detail::texts::kBadArguments});
            return false;
        }
        // Room for every entry at once: its id and length and at least four bytes.
        std::size_t room = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Value v = valueAt(i);
            room += 5 + (std::max)({std::size_t{4}, v.text.size(), v.bytes->size()});
        }
        Writer(e.m_vecParmList).Room(room);
        // An entry refused for its value is left out; one lost to a fault fails
        // the list, which would otherwise go out with a hole.
        // Q36: a refused entry is logged and left out, and the message still goes (docs/compat.md).
        // D3: an entry lost to a caught exception fails the list (docs/compat.md).
        bool faulted = false;
        for (std::size_t i = 0; i < count && log.Live(); ++i) faulted |= !AppendEntry(log, e, valueAt(i), true);
        if (faulted) {
            log.Error({gpenc::detail::texts::kFullWidthRunFailed});
            return false;
        }
        return log.Live();
    }

    // ParmSet_Set808ParmInfo of the entries `valueAt` gives.
    template <class Log, class ValueAt>
    static bool Set808ParmInfo(Log& log, CEncoder_Standard& e, std::size_t count, ValueAt&& valueAt) {
        static constexpr Op op = gpenc::detail::standard::Marked("CEncoder_Standard::ParmSet_Set808ParmInfo");
        auto frame = log.Open(op);
        if (!frame) return false;
        const bool staged = StageEntries(log, e, count, valueAt);
        return log.Exit() && staged;
    }

    // ParmSet_Get808ParmSetVector of the entries `valueAt` gives, the head
    // taking `phone`, unless the caller's check of them failed (`ready`).
    // What EquipSet sends, from its own records without a list of entries.
    template <class Log, class ValueAt>
    static bool ParmSetVector(Log& log, CEncoder_Standard& e, bool ready, std::size_t count, ValueAt&& valueAt,
                              const std::string& phone, Bytes& msg) {
        // This builder shares the main-server builder's name in its records.
        // Q31: the name log searches use (docs/compat.md).
        static constexpr Op op = gpenc::detail::standard::Marked("CEncoder_Standard::ParmSet_GetMainSericeIP");
        return BuildMessage(
            log, e, op, ready, wire::jt808::kParmSet, {"list", "list[0].strPhoneNo"}, msg,
            [&] { return Set808ParmInfo(log, e, count, valueAt) && Head(log, e, wire::jt808::kParmSet, phone); },
            [](const Bytes&) { return true; });
    }

    // Empties the body and appends the IC-card pages both layouts share, up to
    // the card check byte; `dataLength` is the inner packet's length word.
    // False, with the body as it was, for a card date whose year is outside
    // 2000 to 2099 (its BCD byte holds only the years of that century); false
    // also when a page was lost to a caught framework exception. In StandardCard.cpp.
    template <class Log>
    static bool AppendCardPages(Log& log, CEncoder_Standard& e, const struct_EquipControl_SetIC& card,
                                std::uint16_t dataLength);

    // charTohex's reading of the two hexadecimal digits at `digits`, without
    // a text made for them.
    static bool HexPair(const char* digits, int& value);

    // ParmSet_SetICInfoSet_stringAdd0's fitting of `text` to `width` bytes.
    static void Fit(std::string& text, int width);

    // Xor: `check` set to the exclusive-or of data[first..last], read where
    // the data is, so the message builders check what they built without a copy.
    template <class Log>
    static bool Xor(Log& log, const Bytes& data, int first, int last, unsigned char& check) {
        static constexpr Op op = gpenc::detail::standard::Marked("CEncoder_Standard::Xor");
        auto frame = log.Open(op);
        if (!frame) return false;
        // D24: a negative first index is refused too (docs/compat.md).
        const std::size_t size = data.size();
        const bool valid =
            gpenc::detail::Check()
                .That(first >= 0, "first", [&] { return "must not be negative, got " + std::to_string(first); })
                .That(first < last, "last",
                      [&] { return "must be above first " + std::to_string(first) + ", got " + std::to_string(last); })
                .That(static_cast<std::size_t>(last) < size, "last", [&] {
                    return "must be below data.size() " + std::to_string(size) + ", got " + std::to_string(last);
                });
        if (!valid) {
            // Q34: the refusal is logged at DEBUG; the builder's result reports it (docs/compat.md).
            if (log.Debug({gpenc::detail::texts::kFullWidthClose, gpenc::detail::texts::kCheckFailed})) log.Exit();
            return false;
        }
        unsigned char x = 0;
        // D24: every byte by exclusive-or, the last one too: a check the terminal can verify (docs/compat.md).
        for (int i = first; i <= last; ++i) x ^= data[static_cast<std::size_t>(i)];
        // D1: `check` changes only on success (docs/compat.md).
        if (!log.Exit()) return false;
        check = x;
        return true;
    }

    // ParmSet_SetICInfoSetStandard and ParmSet_SetICInfoSetExtension, reading
    // the caller's card where it is. In StandardCard.cpp.
    template <class Log>
    static bool SetStandardCard(Log& log, CEncoder_Standard& e, const struct_EquipControl_SetIC& card);
    template <class Log>
    static bool SetExtensionCard(Log& log, CEncoder_Standard& e, const struct_EquipControl_SetIC& card);

    // The value type of parameter `id` in the table of the 2013 edition, or
    // with `with2019` in that of the 2019 edition, and then among `types`
    // (unless null). In StandardParmSet.cpp.
    static EequipParmDataType ParmType(std::uint32_t id, bool with2019, const Jt808ParmTypes* types = nullptr);

    // Whether `value`, entry `index` of the open call's 0x8103 list
    // `record`, fits the layout of its parameter (JT/T 1078's structured
    // ones, the active-safety ones opted into) or the length it was declared
    // with; the reason under the entry's path when not. Only an entry of a
    // call given its own types, or one of JT/T 1078's ids (HasLayout), needs
    // the look. In StandardParmSet.cpp.
    static bool Fits(const Value& value, const char* record, std::size_t index);
    static constexpr bool HasLayout(std::uint32_t id) { return id - 0x0075u <= 0x007Cu - 0x0075u; }

    // The number of body bytes GetMsgData appends for `msgId`.
    static std::size_t BodyLength(const CEncoder_Standard& e, std::uint32_t msgId) {
        switch (msgId) {
        case wire::jt808::kParmSet: return 1 + e.m_vecParmList.size();
        case wire::jt808::kPassThrough: return e.m_stCurParm.vecParmValue.size();
        default: return 0;
        }
    }

    // The frame of every message builder, in the frame of `op`: unless
    // `ready`, logs texts::kSetInfoFailed and stops; resets, runs `stage`,
    // serialises message `msgId` aside and runs `finish` on it, logging
    // texts::kSetInfoFailed or texts::kGetInfoFailed for the first two steps
    // when they fail; on success puts the message in `msg` and resets again.
    // A body or phone number that GetMsgData refuses is named as part of `input`.
    template <class Log, class Stage, class Finish>
    static bool BuildMessage(Log& log, CEncoder_Standard& e, const Op& op, bool ready, std::uint16_t msgId, Input input,
                             Bytes& msg, Stage&& stage, Finish&& finish) {
        using gpenc::detail::standard::kFile;
        auto frame = log.Open(op);
        if (!frame) return false;
        const gpenc::detail::Renamed body("body", input.record), phone("head.strPhoneNo", input.phone);
        // Built aside, so that a refused message leaves no partial bytes
        // in the caller's vector.
        // D1: `msg` takes the message only on success, after the exit record (docs/compat.md).
        Bytes built;
        // A reset that a caught fault cut short could send an earlier
        // message's entries along.
        // D4: so a reset cut short fails the build (docs/compat.md).
        // Q34: the builders' own failure texts stand alone, as log searches match them (docs/compat.md).
        if (!ready || !Reset(log, e) || !stage()) {
            if (log.Alone(kFile, gpenc::detail::texts::kSetInfoFailed)) log.Exit();
            return false;
        }
        if (!e.GetMsgData(msgId, built)) {
            if (log.Alone(kFile, gpenc::detail::texts::kGetInfoFailed)) log.Exit();
            return false;
        }
        if (!finish(built)) {
            log.Exit();
            return false;
        }
        // Q33: the exit record comes before the closing reset, whose records follow it (docs/compat.md).
        if (!log.Exit()) return false;
        Reset(log, e);
        if (!log.Live()) return false;
        // The last step, after every record that could fail the build.
        msg.swap(built);
        return true;
    }
};

// The value step of the parameter entries and the card pages, inline so that
// the steps that call it compile it in.
template <class Log>
bool StandardSteps::EncodeValue(Log& log, const Value& value, Writer& out, std::string& rule) {
    const std::size_t start = out.At();
    const std::string_view text = value.text;
    bool encoded = true;
    switch (value.type) {
    case DATATYPE_STRING:
        if (text.empty()) {
            rule = "must not be empty";
            encoded = false;
            break;
        }
        // GetParaStr's step, with the bytes appended where they go instead of
        // through a copy of the text; for a text that is not empty it fails
        // only by a caught exception.
        // Q7: GetParaStr's records, without a call to it (docs/compat.md).
        encoded = gpenc::detail::ParaStr(log, gpenc::detail::standard::kGetParaStr, text, [&] { out.Raw(text); });
        // A fault the step did not take leaves what it wrote, as it leaves the steps around it.
        if (!log.Live()) return false;
        break;
    case DATATYPE_WORD: out.U16(value.number); break;
    case DATATYPE_DWORD: out.U32(value.number); break;
    case DATATYPE_BYTES: out.Raw(*value.bytes); break;
    case DATATYPE_BYTE: out.U8(static_cast<unsigned char>(value.number)); break;
    default:
        rule = "must be of type 1, 2, 3, 8 or 9, got " + std::to_string(value.type);
        encoded = false;
        break;
    }
    // The length travels in one byte.
    // D14: a longer value is refused rather than sent with a wrong length (docs/compat.md).
    if (encoded && out.At() - start > 255) {
        rule = "must be at most 255 bytes, got " + std::to_string(out.At() - start);
        encoded = false;
    }
    // A value not encoded takes back what it appended, the bytes of a text
    // step interrupted after the insert too.
    // D3: no partial value is left in an entry or the card body (docs/compat.md).
    if (!encoded) out.Back(start);
    return encoded;
}

template <class Log>
bool StandardSteps::AppendEntry(Log& log, CEncoder_Standard& e, const Value& value, bool optional) {
    static constexpr Op op = gpenc::detail::standard::Plain("CEncoder_Standard::SetOnceParameterData");
    auto frame = log.Open(op);
    if (!frame) return false;
    // The entry is encoded in place, at the end of the list: id, a length
    // byte set once the value is in, the value. What SetMsgData_EquipParmSet
    // does with a staged copy, without the copy.
    Writer list(e.m_vecParmList);
    const std::size_t at = list.At();
    list.U32(value.id);
    list.U8(0);
    std::string rule;
    if (!EncodeValue(log, value, list, rule)) {
        if (!log.Live()) return false;
        list.Back(at);
        // The failure records before the reason, so that a fault in them is the reason instead.
        log.Fail();
        if (!log.Live() || rule.empty()) return false;
        if (!optional) {
            char id[24];
            std::snprintf(id, sizeof id, "parameter 0x%04x", static_cast<unsigned int>(value.id));
            gpenc::detail::Refuse(id, rule);
        }
        return optional;
    }
    const auto length = static_cast<unsigned char>(list.At() - at - 5);
    list.Patch(at + 4, length);
    ++e.m_byParmCount;
    e.m_stCurParm.dwParmId = value.id;
    e.m_stCurParm.byParmLen = length;
    return log.Exit();
}

template <class Log>
bool StandardSteps::AppendPage(Log& log, CEncoder_Standard& e, const Value& value, bool optional) {
    // Pages log under the parameter step's name: they are its twin.
    // Q32: the name log searches use (docs/compat.md).
    static constexpr Op op = gpenc::detail::standard::Plain("CEncoder_Standard::SetOnceParameterData");
    auto frame = log.Open(op);
    if (!frame) return false;
    // Encoded straight onto the end of the body, which a refusal leaves as it was.
    Writer body(e.m_stCurParm.vecParmValue);
    const std::size_t before = body.At();
    std::string rule;
    if (!EncodeValue(log, value, body, rule)) {
        // The failure records before the reason, so that a fault in them is the reason instead.
        log.Fail();
        if (!log.Live() || rule.empty()) return false;
        if (!optional) gpenc::detail::Refuse("page", rule);
        return optional;
    }
    e.m_stCurParm.byParmLen = static_cast<unsigned char>(e.m_stCurParm.byParmLen + (body.At() - before));
    return log.Exit();
}
