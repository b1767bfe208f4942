// Decoding of JT/T 808 messages as this system emits them: head, 0x8103
// parameter entries (structured values field by field) and the 0x8900 IC-card
// layouts.
#include "Layout.h"
#include "Reader.h"

namespace gpenc::inspect {
namespace {

constexpr const char* kTruncated = "808 message truncated";
constexpr const char* kShortBody = "808 body too short";

void Warn(std::vector<Problem>& warnings, std::size_t offset, const char* what, std::string detail) {
    warnings.push_back({offset, what, std::move(detail)});
}

bool Bcd(std::uint8_t b, int& value) {
    if ((b >> 4) > 9 || (b & 0x0f) > 9) return false;
    value = (b >> 4) * 10 + (b & 0x0f);
    return true;
}

std::string PhoneDigits(const Field<Bytes>& bcd, std::vector<Problem>& warnings) {
    static const char kDigits[] = "0123456789abcdef";
    std::string digits;
    for (std::size_t i = 0; i < bcd.value.size(); ++i) {
        const std::uint8_t b = bcd.value[i];
        digits += kDigits[b >> 4];
        digits += kDigits[b & 0x0f];
        int ignored;
        if (!Bcd(b, ignored))
            Warn(warnings, bcd.offset + i, "phone number not BCD",
                 Format("expected two decimal digits, found %02x", b));
    }
    return digits;
}

std::uint32_t BigEndian(const Bytes& b) {
    std::uint32_t v = 0;
    for (std::uint8_t x : b) v = v << 8 | x;
    return v;
}

void TypeValue(ParamEntry& e, std::vector<Problem>& warnings) {
    const Bytes& raw = e.raw.value;
    std::size_t width = 0;
    switch (e.info.type) {
    case ParamType::kNone:
        Warn(warnings, e.id.offset, "unknown parameter",
             Format("0x%04x is not a terminal parameter id", static_cast<unsigned>(e.id.value)));
        return;
    case ParamType::kString:
        if (raw.empty()) Warn(warnings, e.length.offset, "empty text", "a STRING parameter needs at least 1 byte");
        e.value = std::string(raw.begin(), raw.end());
        return;
    case ParamType::kBytes:
        if (!e.info.size || raw.size() == e.info.size) {
            e.value = raw;
            return;
        }
        width = e.info.size;
        break;
    case ParamType::kWord: width = jt808::kWordSize; break;
    case ParamType::kDword: width = jt808::kDwordSize; break;
    case ParamType::kByte: width = jt808::kByteSize; break;
    }
    if (raw.size() != width) {
        Warn(warnings, e.length.offset, "bad parameter length",
             Format("a %s parameter is %zu bytes, found %zu",
                    e.info.size ? Format("BYTE[%zu]", e.info.size).c_str() : ParamTypeName(e.info.type), width,
                    raw.size()));
        return;
    }
    e.value = BigEndian(raw);
}

std::size_t Width(const LayoutField* fields, std::size_t count) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < count; ++i) n += fields[i].width;
    return n;
}

// `f` read from `raw` at `at`, with the text the renderings show for it.
ParamField ReadField(const LayoutField& f, std::size_t entry, const Field<Bytes>& raw, std::size_t at) {
    ParamField p;
    p.def = &f;
    p.entry = entry;
    const std::uint8_t* first = raw.value.data() + at;
    p.raw = {raw.offset + at, f.width, Bytes(first, first + f.width)};
    const Bytes& b = p.raw.value;
    const auto name = [&f](std::uint32_t i) -> std::string { return i < f.nameCount && *f.names[i] ? f.names[i] : ""; };
    switch (f.show) {
    case FieldShow::kNumber:
        p.number = BigEndian(b);
        p.shown = std::to_string(p.number);
        p.meaning = name(p.number);
        break;
    case FieldShow::kFlags:
        p.number = BigEndian(b);
        p.shown = Format("0x%0*x", static_cast<int>(2 * f.width), static_cast<unsigned>(p.number));
        if (!f.names) break;
        for (std::uint32_t bit = 0; bit < 8 * f.width; ++bit) {
            if (!(p.number >> bit & 1)) continue;
            const std::string n = name(bit);
            p.meaning += (p.meaning.empty() ? "" : ", ") + (n.empty() ? Format("bit %u", bit) : n);
        }
        if (!p.number) p.meaning = "none";
        break;
    case FieldShow::kBcd: {
        p.shown = Format("%02x:%02x", b[0], b[1]);
        int ignored;
        if (!Bcd(b[0], ignored) || !Bcd(b[1], ignored)) p.meaning = "not BCD";
        break;
    }
    case FieldShow::kBytes: p.shown = HexBytes(b); break;
    case FieldShow::kText: p.shown = "\"" + Printable(b) + "\""; break;
    }
    return p;
}

// Reads a value with a layout field by field. A value of entries must hold its
// counts and as many entries as they give; one that does not is left as bytes.
void ReadLayout(ParamEntry& e, std::vector<Problem>& warnings) {
    const ParamLayout* l = FindLayout(e.id.value);
    if (!l || std::holds_alternative<std::monostate>(e.value)) return;
    const Field<Bytes>& raw = e.raw;
    const std::size_t head = Width(l->head, l->headCount), size = raw.value.size();
    std::size_t entries = 0;
    if (l->counts) {
        if (size < head) {
            Warn(warnings, e.length.offset, "bad parameter length",
                 Format("the %s counts take %zu bytes, found %zu", l->entryName, head, size));
            e.value = {};
            return;
        }
        for (std::size_t i = 0; i < l->counts; ++i) entries += raw.value[i];
        const std::size_t width = Width(l->entry, l->entryCount), want = head + entries * width;
        if (size != want) {
            Warn(warnings, e.length.offset, "bad parameter length",
                 Format("the counts give %zu %s%s of %zu bytes, %zu bytes with the counts; found %zu", entries,
                        l->entryName, entries == 1 ? "" : "s", width, want, size));
            e.value = {};
            return;
        }
    }
    std::size_t at = 0;
    for (std::size_t i = 0; i < l->headCount; at += l->head[i++].width)
        e.fields.push_back(ReadField(l->head[i], 0, raw, at));
    for (std::size_t n = 1; n <= entries; ++n)
        for (std::size_t i = 0; i < l->entryCount; at += l->entry[i++].width)
            e.fields.push_back(ReadField(l->entry[i], n, raw, at));
    e.layout = l;
}

bool DecodeParamSetting(Reader& b, Jt808Message& m) {
    ParamSetting& ps = m.paramSetting.emplace();
    if (!b.Uint(ps.count, 1, "parameter count")) return false;
    const unsigned count = ps.count.value;
    for (unsigned i = 1; i <= count; ++i) {
        ParamEntry e;
        e.offset = b.Offset();
        const std::string id = Format("entry %u of %u: parameter id", i, count);
        const std::string length = Format("entry %u of %u: value length", i, count);
        const std::string value = Format("entry %u of %u: value", i, count);
        if (!b.Uint(e.id, jt808::kParamIdSize, id.c_str()) ||
            !b.Uint(e.length, jt808::kParamLengthSize, length.c_str()) || !b.Raw(e.raw, e.length.value, value.c_str()))
            return false;
        e.info = LookupParameter(e.id.value, m.head.Edition());
        // An active-safety id reads as the extension's only in its length;
        // otherwise it may be any vendor's own.
        if (const ParamInfo x = LookupExtension(e.id.value);
            e.info.type == ParamType::kNone && x.size == e.raw.value.size())
            e.info = x;
        TypeValue(e, m.warnings);
        ReadLayout(e, m.warnings);
        ps.entries.push_back(std::move(e));
    }
    if (b.Left())
        Warn(m.warnings, b.Offset(), "bytes after the last entry",
             Format("the count gives %u entries, %zu bytes follow them", count, b.Left()));
    return true;
}

// A fixed-width text with the short-text filler ("H", NUL, NUL, "H", ...)
// taken off its end.
bool ReadCardText(Reader& b, CardText& t, std::size_t width, const char* what) {
    if (!b.Raw(t.raw, width, what)) return false;
    const Bytes& raw = t.raw.value;
    std::size_t start = 0;
    for (; start < raw.size(); ++start) {
        bool filler = true;
        for (std::size_t i = start; i < raw.size() && filler; ++i)
            filler = raw[i] == ((i - start) % 3 == 0 ? 'H' : '\0');
        if (filler) break;
    }
    t.text.assign(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(start));
    t.fill = raw.size() - start;
    return true;
}

bool ReadDate(Reader& b, CardDate& d, std::vector<Problem>& warnings) {
    if (!b.Array(d.bcd, "card date")) return false;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int y = 0, m = 0, day = 0;
    d.valid = Bcd(d.bcd.value[0], y) && Bcd(d.bcd.value[1], m) && Bcd(d.bcd.value[2], day) && m >= 1 && m <= 12 &&
              day >= 1 && day <= kDays[m - 1] && (m != 2 || day < 29 || y % 4 == 0);
    d.year = card::kFirstYear + y;
    d.month = m;
    d.day = day;
    if (!d.valid)
        Warn(warnings, d.bcd.offset, "bad card date",
             Format("expected BCD year, month and day, found %s",
                    HexBytes(d.bcd.value.data(), d.bcd.value.size()).c_str()));
    return true;
}

bool ReadCheck(Reader& b, CheckByte& c, const std::uint8_t* message, std::size_t first, const char* what,
               std::vector<Problem>& warnings) {
    if (!b.Uint(c.stored, 1, what)) return false;
    c.first = first;
    c.last = c.stored.offset - 1;
    c.computed = 0;
    for (std::size_t i = first; i <= c.last; ++i) c.computed ^= message[i];
    c.matches = c.computed == c.stored.value;
    if (!c.matches)
        Warn(warnings, c.stored.offset, "check byte mismatch",
             Format("the XOR of offsets %zu to %zu is %02x, found %02x", c.first, c.last, c.computed, c.stored.value));
    return true;
}

void ExpectByte(const Field<std::uint8_t>& f, std::uint8_t want, const char* what, std::vector<Problem>& warnings) {
    if (f.value != want) Warn(warnings, f.offset, what, Format("expected %02x, found %02x", want, f.value));
}

bool DecodeExtension(Reader& b, CardExtension& x, const std::uint8_t* message, std::size_t bodyAt,
                     std::vector<Problem>& warnings) {
    if (!b.Uint(x.mark1, 1, "extension mark") || !b.Uint(x.mark2, 1, "extension mark") ||
        !b.Uint(x.ext1, 1, "extension byte 1") || !b.Uint(x.ext2, 1, "extension byte 2"))
        return false;
    ExpectByte(x.mark1, card::kExtensionMark[0], "bad extension mark", warnings);
    ExpectByte(x.mark2, card::kExtensionMark[1], "bad extension mark", warnings);
    if (!ReadCheck(b, x.check2, message, x.mark1.offset, "check byte 2", warnings)) return false;
    const std::size_t textsStart = b.Offset();
    for (LengthText& t : x.texts)
        if (!b.Uint(t.length, 1, "extension text length") || !b.Raw(t.raw, t.length.value, "extension text"))
            return false;
    const std::size_t tail = bodyAt + card::kTailCheck;
    if (b.Offset() > tail) {
        b.Fail({textsStart, "IC-card extension texts overrun",
                Format("the three texts with their lengths take %zu bytes, %zu fit before the check byte at %zu",
                       b.Offset() - textsStart, tail - textsStart, tail)});
        return false;
    }
    Field<Bytes> fill;
    if (!b.Raw(fill, tail - b.Offset(), "zero fill")) return false;
    x.zeroFill = {fill.offset, fill.size, 0};
    for (std::uint8_t v : fill.value) x.zeroFill.value += v != 0;
    if (x.zeroFill.value)
        Warn(warnings, fill.offset, "fill not zero",
             Format("%zu of %zu fill bytes are not zero", x.zeroFill.value, fill.size));
    return ReadCheck(b, x.check3, message, textsStart, "check byte 3", warnings);
}

bool DecodeIcCard(Reader& b, Jt808Message& m, const std::uint8_t* message) {
    IcCard& c = m.icCard.emplace();
    const std::size_t bodyAt = b.Offset();
    auto& w = m.warnings;
    if (!b.Uint(c.type, 1, "data type") || !b.Uint(c.zero, card::kZeroSize, "IC-card zero word") ||
        !b.Uint(c.dataLength, card::kDataLengthSize, "IC-card data length"))
        return false;
    if (c.zero.value != 0)
        Warn(w, c.zero.offset, "bad IC-card word", Format("expected 0000, found %04x", c.zero.value));
    const std::uint16_t length = c.dataLength.value;
    if (length != card::kStandardData && length != card::kExtensionData) {
        Warn(
            w, c.dataLength.offset, "unknown IC-card layout",
            Format("expected data length %04x or %04x, found %04x", card::kStandardData, card::kExtensionData, length));
        return true;
    }
    if (length != b.Left())
        Warn(w, c.dataLength.offset, "IC-card data length disagrees",
             Format("it gives %u bytes, the body holds %zu after it", length, b.Left()));
    const std::size_t dataStart = b.Offset();
    const bool read = ReadCardText(b, c.text1, card::kText1Width, "card text 1") &&
                      ReadCardText(b, c.text2, card::kText2Width, "card text 2") && ReadDate(b, c.date, w) &&
                      ReadCardText(b, c.text3, card::kText3Width, "card text 3") &&
                      ReadCardText(b, c.text4, card::kText4Width, "card text 4") &&
                      ReadCheck(b, c.check1, message, dataStart, "check byte 1", w);
    if (!read) return false;
    if (length == card::kExtensionData) return DecodeExtension(b, c.extension.emplace(), message, bodyAt, w);
    return true;
}

}  // namespace

Decoded<Jt808Message> DecodeJt808(const std::uint8_t* data, std::size_t size) {
    Decoded<Jt808Message> out;
    Jt808Message& m = out.value;
    m.size = size;
    Reader r(data, size, 0, kTruncated);
    Field<std::uint16_t> word;
    if (!r.Uint(m.head.messageId, jt808::kMessageId.size, "message id") ||
        !r.Uint(word, jt808::kProperties.size, "body properties")) {
        out.error = r.Error();
        return out;
    }
    // The version flag says which head this is; the head counts once all of it is read.
    const std::uint16_t w = word.value;
    const bool v2019 = (w & jt808::kVersionFlag) != 0;
    const std::uint16_t reserved = v2019 ? jt808::kReservedBit2019 : jt808::kReservedBits;
    Field<std::uint8_t> version;
    Field<Bytes> phone;
    if ((v2019 && !r.Uint(version, jt808::kVersion2019.size, "protocol version")) ||
        !r.Raw(phone, v2019 ? jt808::kPhone2019.size : jt808::kPhone.size, "phone number") ||
        !r.Uint(m.head.serial, jt808::kSerial.size, "serial number")) {
        out.error = r.Error();
        return out;
    }
    m.head.properties = {
        word.offset, word.size,
        BodyProperties{
            w, static_cast<std::uint16_t>(w & jt808::kBodyLengthBits),
            static_cast<std::uint8_t>((w & jt808::kEncryptionBits) >> jt808::kEncryptionShift),
            (w & jt808::kSubpackageBit) != 0,
            static_cast<std::uint8_t>((w & reserved) >> (v2019 ? jt808::kReservedShift2019 : jt808::kReservedShift)),
            v2019}};
    if (v2019) m.head.protocolVersion = version;
    m.head.size = v2019 ? jt808::kHeadSize2019 : jt808::kHeadSize;
    const BodyProperties& p = m.head.properties.value;
    if (p.encryption || p.subpackage || p.reserved)
        Warn(m.warnings, word.offset, "unexpected body property bits",
             Format("expected encryption, sub-package and reserved bits 0, found %04x",
                    w & (jt808::kEncryptionBits | jt808::kSubpackageBit | reserved)));
    m.head.phone = {phone.offset, phone.size, PhoneDigits(phone, m.warnings)};

    if (!r.Raw(m.body, p.bodyLength, "body")) {
        out.error = r.Error();
        return out;
    }
    if (r.Left())
        Warn(m.warnings, r.Offset(), "bytes after the body",
             Format("the body length is %u, %zu bytes follow the body", p.bodyLength, r.Left()));

    Reader body(m.body.value.data(), m.body.value.size(), m.head.size, kShortBody);
    bool sound = true;
    if (m.head.messageId.value == jt808::kParmSet) {
        sound = DecodeParamSetting(body, m);
    } else if (m.head.messageId.value == jt808::kPassThrough && !m.body.value.empty() &&
               m.body.value[0] == card::kTag) {
        sound = DecodeIcCard(body, m, data);
    }
    if (!sound) out.error = body.Error();
    return out;
}

}  // namespace gpenc::inspect
