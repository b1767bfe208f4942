// The 808 tunnel of command-0x33 frames: key 0 the terminal number, key 1 the
// 808 message id in hex, key 2 the message as hex text, a setting text or a
// request argument.
#include "Tunnel.h"

#include "Layout.h"

namespace gpenc::inspect {
namespace {

constexpr const char* kBadHex = "bad key-2 hex text";

// Adds a problem found inside the tunnelled content to the frame's warnings:
// content offset `p.offset` stands at `origin + scale * p.offset` in the frame
// (scale 2 for bytes carried as hex text).
void Lift(Frame& f, const Problem& p, std::size_t origin, std::size_t scale, const char* where) {
    f.warnings.push_back({origin + scale * p.offset, p.what, p.detail + Format(" (%s offset %zu)", where, p.offset)});
}

template <class T>
void LiftAll(Frame& f, const Decoded<T>& d, const std::vector<Problem>& warnings, std::size_t origin, std::size_t scale,
             const char* where) {
    for (const Problem& w : warnings) Lift(f, w, origin, scale, where);
    if (d.error) Lift(f, *d.error, origin, scale, where);
}

// The tunnelled message bytes: two lower-case hex digits per byte, nothing else.
std::optional<Problem> MessageBytes(const Field<std::string>& text, Bytes& out, std::vector<Problem>& warnings) {
    const std::string& s = text.value;
    bool upper = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (HexDigit(s[i]) < 0)
            return Problem{text.offset + i, kBadHex,
                           "expected a hex digit, found \"" + Printable(std::string_view(s).substr(i, 1)) + "\""};
        if (!upper && s[i] >= 'A' && s[i] <= 'F') {
            upper = true;
            warnings.push_back({text.offset + i, "upper-case hex digit", "808 messages travel as lower-case hex"});
        }
    }
    if (s.size() % 2)
        return Problem{text.offset + s.size() - 1, kBadHex,
                       Format("odd length %zu: expected two hex digits per byte", s.size())};
    for (std::size_t i = 0; i < s.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(HexDigit(s[i]) << 4 | HexDigit(s[i + 1])));
    return std::nullopt;
}

// The 808 phone number a terminal number stands for: its last 12 characters
// (20 under the 2019 head), filled with '0' on the left when it is shorter.
std::string PhoneOf(const std::string& terminal, const Jt808Head& head) {
    const std::size_t digits = head.Edition() == 2019 ? jt808::kPhoneDigits2019 : jt808::kPhoneDigits;
    if (terminal.size() >= digits) return terminal.substr(terminal.size() - digits);
    return std::string(digits - terminal.size(), '0') + terminal;
}

void CheckMessage(Frame& f, const Tunnel& t, const Jt808Message& m, std::size_t origin) {
    if (m.head.messageId.size && t.messageId && m.head.messageId.value != *t.messageId)
        f.warnings.push_back({origin, "message id disagrees",
                              Format("key 1 gives %04x, the 808 head %04x", *t.messageId, m.head.messageId.value)});
    if (!m.head.phone.size || !t.terminalNumber) return;
    const std::string phone = PhoneOf(t.terminalNumber->value, m.head);
    if (m.head.phone.value != phone)
        f.warnings.push_back(
            {origin + gp::kHexPerByte * m.head.phone.offset, "phone number disagrees",
             Format("the terminal number gives %s, the 808 head %s", phone.c_str(), m.head.phone.value.c_str())});
}

void DecodeArgument(Frame& f, Tunnel& t) {
    const Field<std::string>& arg = *t.argument;
    switch (*t.messageId) {
    case jt808::kParmSet:
    case jt808::kPassThrough: {
        t.content = Tunnel::Content::kJt808;
        Bytes bytes;
        t.hexError = MessageBytes(arg, bytes, f.warnings);
        if (t.hexError) {
            f.warnings.push_back(*t.hexError);
            return;
        }
        t.jt808 = DecodeJt808(bytes.data(), bytes.size());
        LiftAll(f, *t.jt808, t.jt808->value.warnings, arg.offset, gp::kHexPerByte, "808 message");
        CheckMessage(f, t, t.jt808->value, arg.offset);
        return;
    }
    case jt808::kCircularArea:
        t.content = Tunnel::Content::kSettingText;
        t.circular = DecodeCircularText(arg.value);
        LiftAll(f, *t.circular, t.circular->value.warnings, arg.offset, 1, "key-2 text");
        return;
    case jt808::kParmQuery:
    case jt808::kTerminalControl:
    case jt808::kPositionQuery:
    case jt808::kTempTrack:
    case jt808::kAffirmAlarm:
        t.content = Tunnel::Content::kRequest;
        t.request = ExplainRequest(*t.messageId, arg.value);
        LiftAll(f, *t.request, {}, arg.offset, 1, "key-2 text");
        return;
    default:
        t.content = Tunnel::Content::kOther;
        f.warnings.push_back({t.messageIdText->offset, "unknown 808 message id",
                              Format("%04x is no message this system tunnels", *t.messageId)});
    }
}

}  // namespace

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void DecodeTunnel(Frame& f) {
    Tunnel& t = f.tunnel.emplace();
    // Indexed by key.
    std::optional<Field<std::string>>* slots[] = {&t.terminalNumber, &t.messageIdText, &t.argument};
    static const char* const kNames[] = {"terminal number", "808 message id", "argument"};
    for (const Parameter& p : f.parameters) {
        if (p.key.value > gp::kArgumentKey || p.kind.value != static_cast<std::uint8_t>(Kind::kText)) {
            f.warnings.push_back({p.offset, "unexpected record",
                                  Format("an 808 request carries texts under keys 0, 1 and 2, found key %u of kind %u",
                                         p.key.value, static_cast<unsigned>(p.kind.value))});
            continue;
        }
        auto& slot = *slots[p.key.value];
        if (slot)
            f.warnings.push_back({p.offset, "repeated key", Format("key %u appears more than once", p.key.value)});
        slot = Field<std::string>{p.raw.offset, p.raw.size, std::get<std::string>(p.value)};
    }
    const std::size_t params = f.offset + gp::kParametersAt;
    for (std::size_t k = gp::kTerminalKey; k <= gp::kArgumentKey; ++k)
        if (!*slots[k]) f.warnings.push_back({params, "missing key", Format("key %zu (%s) is missing", k, kNames[k])});
    if (t.messageIdText) {
        const std::string& text = t.messageIdText->value;
        unsigned id = 0;
        bool hex = !text.empty() && text.size() <= gp::kMessageIdDigits && text[0] != '0';
        for (char c : text) {
            hex = hex && HexDigit(c) >= 0 && !(c >= 'A' && c <= 'F');
            id = id << 4 | static_cast<unsigned>(HexDigit(c) & 0xf);
        }
        if (hex)
            t.messageId = static_cast<std::uint16_t>(id);
        else
            f.warnings.push_back({t.messageIdText->offset, "bad message id",
                                  "expected lower-case hex without leading zeros, found \"" + Printable(text) + "\""});
    }
    if (t.messageId && t.argument) DecodeArgument(f, t);
}

}  // namespace gpenc::inspect
