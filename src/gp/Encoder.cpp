// CEncoder: the object, parameter records, the GP frame and the login; the
// other builders are in Commands.cpp (platform commands) and Tunnel.cpp
// (808-tunnelled settings).
#include "gpenc/Encoder.h"

#include "Text.h"
#include "core/Failure.h"
#include "core/Log.h"
#include "core/ParaStr.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "gp/EncoderParts.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <utility>

using gpenc::detail::Bytes;
using gpenc::detail::Check;
using gpenc::detail::Guarded;
using gpenc::detail::NoThrow;
using gpenc::detail::Op;
using gpenc::detail::ParamSource;
using gpenc::detail::Public;
using gpenc::detail::Refuse;
using gpenc::detail::Writer;

namespace {

constexpr Op Operation(const char* name) { return gpenc::detail::EncoderOp(name); }

// GetParaStr's records, also written by the record path that copies the text
// itself.
// Q7: GetParaStr's records stand around every text value, though no builder calls it (docs/compat.md).
constexpr Op kGetParaStr = Operation("CEncoder::GetParaStr");

// The exported conversion steps keep their contract over the caller's raw
// bytes: the value is stored as the host keeps it, then turned into the wire's
// order by ChangeOrder, with its records.
template <class T>
void StoreHost(unsigned char* dest, T value) {
    std::memcpy(dest, &value, sizeof value);
}

// Turns the `n` bytes of a field at `bytes` from the host's order into the
// wire's, most significant first: around on a little-endian host, as they are
// on a big-endian one.
void HostToWire(unsigned char* bytes, std::size_t n) {
    const std::uint16_t probe = 1;
    unsigned char low = 0;
    std::memcpy(&low, &probe, 1);
    if (low == 1) std::reverse(bytes, bytes + n);
}

}  // namespace

// ---------------------------------------------------------------------------
// Object
// ---------------------------------------------------------------------------

CEncoder::CEncoder() : m_bySession{} {
    static constexpr Op op = Operation("CEncoder::CEncoder");
    Public(nullptr, [&] {
        return Guarded(op, false, [&] {
            std::fill(std::begin(m_bySession), std::end(m_bySession), 0);
            return op.Done();
        });
    });
}

CEncoder::CEncoder(const CEncoder& other) = default;
CEncoder& CEncoder::operator=(const CEncoder& other) = default;

// Runs while another exception may unwind: a record that throws is dropped,
// and the members go with the object whatever the records did.
// D6: never throws, so that destroying an encoder while unwinding cannot end the process (docs/compat.md).
CEncoder::~CEncoder() noexcept {
    static constexpr Op op = Operation("CEncoder::~CEncoder");
    // log4cplus answers the levels without throwing.
    Public(nullptr, [&] {
        NoThrow([&] { op.PreEnter(); });
        NoThrow([&] {
            Guarded(op, false, [&] {
                Bytes().swap(m_vecParameter);
                Bytes().swap(m_vecBody);
                Bytes().swap(m_vecHeader);
                return op.Done();
            });
        });
        return true;
    });
}

// ---------------------------------------------------------------------------
// Parameter records
// ---------------------------------------------------------------------------

bool CEncoder::initParameterConfig(ParameterConfig& config) {
    static constexpr Op op = Operation("CEncoder::initParameterConfig");
    op.PreEnter();
    return Guarded(op, false, [&] {
        // Q9: paraByte and paraBytes are left as they are: no builder relies on them (docs/compat.md).
        config.paraType = 0;
        config.paraKey = 0;
        config.paraText.clear();
        config.paraInt32 = 0;
        std::fill(std::begin(config.paraSixBytes), std::end(config.paraSixBytes), 0);
        return op.Done();
    });
}

bool CEncoder::SetOnceParameterData(ParameterConfig config) {
    return EncoderSteps::AppendRecord(*this, {config.paraType, config.paraKey, &config.paraText, config.paraInt32,
                                              config.paraByte, config.paraSixBytes});
}

GPENC_FLATTEN bool EncoderSteps::AppendRecord(CEncoder& e, const ParamSource& p) {
    static constexpr Op op = Operation("CEncoder::SetOnceParameterData");
    // A refused value names the caller's field it came from (and the rule it
    // broke, when not the step's), or else its key.
    auto refuse = [&](std::string_view rule) {
        if (p.field == nullptr) return Refuse("parameter key " + std::to_string(p.key), rule);
        Refuse(gpenc::detail::Path(p.field, p.index, {}), p.rule != nullptr ? std::string_view(p.rule) : rule);
    };
    return Guarded(op, false, [&] {
        // Every conversion runs before the first append, so a failure leaves
        // the parameter buffer as it was. A text goes from the caller's string
        // straight into the buffer; the other values are at most six bytes.
        unsigned char scratch[6] = {};
        const unsigned char* value = scratch;
        const std::size_t size = p.ValueSize();
        switch (p.kind) {
        case wire::kText:
            // The text step writes the records a copy of the text would; the
            // bytes themselves are copied once, below.
            // Q7: GetParaStr's records, without a call to it (docs/compat.md).
            if (p.text->empty()) {
                refuse("must not be empty");
                return op.Fail();
            }
            if (!gpenc::detail::ParaStrStep(kGetParaStr, *p.text, [] {})) return op.Fail();
            value = reinterpret_cast<const unsigned char*>(p.text->data());
            break;
        case wire::kInt32:
            if (!e.UnsignedIntToInt32(p.int32, scratch)) return op.Fail();
            break;
        case wire::kByte: scratch[0] = p.byte; break;
        case wire::kSixBytes: std::copy(p.six, p.six + 6, scratch); break;
        default: refuse("must be of kind 1, 6, 9 or 10, got " + std::to_string(p.kind)); return op.Fail();
        }
        unsigned char head[wire::kRecordHead] = {};  // record length, key, kind
        if (!e.UnsignedIntToUInt16(p.key, head + wire::kKeyAt)) return op.Fail();
        if (!e.UnsignedIntToInt32(static_cast<int>(size + wire::kRecordHead), head)) return op.Fail();
        head[wire::kKindAt] = static_cast<unsigned char>(p.kind);

        Writer records(e.m_vecParameter);
        records.Raw(head, wire::kRecordHead);
        records.Raw(value, size);
        return op.Done();
    });
}

// Q7: kept as an exported step, though no builder calls it (docs/compat.md).
int CEncoder::GetParaStr(std::string paraStr, std::vector<unsigned char>& out) {
    return gpenc::detail::PrependParaStr(kGetParaStr, paraStr, out);
}

bool CEncoder::UnsignedIntToUInt16(unsigned int value, unsigned char* dest) {
    static constexpr Op op = Operation("CEncoder::UnsignedIntToUInt16");
    return Guarded(
        op, false,
        [&] {
            // Q6: a zero writes nothing, as the callers expect (docs/compat.md).
            // Callers zero the destination, so a zero needs no bytes written.
            if (value == 0) return op.Done();
            // The value as the host stores it, turned into the wire's order.
            unsigned char scratch[2];
            // Q5: only the low 16 bits go out (key, command, body length), silently (docs/compat.md).
            StoreHost(scratch, static_cast<std::uint16_t>(value));
            if (!ChangeOrder(2, scratch)) return op.Fail();
            std::memcpy(dest, scratch, 2);
            return op.Done();
        },
        // Q8: the context is left unclosed, as log searches match it (docs/compat.md).
        [&] { return gpenc::detail::texts::kUInt16Context + std::to_string(static_cast<int>(value)); });
}

bool CEncoder::UnsignedIntToInt32(int value, unsigned char* dest) {
    // Q12: logs as UnsignedIntToUInt32, the name log searches use (docs/compat.md).
    static constexpr Op op = Operation("CEncoder::UnsignedIntToUInt32");
    return Guarded(
        op, false,
        [&] {
            // Q6: a zero writes nothing here too (docs/compat.md).
            if (value == 0) return op.Done();
            unsigned char scratch[4];
            StoreHost(scratch, static_cast<std::uint32_t>(value));
            if (!ChangeOrder(4, scratch)) return op.Fail();
            std::memcpy(dest, scratch, 4);
            return op.Done();
        },
        // Q8: the context is left unclosed, as log searches match it (docs/compat.md).
        [&] { return gpenc::detail::texts::kUInt32Context + std::to_string(value); });
}

bool CEncoder::ChangeOrder(int count, unsigned char* bytes) {
    static constexpr Op op = Operation("CEncoder::ChangeOrder");
    return Guarded(op, false, [&] {
        // D17: a count outside 1..8 (the scratch of the turn) is refused like 0 (docs/compat.md).
        if (!Check().Within(1, 8, count, "count")) return op.Fail();
        // Q6: the host's order turned into the wire's by this exported step, with its records (docs/compat.md).
        HostToWire(bytes, static_cast<std::size_t>(count));
        return op.Done();
    });
}

GPENC_FLATTEN bool EncoderSteps::AppendParameters(CEncoder& e, const ParamSource* params, std::size_t count,
                                                  Resets resets) {
    // The one place a builder's parameters are sized: all of them at once.
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) size += params[i].RecordSize();
    Writer(e.m_vecParameter).Room(size);
    // The records are encoded from the builder's fields; the record that the
    // convention resets between two of them carries nothing.
    ParameterConfig config;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && !e.initParameterConfig(config) && resets == kResetsChecked) return false;
        if (!AppendRecord(e, params[i])) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// GP frame
// ---------------------------------------------------------------------------

int CEncoder::Change16To10(const char* text) {
    static constexpr Op op = Operation("CEncoder::Change16To10");
    return Guarded(
        op, -1,
        [&] {
            // Q4: an absent or empty text reads as 0 (docs/compat.md).
            if (text == nullptr || *text == '\0') return op.Return(0);
            std::uint32_t value = 0;  // 32-bit and wrapping, read back as signed
            for (const char* p = text; *p != '\0'; ++p) {
                const int digit = gpenc::detail::HexDigit(*p);
                if (digit < 0) {
                    Refuse("text", "must be hexadecimal, got " + gpenc::detail::Quote(text));
                    op.Error({gpenc::detail::texts::kBadHexText, gpenc::detail::CallerText(text)});
                    return op.Return(-1);
                }
                value = value * 16 + static_cast<std::uint32_t>(digit);
            }
            return op.Return(static_cast<int>(value));
        },
        // Q8: the text follows the message straight away (docs/compat.md).
        [&] { return gpenc::detail::CallerText(text != nullptr ? text : ""); });
}

GPENC_FLATTEN bool EncoderSteps::WriteBody(CEncoder& e, int command, unsigned char* body) {
    static constexpr Op op = Operation("CEncoder::SetBodyData");
    return Guarded(op, false, [&] {
        static const unsigned char kNoSession[wire::kSessionSize] = {};
        // Zero, as the conversions below expect of where they write.
        std::fill(body, body + wire::kBodySize, 0);

        // Q4: the version is read back from its text "1", with the records of Change16To10 (docs/compat.md).
        const int version = e.Change16To10(wire::kVersionHex);
        if (version < 0 || !e.UnsignedIntToUInt16(static_cast<unsigned int>(version), body + wire::kVersionAt))
            return op.Fail();

        // The login (command 1) goes out before there is a session; every other
        // command fetches the id once, when the object's is still all zero.
        // Q3: the login fetches no id; the others fetch once, while all zero, and send it unchecked (docs/compat.md).
        if (command != wire::kLogin && std::memcmp(e.m_bySession, kNoSession, sizeof kNoSession) == 0)
            CSessionData::GetSession(e.m_bySession);
        std::memcpy(body + wire::kSessionAt, e.m_bySession, wire::kSessionSize);

        // The command goes through its hexadecimal text, so a negative number
        // (eight digits from 8 up) comes back negative and is refused.
        char hex[9];
        *std::to_chars(hex, hex + 8, static_cast<unsigned int>(command), 16).ptr = '\0';
        // Q4: the command is read back from its hexadecimal text; a negative one comes back negative (docs/compat.md).
        const int cmd = e.Change16To10(hex);
        if (cmd < 0 || !e.UnsignedIntToUInt16(static_cast<unsigned int>(cmd), body + wire::kCommandAt))
            return op.Fail();

        if (!e.UnsignedIntToInt32(static_cast<int>(e.m_vecParameter.size()), body + wire::kParameterLengthAt))
            return op.Fail();
        // The reserved bytes stay zero.
        return op.Done();
    });
}

GPENC_FLATTEN bool EncoderSteps::WriteHeader(CEncoder& e, std::size_t bodySize, unsigned char* header) {
    static constexpr Op op = Operation("CEncoder::SetHeaderData");
    return Guarded(op, false, [&] {
        std::copy(wire::kMagic, wire::kMagic + sizeof wire::kMagic, header + wire::kMagicAt);
        header[wire::kBodyLengthAt] = header[wire::kBodyLengthAt + 1] = 0;
        if (!e.UnsignedIntToUInt16(static_cast<unsigned int>(bodySize), header + wire::kBodyLengthAt)) return op.Fail();
        return op.Done();
    });
}

namespace {

// Writes the `size` bytes that `write` composes, after `room` bytes (at most
// the header's) left for what goes before them, or nothing when `write`
// fails: the one way the body and the header are written.
template <class Write>
bool WritePart(Writer& out, std::size_t size, std::size_t room, Write&& write) {
    unsigned char part[wire::kHeaderSize + wire::kBodySize] = {};
    unsigned char* at = part + wire::kHeaderSize;
    if (!std::forward<Write>(write)(at)) return false;
    out.Raw(at - room, room + size);
    return true;
}

}  // namespace

bool EncoderSteps::AppendBody(CEncoder& e, int command, Writer& out, std::size_t room) {
    return WritePart(out, wire::kBodySize, room, [&](unsigned char* body) { return WriteBody(e, command, body); });
}

// Exported steps that no builder calls, kept over the builders' own.
bool CEncoder::SetBodyData(int command) {
    Writer body(m_vecBody);
    return EncoderSteps::AppendBody(*this, command, body);
}
bool CEncoder::SetHeaderData() {
    Writer header(m_vecHeader);
    return WritePart(header, wire::kHeaderSize, 0,
                     [&](unsigned char* h) { return EncoderSteps::WriteHeader(*this, m_vecBody.size(), h); });
}

void EncoderSteps::Begin(CEncoder& e) {
    // D28: every builder starts from empty buffers, so one object builds any
    // number of messages; the capacity stays for the next one (docs/compat.md).
    e.m_vecParameter.clear();
    e.m_vecBody.clear();
    e.m_vecHeader.clear();
}

bool EncoderSteps::FinishFrame(CEncoder& e, int command, Writer& out) {
    // Room for the whole frame at once; the body's records come before the
    // header's, which carries its length, and the header is patched into the
    // room left for it. What `out` held is not copied.
    const std::size_t at = out.At();
    out.Room(wire::kHeaderSize + wire::kBodySize + e.m_vecParameter.size());
    unsigned char header[wire::kHeaderSize] = {};
    // D29: the frame goes after what `out` holds, which stays as it is (docs/compat.md).
    if (!AppendBody(e, command, out, wire::kHeaderSize) || !WriteHeader(e, wire::kBodySize, header)) return false;
    out.Patch(at, header, wire::kHeaderSize);
    out.Raw(e.m_vecParameter);
    return true;
}

bool CEncoder::VectorToHexChr(std::vector<unsigned char> bytes, std::string& text) {
    gpenc::detail::AppendHex(text, bytes.data(), bytes.size());
    return true;
}

GPENC_FLATTEN bool CEncoder::CommonData(int type, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::CommonData");
    return Public(op, [&] {
        const bool known = type == wire::kCommonData2 || type == wire::kCommonData4;
        // A frame without parameters.
        return EncoderSteps::SendFrame(
            *this, op, Check().That(known, "type", [&] { return "must be 2 or 4, got " + std::to_string(type); }), type,
            [] { return true; }, out);
    });
}

// ---------------------------------------------------------------------------
// User login
// ---------------------------------------------------------------------------

namespace {

// Texts 2, 4 and 6 are not checked up front; the parameter step refuses them
// when empty, after the parameters before them went out. A reason names the
// text, never its value: the login texts carry credentials.
// Q13: an empty text 2, 4 or 6 fails in the parameter step, with its three ERROR records (docs/compat.md).
bool LoginValid(const sUserLogin* login) {
    Check c("login");
    return c.NotNull(login) && c.NotEmpty(login->loginText0, "loginText0")
                                   .NotEmpty(login->loginText1, "loginText1")
                                   .NotEmpty(login->loginText3, "loginText3")
                                   .NotEmpty(login->loginText5, "loginText5")
                                   .NotEmpty(login->loginText7, "loginText7");
}

}  // namespace

GPENC_FLATTEN bool CEncoder::UserLogin(sUserLogin* login, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::UserLogin");
    return Public(op, [&] {
        return EncoderSteps::SendFrame(
            *this, op, LoginValid(login), wire::kLogin, [&] { return SetLoginParameterData(login); }, out);
    });
}

bool CEncoder::SetLoginParameterData(sUserLogin* login) {
    static constexpr Op op = Operation("CEncoder::SetLoginParameterData");
    return Guarded(op, false, [&] {
        if (!LoginValid(login)) return op.Fail();
        const ParamSource params[] = {
            ParamSource::Text(0, login->loginText0),
            ParamSource::Text(1, login->loginText1),
            ParamSource::Text(2, login->loginText2).From("login.loginText2"),
            ParamSource::Text(3, login->loginText3),
            ParamSource::Text(4, login->loginText4).From("login.loginText4"),
            ParamSource::Text(5, login->loginText5),
            ParamSource::Text(6, login->loginText6).From("login.loginText6"),
            ParamSource::Text(7, login->loginText7),
        };
        if (!EncoderSteps::AppendParameters(*this, params, std::size(params))) return op.Fail();
        return op.Done();
    });
}

std::string gpenc::LastFailure() { return gpenc::detail::LastFailureText(); }
