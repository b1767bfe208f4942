// The text helpers of Text.h.
#include "Text.h"

#include "core/Compiler.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace gpenc::detail {
namespace {

constexpr bool kWide16 = sizeof(wchar_t) == 2;  // UTF-16, as on Windows

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += "\xEF\xBF\xBD";  // U+FFFD
    }
}

}  // namespace

namespace {

constexpr HexPairs MakeHexPairs() {
    constexpr char kDigits[] = "0123456789abcdef";
    HexPairs table{};
    for (int b = 0; b < 256; ++b) {
        table.pairs[b][0] = kDigits[b >> 4];
        table.pairs[b][1] = kDigits[b & 0x0F];
    }
    return table;
}

}  // namespace

// Filled when the library is compiled, not when it is loaded.
const HexPairs kHexPairs = MakeHexPairs();

void AppendHex(std::string& out, const unsigned char* bytes, std::size_t n) {
    // A stack buffer at a time, appended whole: a resize would first fill
    // with zeros what the digits then overwrite.
    char digits[256];
    out.reserve(out.size() + 2 * n);
    while (n > 0) {
        const std::size_t chunk = (std::min)(n, sizeof digits / 2);
        // Four bytes a round: 6 instructions a byte become about 4 (the hex
        // of an IC-card message, 145 bytes, 870 instructions then 560).
#if GPENC_HAVE(PRAGMA_GCC_UNROLL)
#  pragma GCC unroll 4
#endif
        for (std::size_t i = 0; i < chunk; ++i) WriteHex(digits + 2 * i, bytes[i]);
        out.append(digits, 2 * chunk);
        bytes += chunk;
        n -= chunk;
    }
}

namespace {

// `value` with six decimals, as "%.6f" writes it in the classic locale: the
// exact binary value rounded to the nearest, a tie to the even digit, and
// the sign of a negative value kept (-0.000000). Written here for values
// below 2^32 in magnitude (every coordinate), which to_chars formats through
// its general tables at about 580 instructions; this takes about 60. False
// for any other value, which is left to to_chars.
bool Fixed6Small(double value, char*& out) {
#if GPENC_HAVE(INT128)
    const double magnitude = std::fabs(value);
    if (!(magnitude < 4294967296.0)) return false;  // NaN and infinities too
    // magnitude = mantissa * 2^-shift exactly, read off the IEEE 754 fields.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int field = static_cast<int>(bits >> 52);  // the sign is clear
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (field != 0) mantissa |= std::uint64_t{1} << 52;  // a normal number's leading 1
    const int shift = field != 0 ? 1075 - field : 1074;  // at least 21, below 2^32
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 1000000u;  // below 2^73
    std::uint64_t units = 0;  // magnitude in millionths, rounded
    if (shift < 74) {
        units = static_cast<std::uint64_t>(scaled >> shift);
        const unsigned __int128 rest = scaled - (static_cast<unsigned __int128>(units) << shift);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (rest > half || (rest == half && (units & 1) != 0)) ++units;
    }  // else below half a millionth: 0
    if (std::signbit(value)) *out++ = '-';
    out = std::to_chars(out, out + 11, units / 1000000).ptr;
    *out++ = '.';
    std::uint64_t decimals = units % 1000000;
    for (int i = 5; i >= 0; --i, decimals /= 10) out[i] = static_cast<char>('0' + decimals % 10);
    out += 6;
    return true;
#else
    (void)value;
    (void)out;
    return false;
#endif
}

}  // namespace

char* WriteFixed6(char* out, double value) {
    if (Fixed6Small(value, out)) return out;
    return std::to_chars(out, out + kFixed6Room, value, std::chars_format::fixed, 6).ptr;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto c = static_cast<char32_t>(wide[i]);
        const auto next = i + 1 < wide.size() ? static_cast<char32_t>(wide[i + 1]) : 0;
        if (kWide16 && c >= 0xD800 && c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

void AppendWide(std::wstring& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + len <= utf8.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<unsigned char>(utf8[i + k]);
            ok = (cb & 0xC0) == 0x80;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += static_cast<wchar_t>(b);
        } else if (kWide16 && c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += ok ? len : std::size_t{1};
    }
}

}  // namespace gpenc::detail
