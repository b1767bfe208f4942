// Decoding of GP frames: header, body, parameter records; frames back to back;
// hexadecimal input text.
#include "Layout.h"
#include "Tunnel.h"

namespace gpenc::inspect {
namespace {

constexpr const char* kTruncated = "frame truncated";
static_assert(std::tuple_size_v<decltype(Frame::sessionId.value)> == gp::kSession.size);

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The value of one record, typed by its kind, or false with the reader failed.
bool TypeValue(Reader& area, Parameter& p, std::vector<Problem>& warnings) {
    const Bytes& raw = p.raw.value;
    std::size_t width = 0;
    switch (static_cast<Kind>(p.kind.value)) {
    case Kind::kText:
        if (raw.empty()) warnings.push_back({p.offset, "empty text", "a text record carries at least 1 byte"});
        p.value = std::string(raw.begin(), raw.end());
        return true;
    case Kind::kInt32: width = gp::kInt32Size; break;
    case Kind::kByte: width = gp::kByteSize; break;
    case Kind::kSixBytes: width = gp::kSixBytesSize; break;
    default:
        area.Fail({p.kind.offset, "unknown value kind",
                   Format("expected 1, 6, 9 or 10, found %u", static_cast<unsigned>(p.kind.value))});
        return false;
    }
    if (raw.size() != width) {
        area.Fail(
            {p.offset, "bad record length",
             Format("a record of kind %u (%s) is %zu bytes, found %u", static_cast<unsigned>(p.kind.value),
                    KindName(p.kind.value), width + gp::kRecordHead, static_cast<unsigned>(p.recordLength.value))});
        return false;
    }
    if (width == gp::kInt32Size) {
        p.value = static_cast<std::int32_t>(std::uint32_t{raw[0]} << 24 | std::uint32_t{raw[1]} << 16 |
                                            std::uint32_t{raw[2]} << 8 | raw[3]);
    } else if (width == gp::kByteSize) {
        p.value = raw[0];
    } else {
        SixBytes six;
        std::copy(raw.begin(), raw.end(), six.begin());
        p.value = six;
    }
    return true;
}

bool DecodeParameter(Reader& area, Frame& f) {
    Parameter p;
    p.offset = area.Offset();
    if (!area.Uint(p.recordLength, gp::kRecordLength.size, "parameter record length")) return false;
    const std::uint32_t length = p.recordLength.value;
    if (length < gp::kRecordHead) {
        area.Fail({p.offset, "bad record length",
                   Format("a parameter record is at least %zu bytes, found %u", gp::kRecordHead, length)});
        return false;
    }
    if (length - gp::kRecordLength.size > area.Left()) {
        area.FailShort(p.offset, Format("parameter record needs %u bytes, %zu left", length,
                                        area.Left() + gp::kRecordLength.size));
        return false;
    }
    if (!area.Uint(p.key, gp::kKey.size, "parameter key") || !area.Uint(p.kind, gp::kKind.size, "value kind") ||
        !area.Raw(p.raw, length - gp::kRecordHead, "parameter value") || !TypeValue(area, p, f.warnings))
        return false;
    f.parameters.push_back(std::move(p));
    return true;
}

bool DecodeParameters(Reader& r, Frame& f) {
    const std::size_t want = static_cast<std::size_t>(f.parameterLength.value);
    const bool inputShort = r.Left() < want;
    const std::size_t have = inputShort ? r.Left() : want;
    // Past the parameter length but within the input, records disagree with it.
    Reader area(r.Here(), have, r.Offset(), inputShort ? kTruncated : "parameter length disagrees");
    while (area.Left())
        if (!DecodeParameter(area, f)) {
            r.Fail(*area.Error());
            return false;
        }
    if (inputShort) {
        r.FailShort(r.Offset(), Format("parameters need %zu bytes, %zu left", want, have));
        return false;
    }
    return true;
}

void CheckBody(Frame& f) {
    if (f.version.value != gp::kProtocolVersion)
        f.warnings.push_back({f.version.offset, "unexpected protocol version",
                              Format("expected %u, found %u", gp::kProtocolVersion, f.version.value)});
    if (f.reserved.value != 0)
        f.warnings.push_back({f.reserved.offset, "reserved word not zero", Format("found %04x", f.reserved.value)});
    if (!*CommandName(f.command.value))
        f.warnings.push_back(
            {f.command.offset, "unknown command", Format("%04x is no command of this system", f.command.value)});
}

}  // namespace

Decoded<Frame> DecodeFrame(const std::uint8_t* data, std::size_t size, std::size_t origin) {
    Decoded<Frame> out;
    Frame& f = out.value;
    f.offset = origin;
    Reader r(data, size, origin, kTruncated);
    Field<std::array<std::uint8_t, gp::kMagic.size>> magic;
    if (r.Array(magic, "magic")) {
        f.magic = {magic.offset, magic.size, std::string(magic.value.begin(), magic.value.end())};
        if (f.magic.value != gp::kMagicText)
            r.Fail({magic.offset, "bad magic",
                    Format("expected \"%s\" (%s), found %s", gp::kMagicText,
                           HexBytes(Bytes(gp::kMagicText, gp::kMagicText + gp::kMagic.size)).c_str(),
                           HexBytes(magic.value.data(), magic.size).c_str())});
    }
    if (r.Uint(f.bodyLength, gp::kBodyLength.size, "body length") && f.bodyLength.value != gp::kBodySize)
        r.Fail({f.bodyLength.offset, "bad body length",
                Format("expected %zu, found %u", gp::kBodySize, f.bodyLength.value)});
    // Each read does nothing once the reader has failed.
    if (r.Uint(f.version, gp::kVersion.size, "protocol version") && r.Array(f.sessionId, "session id") &&
        r.Uint(f.command, gp::kCommand.size, "command number") &&
        r.Uint(f.parameterLength, gp::kParameterLength.size, "parameter length") &&
        r.Uint(f.reserved, gp::kReserved.size, "reserved word") && f.parameterLength.value < 0)
        r.Fail({f.parameterLength.offset, "bad parameter length",
                Format("expected a byte count, found %d", f.parameterLength.value)});
    if (r.Error() || !DecodeParameters(r, f)) {
        out.error = r.Error();
        return out;
    }
    f.size = gp::kParametersAt + static_cast<std::size_t>(f.parameterLength.value);
    CheckBody(f);
    if (f.command.value == gp::kTunnelCommand) DecodeTunnel(f);
    return out;
}

Dump DecodeFrames(const std::uint8_t* data, std::size_t size) {
    Dump d;
    if (size == 0) d.error = Problem{0, "no frame", "expected a GP frame, the input is empty"};
    for (std::size_t pos = 0; pos < size;) {
        Decoded<Frame> f = DecodeFrame(data + pos, size - pos, pos);
        if (!f.ok()) {
            d.error = f.error;
            break;
        }
        pos += f.value.size;
        d.frames.push_back(std::move(f.value));
    }
    return d;
}

bool Dump::Clean() const {
    if (error) return false;
    for (const Frame& f : frames)
        if (!f.warnings.empty()) return false;
    return true;
}

Decoded<Bytes> ParseHex(std::string_view text) {
    Decoded<Bytes> out;
    int high = -1;
    std::size_t highAt = 0;
    for (std::size_t i = 0; i < text.size() && !out.error; ++i) {
        const char c = text[i];
        const int digit = HexDigit(c);
        if (Blank(c) && high >= 0) {
            out.error =
                Problem{i, "bad hex text", Format("expected the second digit of the byte at offset %zu", highAt)};
        } else if (Blank(c)) {
            continue;
        } else if (digit < 0) {
            out.error =
                Problem{i, "bad hex text", "expected a hex digit, found \"" + Printable(text.substr(i, 1)) + "\""};
        } else if (high < 0) {
            high = digit;
            highAt = i;
        } else {
            out.value.push_back(static_cast<std::uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    if (!out.error && high >= 0)
        out.error = Problem{highAt, "bad hex text", "odd number of hex digits: this byte lacks its second digit"};
    return out;
}

}  // namespace gpenc::inspect
