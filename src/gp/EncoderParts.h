// What the sources of CEncoder share: the file their records name, the
// description of one parameter that the builders hand to AppendParameters, and
// the parameter step of the command-0x33 frames.
#pragma once

#include "gpenc/Encoder.h"

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Wire.h"
#include "core/Writer.h"

#include <charconv>
#include <cstddef>
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
// exported class: every builder runs through them.
struct EncoderSteps {
    using Op = gpenc::detail::Op;
    using ParamSource = gpenc::detail::ParamSource;
    using Bytes = gpenc::detail::Bytes;
    using Writer = gpenc::detail::Writer;

    // SetOnceParameterData, reading the value from where the builder keeps it.
    [[nodiscard]] static bool AppendRecord(CEncoder& e, const ParamSource& param);

    // Appends `count` parameters in order through one ParameterConfig, resetting
    // it with initParameterConfig between two of them, with room for all of
    // them made first. Stops at the first failure, what was appended before it
    // staying; a reset that reports failure stops it only with kResetsChecked.
    enum Resets { kResetsChecked, kResetsUnchecked };
    [[nodiscard]] static bool AppendParameters(CEncoder& e, const ParamSource* params, std::size_t count,
                                               Resets resets = kResetsChecked);

    // The start of every builder: empties the object's three buffers (what an
    // earlier message or a direct parameter step left there); the session id stays.
    static void Begin(CEncoder& e);

    // The body of a frame carrying the parameter buffer (26 bytes at `body`)
    // and the header of a body of `bodySize` bytes (4 bytes at `header`),
    // with the records of SetBodyData and SetHeaderData.
    [[nodiscard]] static bool WriteBody(CEncoder& e, int command, unsigned char* body);
    [[nodiscard]] static bool WriteHeader(CEncoder& e, std::size_t bodySize, unsigned char* header);

    // The body of every frame, written after `room` bytes (at most the
    // header's 4) left for what goes before it; nothing is written when the
    // step fails. SetBodyData forwards to it.
    [[nodiscard]] static bool AppendBody(CEncoder& e, int command, Writer& out, std::size_t room = 0);

    // Appends the frame of `command` to `out`: header, body and the parameter
    // buffer. What it appended before a failure stays for the builder's Tail
    // to take back.
    [[nodiscard]] static bool FinishFrame(CEncoder& e, int command, Writer& out);

    // The usual builder, inside the guarded region of `op`: unless `valid`
    // and `params()` (the parameter step) and the frame of `command` succeed,
    // the failure record and false; otherwise the exit record, and true. The
    // frame stays at the end of `out` only then. The records carry the
    // caller's `line`.
    template <class Params>
    [[nodiscard]] static bool SendFrame(CEncoder& e, const Op& op, bool valid, int command, Params&& params, Bytes& out,
                                        int line = __builtin_LINE()) {
        gpenc::detail::Tail frame(out);
        Begin(e);
        return gpenc::detail::Guarded(
            op, false,
            [&] {
                if (!valid || !std::forward<Params>(params)() || !FinishFrame(e, command, frame)) return op.Fail(line);
                // D1: the frame is kept only once nothing can fail; a failure takes it back (docs/compat.md).
                return op.Commit([&] { frame.Keep(); }, line);
            },
            line);
    }

    // The parameter step of every command-0x33 frame, logging under `op`:
    // key 0 `terminalNo`, key 1 `msgId` in lower-case hexadecimal, key 2
    // `record->*argument`. Fails, appending nothing, when `record` is null,
    // either text is empty or `msgId` is no 16-bit message id, naming the
    // record `name` and the argument `argumentName`; parameters appended before
    // a later failure stay.
    template <class Record>
    [[nodiscard]] static bool SetTunnelParameterData(CEncoder& e, const Op& op, const char* name, Record* record,
                                                     const std::string Record::*argument, const char* argumentName) {
        gpenc::detail::Check check(name);
        // D16: a message id beyond 16 bits would go out as a text no JT/T 808 message has (docs/compat.md).
        const bool valid = check.NotNull(record) && check.NotEmpty(record->terminalNo, "terminalNo")
                                                        .NotEmpty(record->*argument, argumentName)
                                                        .Within(0, 0xFFFF, record->msgId, "msgId");
        return gpenc::detail::Guarded(op, false, [&] {
            if (!valid) return op.Fail();
            char id[8];
            const std::string msgId(
                id, std::to_chars(id, id + sizeof id, static_cast<unsigned int>(record->msgId), 16).ptr);
            const ParamSource params[] = {ParamSource::Text(wire::kTerminalKey, record->terminalNo),
                                          ParamSource::Text(wire::kMsgIdKey, msgId),
                                          ParamSource::Text(wire::kArgumentKey, record->*argument)};
            if (!AppendParameters(e, params, std::size(params))) return op.Fail();
            return op.Done();
        });
    }

    // The path of the 808-tunnelled settings, inside the guarded region of
    // `op`: unless `valid`, the failure record. Otherwise texts::kBuild808Begin,
    // then `produce(standard)` with the one CEncoder_Standard of the build,
    // which puts the setting text into the record to send, or else writes the
    // records of its failure and gives false: op.Fail() for an input that
    // cannot be sent, op.Fail(texts::kNot808Encoded) for a setting the JT/T 808
    // encoder refused, none for a setting text that came out empty. Then
    // texts::kBuild808End, `send()` (the parameter step) and the command-0x33
    // frame; on success the exit record, the frame kept at the end of `out` and
    // `commit()`, which hands over what the build wrote into its copy of the
    // caller's record and cannot fail. In Tunnel.cpp.
    template <class Produce, class Send, class Commit>
    [[nodiscard]] static bool SendSetting(CEncoder& e, const Op& op, bool valid, Produce&& produce, Send&& send,
                                          Commit&& commit, Bytes& out);

    // The equipment requests: checks `request` (the builder's parameter `name`), then sends its terminal number,
    // `msgId` and the argument text `compose(*request)` as command 0x33. In
    // Commands.cpp.
    template <class Request, class Compose>
    [[nodiscard]] static bool SendEquipRequest(CEncoder& e, const Op& op, const char* name, Request* request, int msgId,
                                               Compose compose, Bytes& out);
};
