// The reference encoders: each frame is sized first, then written front to back
// into the caller's vector, grown once.
#include "Reference.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <system_error>

namespace gpenc::reference {
namespace {

unsigned char* Put16(unsigned char* d, std::uint32_t v) {
    d[0] = static_cast<unsigned char>(v >> 8);
    d[1] = static_cast<unsigned char>(v);
    return d + 2;
}

unsigned char* Put32(unsigned char* d, std::uint32_t v) {
    d[0] = static_cast<unsigned char>(v >> 24);
    d[1] = static_cast<unsigned char>(v >> 16);
    return Put16(d + 2, v);
}

unsigned char* PutBytes(unsigned char* d, const void* from, std::size_t n) {
    if (n != 0) std::memcpy(d, from, n);
    return d + n;
}

std::size_t ValueSize(const Param& p) {
    switch (p.kind) {
    case 1: return p.text.size();
    case 6: return 4;
    case 9: return 1;
    case 10: return 6;
    default: return 0;
    }
}

std::size_t RecordsSize(const Param* params, std::size_t count) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) size += 7 + ValueSize(params[i]);
    return size;
}

// Header and body of a frame whose parameter records take `paramsSize` bytes.
unsigned char* PutFrameHead(unsigned char* d, std::uint16_t command, const unsigned char (&session)[16],
                            std::size_t paramsSize) {
    *d++ = 'G';
    *d++ = 'P';
    d = Put16(d, 26);
    d = Put16(d, 1);
    d = PutBytes(d, session, 16);
    d = Put16(d, command);
    d = Put32(d, static_cast<std::uint32_t>(paramsSize));
    return Put16(d, 0);
}

unsigned char* PutRecordHead(unsigned char* d, std::uint16_t key, unsigned char kind, std::size_t valueSize) {
    d = Put32(d, static_cast<std::uint32_t>(7 + valueSize));
    d = Put16(d, key);
    *d++ = kind;
    return d;
}

unsigned char* PutRecord(unsigned char* d, const Param& p) {
    d = PutRecordHead(d, p.key, p.kind, ValueSize(p));
    switch (p.kind) {
    case 1: return PutBytes(d, p.text.data(), p.text.size());
    case 6: return Put32(d, p.number);
    case 9: *d = static_cast<unsigned char>(p.number); return d + 1;
    case 10: return PutBytes(d, p.six, 6);
    default: return d;
    }
}

// Value types of the JT/T 808 terminal parameters.
enum Type : unsigned char { kNone = 0, kString = 1, kWord = 2, kDword = 3, kByteArray = 8, kByte = 9 };

struct IdRange {
    std::uint32_t first, last;
    Type type;
};

constexpr IdRange kTypes[] = {
    {0x0001, 0x0007, kDword},  {0x0010, 0x0017, kString},    {0x0018, 0x0019, kDword},  {0x001A, 0x001A, kString},
    {0x001B, 0x001C, kDword},  {0x001D, 0x001D, kString},    {0x0020, 0x0022, kDword},  {0x0027, 0x0029, kDword},
    {0x002C, 0x0030, kDword},  {0x0031, 0x0031, kWord},      {0x0040, 0x0044, kString}, {0x0045, 0x0047, kDword},
    {0x0048, 0x0049, kString}, {0x0050, 0x005A, kDword},     {0x005B, 0x005E, kWord},   {0x0064, 0x0065, kDword},
    {0x0070, 0x0074, kDword},  {0x0080, 0x0080, kDword},     {0x0081, 0x0082, kWord},   {0x0083, 0x0083, kString},
    {0x0084, 0x0084, kByte},   {0x0090, 0x0092, kByte},      {0x0093, 0x0093, kDword},  {0x0094, 0x0094, kByte},
    {0x0095, 0x0095, kDword},  {0x0100, 0x0100, kDword},     {0x0101, 0x0101, kWord},   {0x0102, 0x0102, kDword},
    {0x0103, 0x0103, kWord},   {0x0110, 0x01FF, kByteArray},
};

Type TypeOf(std::uint32_t id) {
    for (const IdRange& r : kTypes)
        if (id >= r.first && id <= r.last) return r.type;
    return kNone;
}

// Bytes of the setting's value; 0 for an entry the message leaves out (no
// type, or an empty text) as well as for an empty byte array, hence `sent`.
std::size_t SettingValueSize(const Setting& s, bool& sent) {
    sent = true;
    switch (TypeOf(s.id)) {
    case kString: sent = !s.value->empty(); return s.value->size();
    case kWord: return 2;
    case kDword: return 4;
    case kByte: return 1;
    case kByteArray: return s.bytes->size();
    default: sent = false; return 0;
    }
}

unsigned char* PutSetting(unsigned char* d, const Setting& s, std::size_t size) {
    d = Put32(d, s.id);
    *d++ = static_cast<unsigned char>(size);
    const auto number = static_cast<std::uint32_t>(std::atoi(s.value->c_str()));
    switch (TypeOf(s.id)) {
    case kString: return PutBytes(d, s.value->data(), size);
    case kWord: return Put16(d, number);
    case kDword: return Put32(d, number);
    case kByte: *d = static_cast<unsigned char>(number); return d + 1;
    case kByteArray: return PutBytes(d, s.bytes->data(), size);
    default: return d;
    }
}

unsigned Nibble(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

// A command-0x33 frame whose key 0 is `terminalNo`, key 1 `msgId` and key 2 a
// message of `message` bytes as lower-case hexadecimal text. `write(dest)`
// writes the message; it goes into the back half of its hex text, which is
// then written front to back over it: byte i is read before digit 2i+1 lands.
template <class Write>
void HexFrame(const unsigned char (&session)[16], const std::string& terminalNo, std::string_view msgId,
              std::size_t message, Write&& write, Bytes& out) {
    const std::size_t paramsSize = 7 + terminalNo.size() + 7 + msgId.size() + 7 + 2 * message;
    out.resize(30 + paramsSize);
    unsigned char* d = PutFrameHead(out.data(), 0x33, session, paramsSize);
    d = PutRecord(d, Param::Text(0, terminalNo));
    d = PutRecord(d, Param::Text(1, msgId));
    d = PutRecordHead(d, 2, 1, 2 * message);
    write(d + message);
    static const char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < message; ++i) {
        const unsigned char b = d[message + i];
        d[2 * i] = static_cast<unsigned char>(kDigits[b >> 4]);
        d[2 * i + 1] = static_cast<unsigned char>(kDigits[b & 0x0F]);
    }
}

// The 12-byte head of a message with serial number 1: id, body length, the
// phone number as 12 BCD digits right-aligned and filled with '0'.
unsigned char* PutPhoneHead(unsigned char* d, std::uint16_t msgId, std::size_t bodySize, std::string_view phone) {
    d = Put16(d, msgId);
    d = Put16(d, static_cast<std::uint32_t>(bodySize));
    char digits[12];
    std::memset(digits, '0', sizeof digits);
    std::memcpy(digits + 12 - phone.size(), phone.data(), phone.size());
    for (int i = 0; i < 12; i += 2) *d++ = static_cast<unsigned char>(Nibble(digits[i]) << 4 | Nibble(digits[i + 1]));
    return Put16(d, 1);
}

// `text` in a field of `width` bytes: its last `width` bytes, or the text
// followed by "H", NUL, NUL, "H", ... up to the width.
unsigned char* Fitted(unsigned char* d, std::string_view text, std::size_t width) {
    if (text.size() >= width) return PutBytes(d, text.data() + text.size() - width, width);
    d = PutBytes(d, text.data(), text.size());
    for (std::size_t i = 0; i < width - text.size(); ++i) *d++ = i % 3 == 0 ? 'H' : 0;
    return d;
}

// One byte of packed BCD: the last two decimal digits of `v`, the nibbles of a
// negative value taken the truncating way (-1 gives 0x0F).
unsigned char Bcd(int v) {
    const int r = v % 100, t = r / 10;
    return static_cast<unsigned char>(((t * 6 + r) % 16 + 16) % 16 + 16 * t);
}

// Year (less 2000), month and day of `seconds` in the zone as it stands now,
// as BCD; zero bytes when the date cannot be had.
unsigned char* PutDate(unsigned char* d, std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    tzset();
    const bool known = localtime_r(&t, &local) != nullptr;
    d[0] = Bcd(known ? local.tm_year + 1900 - 2000 : -2000);
    d[1] = Bcd(known ? local.tm_mon + 1 : 0);
    d[2] = Bcd(known ? local.tm_mday : 0);
    return d + 3;
}

// The XOR of the bytes from `first` up to and including `last`.
unsigned char Xor(const unsigned char* first, const unsigned char* last) {
    unsigned char x = 0;
    for (const unsigned char* p = first; p <= last; ++p) x ^= *p;
    return x;
}

// Writes the items of the setting text, each followed by its separator, and
// stops writing, `full` set, where the room ends.
struct TextWriter {
    char* at;
    char* end;
    bool full = false;

    void Put(char c) {
        if (at == end) full = true;
        if (!full) *at++ = c;
    }
    void Chars(std::to_chars_result r, char separator) {
        if (r.ec != std::errc()) full = true;
        if (full) return;
        at = r.ptr;
        Put(separator);
    }
    void Number(unsigned long v, char separator) { Chars(std::to_chars(at, end, v), separator); }
    void Fixed6(double v) { Chars(std::to_chars(at, end, v, std::chars_format::fixed, 6), ','); }
    void Time(const unsigned char (&bcd)[6]) {
        static const char kDigits[] = "0123456789abcdef";
        for (int i = 0; i < 6; ++i) {
            Put(kDigits[bcd[i] >> 4]);
            Put(kDigits[bcd[i] & 0x0F]);
            Put(i < 5 ? '-' : ',');
        }
    }
};

}  // namespace

void GpFrame(std::uint16_t command, const unsigned char (&session)[16], const Param* params, std::size_t count,
             Bytes& out) {
    const std::size_t paramsSize = RecordsSize(params, count);
    out.resize(30 + paramsSize);
    unsigned char* d = PutFrameHead(out.data(), command, session, paramsSize);
    for (std::size_t i = 0; i < count; ++i) d = PutRecord(d, params[i]);
}

std::size_t ParameterSettingSize(const Setting* settings, std::size_t count) {
    std::size_t size = 12 + 1;
    bool sent;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t value = SettingValueSize(settings[i], sent);
        if (sent) size += 5 + value;
    }
    return size;
}

std::size_t ParameterSetting(std::string_view phone, const Setting* settings, std::size_t count, unsigned char* dest) {
    const std::size_t size = ParameterSettingSize(settings, count);
    unsigned char* d = PutPhoneHead(dest, 0x8103, size - 12, phone);
    unsigned char* countByte = d++;
    unsigned entries = 0;
    bool sent;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t value = SettingValueSize(settings[i], sent);
        if (!sent) continue;
        d = PutSetting(d, settings[i], value);
        ++entries;
    }
    *countByte = static_cast<unsigned char>(entries);
    return size;
}

void EquipSetList(const unsigned char (&session)[16], const std::string& terminalNo, const Setting* settings,
                  std::size_t count, Bytes& out) {
    const std::string_view phone = std::string_view(terminalNo).substr(terminalNo.size() - 12);
    HexFrame(
        session, terminalNo, "8103", ParameterSettingSize(settings, count),
        [&](unsigned char* d) { ParameterSetting(phone, settings, count, d); }, out);
}

std::size_t IcCardSize(const IcCard& card) { return card.extension ? 273 : 145; }

void IcCardMessage(const IcCard& card, unsigned char* dest) {
    const std::size_t size = IcCardSize(card);
    unsigned char* d = PutPhoneHead(dest, 0x8900, size - 12, card.phone);
    *d++ = 0xA0;
    d = Put16(d, 0);
    d = Put16(d, card.extension ? 0x0100 : 0x0080);
    d = Fitted(d, card.texts[0], 32);
    d = Fitted(d, card.texts[1], 18);
    d = PutDate(d, card.date);
    d = Fitted(d, card.texts[2], 18);
    d = Fitted(d, card.texts[3], 56);
    *d = Xor(dest + 17, dest + 143);
    if (!card.extension) return;
    unsigned char* ext = dest + 145;
    ext[0] = 0xA5;
    ext[1] = 0x5A;
    ext[2] = card.ext1;
    ext[3] = card.ext2;
    ext[4] = Xor(ext, ext + 3);
    d = ext + 5;
    for (std::string_view text : card.extTexts) {
        *d++ = static_cast<unsigned char>(text.size());
        d = PutBytes(d, text.data(), text.size());
    }
    std::memset(d, 0, static_cast<std::size_t>(dest + 272 - d));
    dest[272] = Xor(dest + 150, dest + 271);
}

void EquipSetIcCard(const unsigned char (&session)[16], const std::string& terminalNo, const IcCard& card, Bytes& out) {
    HexFrame(
        session, terminalNo, "8900", IcCardSize(card), [&](unsigned char* d) { IcCardMessage(card, d); }, out);
}

std::size_t CircularText(unsigned char setAttr, unsigned char count, const Area* areas, std::size_t n, char* dest,
                         std::size_t room) {
    TextWriter w{dest, dest + room};
    w.Number(setAttr, ';');
    w.Number(count, ';');
    for (std::size_t i = 0; i < n; ++i) {
        const Area& a = areas[i];
        w.Number(a.id, ',');
        w.Number(a.attr, ',');
        w.Fixed6(a.latitude);
        w.Fixed6(a.longitude);
        w.Number(a.radius, ',');
        if (a.attr & 1) {
            w.Time(a.start);
            w.Time(a.end);
        }
        if (a.attr & 2) {
            w.Number(a.maxSpeed, ',');
            w.Number(a.overSpeed, ',');
        }
    }
    if (w.full) return 0;
    return static_cast<std::size_t>(w.at - dest) - 1;  // without the last separator
}

void EquipAlarmSet(const unsigned char (&session)[16], const std::string& terminalNo, unsigned char setAttr,
                   unsigned char count, const Area* areas, std::size_t n, Bytes& out) {
    char text[4096];
    const std::size_t size = CircularText(setAttr, count, areas, n, text, sizeof text);
    GpFrame(0x33, session,
            {Param::Text(0, terminalNo), Param::Text(1, "8600"), Param::Text(2, std::string_view(text, size))}, out);
}

}  // namespace gpenc::reference
