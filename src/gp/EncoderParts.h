// What the sources of CEncoder share: the file their records name, the
// description of one parameter that the builders hand to AppendParameters, and
// the parameter step of the command-0x33 frames.
#pragma once

#include "gpenc/Encoder.h"

#include "Text.h"
#include "core/Failure.h"
#include "core/Log.h"
#include "core/ParaStr.h"
#include "core/Shell.h"
#include "core/Wire.h"
#include "core/Writer.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gpenc::detail {

// Records of CEncoder name their file `.\Encoder.cpp`, whichever source of the
// class writes them.
// Q11: the form the host's log tools expect and filter on (docs/compat.md).
inline constexpr char kEncoderFile[] = ".\\Encoder.cpp";

constexpr Op EncoderOp(const char* name) { return Op(kEncoderFile, name); }

// Turns the `n` bytes of a field at `bytes` from the host's order into the
// wire's, most significant first: around on a little-endian host, as they are
// on a big-endian one. The exported ChangeOrder's contract over the caller's
// bytes; the builders write the wire's order straight away.
inline void HostToWire(unsigned char* bytes, std::size_t n) {
    const std::uint16_t probe = 1;
    unsigned char low = 0;
    std::memcpy(&low, &probe, 1);
    if (low == 1) std::reverse(bytes, bytes + n);
}

}  // namespace gpenc::detail

namespace gpenc::detail {

// One parameter as a builder emits it: key, value kind and a view of the value.
// It refers to the builder's texts and bytes, which must outlive the append.
// A value refused by the parameter step names the caller's field it came from
// (`field`[`index`], and the rule it broke when not that of the step), or
// else its key.
struct ParamSource {
    int kind;
    unsigned int key;
    const std::string* text;
    int int32;
    unsigned char byte;
    const unsigned char* six;
    const char* field = nullptr;
    int index = -1;
    const char* rule = nullptr;

    static ParamSource Text(unsigned int key, const std::string& t) { return {wire::kText, key, &t, 0, 0, nullptr}; }
    static ParamSource Int32(unsigned int key, int v) { return {wire::kInt32, key, nullptr, v, 0, nullptr}; }
    static ParamSource Byte(unsigned int key, unsigned char b) { return {wire::kByte, key, nullptr, 0, b, nullptr}; }
    static ParamSource SixBytes(unsigned int key, const unsigned char (&b)[6]) {
        return {wire::kSixBytes, key, nullptr, 0, 0, b};
    }

    // Bytes of the value, and of the whole record, that the kind encodes (a
    // kind that is refused encodes none).
    std::size_t ValueSize() const { return kind == wire::kText ? text->size() : wire::FixedWidth(kind); }
    std::size_t RecordSize() const { return wire::kRecordHead + ValueSize(); }

    ParamSource From(const char* f, int i = -1, const char* r = nullptr) const {
        ParamSource p = *this;
        p.field = f;
        p.index = i;
        p.rule = r;
        return p;
    }
};

}  // namespace gpenc::detail

// The steps of CEncoder that are the library's own rather than part of the
// exported class: every builder runs through them. Each reports what it does
// to `log` (a gpenc::detail::Shell, or Quiet with the logger off); the
// exported steps of the same names run them through gpenc::detail::Logged.
struct EncoderSteps {
    using Op = gpenc::detail::Op;
    using ParamSource = gpenc::detail::ParamSource;
    using Bytes = gpenc::detail::Bytes;
    using Writer = gpenc::detail::Writer;
    using Context = gpenc::detail::Context;

    // Change16To10: the value of hexadecimal `text`, 0 for an absent or empty
    // one, -1 for one with another character or when the step faulted.
    template <class Log>
    static int Change16To10(Log& log, const char* text) {
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::Change16To10");
        // Q8: the text follows the message straight away (docs/compat.md).
        auto frame = log.Open(op, Context::Caller(text));
        if (!frame) return -1;
        // Q4: an absent or empty text reads as 0 (docs/compat.md).
        if (text == nullptr || *text == '\0') return log.Exit() ? 0 : -1;
        std::uint32_t value = 0;  // 32-bit and wrapping, read back as signed
        for (const char* p = text; *p != '\0'; ++p) {
            const int digit = gpenc::detail::HexDigit(*p);
            if (digit < 0) {
                gpenc::detail::Refuse("text", "must be hexadecimal, got " + gpenc::detail::Quote(text));
                if (log.Error({gpenc::detail::texts::kBadHexText, gpenc::detail::CallerText(text)})) log.Exit();
                return -1;
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return log.Exit() ? static_cast<int>(value) : -1;
    }

    // Change16To10 of a text that holds `value` in hexadecimal (`text`, for
    // the record of a caught exception): its records, and `value`, or -1 when
    // the step faulted. What the frame's body reads back its version and
    // command through.
    template <class Log>
    static int ReadBack(Log& log, Context text, int value) {
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::Change16To10");
        auto frame = log.Open(op, text);
        if (!frame) return -1;
        return log.Exit() ? value : -1;
    }

    // ChangeOrder: the `count` bytes at `bytes` from the host's order into
    // the wire's; with no bytes, only its records (the builders' values go
    // into the wire's order as they are written).
    template <class Log>
    static bool ChangeOrder(Log& log, int count, unsigned char* bytes) {
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::ChangeOrder");
        auto frame = log.Open(op);
        if (!frame) return false;
        if (bytes != nullptr) {
            // D17: a count outside 1..8 (the scratch of the turn) is refused like 0 (docs/compat.md).
            if (!gpenc::detail::Check().Within(1, 8, count, "count")) return log.Fail();
            // Q6: the host's order turned into the wire's by this exported step, with its records (docs/compat.md).
            gpenc::detail::HostToWire(bytes, static_cast<std::size_t>(count));
        }
        return log.Exit();
    }

    // UnsignedIntToUInt16 and UnsignedIntToInt32: their records and, at
    // `dest` unless it is null, `value` in `N` bytes, most significant first;
    // a zero writes nothing. The builders pass no `dest` and write the value
    // themselves once the step succeeded.
    template <std::size_t N, class Log>
    static bool ToWire(Log& log, const Op& op, const char* context, std::uint32_t value, unsigned char* dest) {
        // Q8: the context is left unclosed, as log searches match it (docs/compat.md).
        auto frame =
            log.Open(op, Context::Number(context, N == 2 ? static_cast<int>(value)
                                                         : static_cast<int>(static_cast<std::int32_t>(value))));
        if (!frame) return false;
        // Q6: a zero writes nothing, as the callers expect (docs/compat.md).
        // Callers zero the destination, so a zero needs no bytes written.
        if (value == 0) return log.Exit();
        if (!ChangeOrder(log, static_cast<int>(N), nullptr)) return log.Fail();
        // Q5: only the low 16 bits go out (key, command, body length), silently (docs/compat.md).
        if (dest != nullptr) Writer::Store<N>(dest, value);
        return log.Exit();
    }
    template <class Log>
    static bool UInt16(Log& log, unsigned int value, unsigned char* dest = nullptr) {
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::UnsignedIntToUInt16");
        return ToWire<2>(log, op, gpenc::detail::texts::kUInt16Context, value, dest);
    }
    template <class Log>
    static bool UInt32(Log& log, int value, unsigned char* dest = nullptr) {
        // Q12: logs as UnsignedIntToUInt32, the name log searches use (docs/compat.md).
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::UnsignedIntToUInt32");
        return ToWire<4>(log, op, gpenc::detail::texts::kUInt32Context, static_cast<std::uint32_t>(value), dest);
    }

    // initParameterConfig: `config` emptied for the next parameter.
    template <class Log>
    static bool InitConfig(Log& log, ParameterConfig& config) {
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::initParameterConfig");
        log.PreEnter(op);
        auto frame = log.Open(op);
        if (!frame) return false;
        // Q9: paraByte and paraBytes are left as they are: no builder relies on them (docs/compat.md).
        config.paraType = 0;
        config.paraKey = 0;
        config.paraText.clear();
        config.paraInt32 = 0;
        std::fill(std::begin(config.paraSixBytes), std::end(config.paraSixBytes), 0);
        return log.Exit();
    }

    // SetOnceParameterData, reading the value from where the builder keeps it.
    template <class Log>
    static bool AppendRecord(Log& log, CEncoder& e, const ParamSource& p);

    // Appends `count` parameters in order through one ParameterConfig, resetting
    // it with initParameterConfig between two of them, with room for all of
    // them made first. Stops at the first failure, what was appended before it
    // staying; a reset that reports failure stops it only with kResetsChecked.
    enum Resets { kResetsChecked, kResetsUnchecked };
    template <class Log>
    static bool AppendParameters(Log& log, CEncoder& e, const ParamSource* params, std::size_t count,
                                 Resets resets = kResetsChecked) {
        // The one place a builder's parameters are sized: all of them at once.
        std::size_t size = 0;
        for (std::size_t i = 0; i < count; ++i) size += params[i].RecordSize();
        Writer(e.m_vecParameter).Room(size);
        // The records are encoded from the builder's fields; the record that
        // the convention resets between two of them carries nothing.
        ParameterConfig config;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && !InitConfig(log, config) && resets == kResetsChecked) return false;
            if (!AppendRecord(log, e, params[i])) return false;
        }
        return true;
    }

    // The start of every builder: empties the object's three buffers (what an
    // earlier message or a direct parameter step left there); the session id stays.
    static void Begin(CEncoder& e) {
        // D28: every builder starts from empty buffers, so one object builds any
        // number of messages; the capacity stays for the next one (docs/compat.md).
        e.m_vecParameter.clear();
        e.m_vecBody.clear();
        e.m_vecHeader.clear();
    }

    // SetBodyData: the body of a frame of `command` carrying the parameter
    // buffer, written once every step of it succeeded.
    template <class Log>
    static bool WriteBody(Log& log, CEncoder& e, int command, Writer& out);

    // SetHeaderData: its records for a body of `bodySize` bytes; the header
    // itself is the magic and that size (Header).
    template <class Log>
    static bool WriteHeader(Log& log, std::size_t bodySize) {
        static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::SetHeaderData");
        auto frame = log.Open(op);
        if (!frame) return false;
        if (!UInt16(log, static_cast<unsigned int>(bodySize))) return log.Fail();
        return log.Exit();
    }
    struct Header {
        unsigned char bytes[wire::kHeaderSize] = {wire::kMagic[0], wire::kMagic[1]};
        explicit Header(std::size_t bodySize) {
            static_assert(wire::kMagicAt == 0 && wire::kBodyLengthAt == 2, "magic, then the body's length");
            Writer::Store<2>(bytes + wire::kBodyLengthAt, static_cast<std::uint32_t>(bodySize));
        }
    };

    // The frame of `command` to `out`: header, body and the parameter buffer.
    // What it wrote before a failure stays for the builder's Tail to take back.
    template <class Log>
    static bool FinishFrame(Log& log, CEncoder& e, int command, Writer& out) {
        // Room for the whole frame at once; the body's records come before the
        // header's, which carries its length, and the header is patched into
        // the room left for it. What `out` held is not copied.
        const std::size_t at = out.At();
        out.Room(wire::kHeaderSize + wire::kBodySize + e.m_vecParameter.size());
        out.U32(0);
        // D29: the frame goes after what `out` holds, which stays as it is (docs/compat.md).
        if (!WriteBody(log, e, command, out) || !WriteHeader(log, wire::kBodySize)) return false;
        out.Patch(at, Header(wire::kBodySize).bytes, wire::kHeaderSize);
        out.Raw(e.m_vecParameter);
        return true;
    }

    // The usual builder, in the frame of `op`: unless `valid` and
    // `params(log)` (the parameter step) and the frame of `command` succeed,
    // the failure record and false; otherwise the exit record, and true. The
    // frame stays at the end of `out` only then.
    template <class Log, class Params>
    static bool SendFrame(Log& log, CEncoder& e, const Op& op, bool valid, int command, Params&& params, Bytes& out) {
        gpenc::detail::Tail frame(out);
        Begin(e);
        auto step = log.Open(op);
        if (!step) return false;
        if (!valid || !std::forward<Params>(params)(log) || !FinishFrame(log, e, command, frame)) return log.Fail();
        // D1: the frame is kept only once nothing can fail; a failure takes it back (docs/compat.md).
        if (!log.Exit()) return false;
        frame.Keep();
        return true;
    }

    // A builder's parameter step, in the frame of `op`: unless `valid` (the
    // step's own check) and `append()` succeed, the failure record and false;
    // otherwise the exit record and true.
    template <class Log, class Parameters>
    static bool ParameterStep(Log& log, const Op& op, bool valid, Parameters&& append) {
        auto frame = log.Open(op);
        if (!frame) return false;
        if (!valid || !std::forward<Parameters>(append)()) return log.Fail();
        return log.Exit();
    }

    // The parameter step of every command-0x33 frame, logging under `op`:
    // key 0 `terminalNo`, key 1 `msgId` in lower-case hexadecimal, key 2
    // `record->*argument`. Fails, appending nothing, when `record` is null,
    // either text is empty or `msgId` is no 16-bit message id, naming the
    // record `name` and the argument `argumentName`; parameters appended before
    // a later failure stay.
    template <class Log, class Record>
    static bool SetTunnelParameterData(Log& log, CEncoder& e, const Op& op, const char* name, Record* record,
                                       const std::string Record::*argument, const char* argumentName) {
        gpenc::detail::Check check(name);
        // D16: a message id beyond 16 bits would go out as a text no JT/T 808 message has (docs/compat.md).
        const bool valid = check.NotNull(record) && check.NotEmpty(record->terminalNo, "terminalNo")
                                                        .NotEmpty(record->*argument, argumentName)
                                                        .Within(0, 0xFFFF, record->msgId, "msgId");
        return ParameterStep(log, op, valid, [&] {
            char id[8];
            const std::string msgId(
                id, std::to_chars(id, id + sizeof id, static_cast<unsigned int>(record->msgId), 16).ptr);
            const ParamSource params[] = {ParamSource::Text(wire::kTerminalKey, record->terminalNo),
                                          ParamSource::Text(wire::kMsgIdKey, msgId),
                                          ParamSource::Text(wire::kArgumentKey, record->*argument)};
            return AppendParameters(log, e, params, std::size(params));
        });
    }

    // The path of the 808-tunnelled settings, in the frame of `op`: unless
    // `valid`, the failure record. Otherwise texts::kBuild808Begin, then
    // `produce(standard)` with the one CEncoder_Standard of the build, which
    // puts the setting text into the record to send, or else reports its
    // failure and gives false: log.Fail() for an input that cannot be sent,
    // log.Fail(texts::kNot808Encoded) for a setting the JT/T 808 encoder
    // refused, nothing for a setting text that came out empty. Then
    // texts::kBuild808End, `send()` (the parameter step) and the command-0x33
    // frame; on success the exit record, the frame kept at the end of `out` and
    // `commit()`, which hands over what the build wrote into its copy of the
    // caller's record and cannot fail. In Tunnel.cpp.
    template <class Log, class Produce, class Send, class Commit>
    static bool SendSetting(Log& log, CEncoder& e, const Op& op, bool valid, Produce&& produce, Send&& send,
                            Commit&& commit, Bytes& out);

    // The equipment requests: checks `request` (the builder's parameter `name`), then sends its terminal number,
    // `msgId` and the argument text `compose(*request)` as command 0x33. In
    // Commands.cpp.
    template <class Request, class Compose>
    [[nodiscard]] static bool SendEquipRequest(CEncoder& e, const Op& op, const char* name, Request* request, int msgId,
                                               Compose compose, Bytes& out);
};

// The parameter records of Encoder.cpp and the frame's body, here so that
// every builder compiles them in.
template <class Log>
bool EncoderSteps::AppendRecord(Log& log, CEncoder& e, const ParamSource& p) {
    static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::SetOnceParameterData");
    // GetParaStr's records, also written by the record path that copies the text itself.
    // Q7: GetParaStr's records stand around every text value, though no builder calls it (docs/compat.md).
    static constexpr Op kGetParaStr = gpenc::detail::EncoderOp("CEncoder::GetParaStr");
    // A refused value names the caller's field it came from (and the rule it
    // broke, when not the step's), or else its key.
    auto refuse = [&](std::string_view rule) {
        if (p.field == nullptr) return gpenc::detail::Refuse("parameter key " + std::to_string(p.key), rule);
        gpenc::detail::Refuse(gpenc::detail::Path(p.field, p.index, {}),
                              p.rule != nullptr ? std::string_view(p.rule) : rule);
    };
    auto frame = log.Open(op);
    if (!frame) return false;
    // Every step runs before the first byte is written, so a failure leaves
    // the parameter buffer as it was.
    const std::size_t size = p.ValueSize();
    switch (p.kind) {
    case wire::kText:
        // The text step writes the records a copy of the text would; the
        // bytes themselves are copied once, below.
        // Q7: GetParaStr's records, without a call to it (docs/compat.md).
        if (p.text->empty()) {
            refuse("must not be empty");
            return log.Fail();
        }
        if (!gpenc::detail::ParaStr(log, kGetParaStr, *p.text, [] {})) return log.Fail();
        break;
    case wire::kInt32:
        if (!UInt32(log, p.int32)) return log.Fail();
        break;
    case wire::kByte:
    case wire::kSixBytes: break;
    default: refuse("must be of kind 1, 6, 9 or 10, got " + std::to_string(p.kind)); return log.Fail();
    }
    const auto length = static_cast<std::uint32_t>(size + wire::kRecordHead);
    if (!UInt16(log, p.key) || !UInt32(log, static_cast<int>(length))) return log.Fail();
    // The record's head and a value of a fixed width, composed aside and
    // written at once (a field an insert cost a UserLogin 1,776 instructions
    // against 1,6xx so); a text is written where it is.
    unsigned char record[wire::kRecordHead + 6];
    Writer::Store<4>(record, length);
    Writer::Store<2>(record + wire::kKeyAt, p.key);
    record[wire::kKindAt] = static_cast<unsigned char>(p.kind);
    unsigned char* value = record + wire::kRecordHead;
    switch (p.kind) {
    case wire::kInt32: Writer::Store<4>(value, static_cast<std::uint32_t>(p.int32)); break;
    case wire::kByte: value[0] = p.byte; break;
    case wire::kSixBytes: std::copy(p.six, p.six + 6, value); break;
    default: break;
    }
    Writer records(e.m_vecParameter);
    if (p.kind == wire::kText) {
        records.Raw(record, wire::kRecordHead);
        records.Raw(*p.text);
    } else {
        records.Raw(record, length);
    }
    return log.Exit();
}

template <class Log>
bool EncoderSteps::WriteBody(Log& log, CEncoder& e, int command, Writer& out) {
    static constexpr Op op = gpenc::detail::EncoderOp("CEncoder::SetBodyData");
    auto frame = log.Open(op);
    if (!frame) return false;
    static const unsigned char kNoSession[wire::kSessionSize] = {};

    // Q4: the version is read back from its text "1", with the records of Change16To10 (docs/compat.md).
    const int version = ReadBack(log, Context::Caller(wire::kVersionHex), 1);
    if (version < 0 || !UInt16(log, static_cast<unsigned int>(version))) return log.Fail();

    // The login (command 1) goes out before there is a session; every other
    // command fetches the id once, when the object's is still all zero.
    // Q3: the login fetches no id; the others fetch once, while all zero, and send it unchecked (docs/compat.md).
    if (command != wire::kLogin && std::memcmp(e.m_bySession, kNoSession, sizeof kNoSession) == 0 &&
        !log.Host(op, [&] { CSessionData::GetSession(e.m_bySession); }))
        return false;

    // The command goes through its hexadecimal text, which reads back as the
    // same 32 bits: a negative number (eight digits from 8 up) comes back
    // negative and is refused.
    // Q4: the command is read back from its hexadecimal text; a negative one comes back negative (docs/compat.md).
    const int cmd = ReadBack(log, Context::Hex(static_cast<unsigned int>(command)), command);
    if (cmd < 0 || !UInt16(log, static_cast<unsigned int>(cmd))) return log.Fail();

    const std::size_t parameters = e.m_vecParameter.size();
    if (!UInt32(log, static_cast<int>(parameters))) return log.Fail();
    if (!log.Exit()) return false;
    // Composed aside and written at once; the reserved bytes stay zero.
    unsigned char body[wire::kBodySize] = {};
    Writer::Store<2>(body + wire::kVersionAt, static_cast<std::uint32_t>(version));
    std::memcpy(body + wire::kSessionAt, e.m_bySession, wire::kSessionSize);
    Writer::Store<2>(body + wire::kCommandAt, static_cast<std::uint32_t>(cmd));
    Writer::Store<4>(body + wire::kParameterLengthAt, static_cast<std::uint32_t>(parameters));
    out.Raw(body, wire::kBodySize);
    return true;
}
