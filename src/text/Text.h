// Text helpers shared by the library and the tool (the static library
// gpenc_text): lower-case hex, numbers with six decimals, and UTF-8 to and
// from wide text. The inspector keeps its own, so that the two check each other.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace gpenc::detail {

// Appends the `n` bytes at `bytes` as lower-case hex digits, two a byte.
void AppendHex(std::string& out, const unsigned char* bytes, std::size_t n);

// The two lower-case hex digits of every byte value, for WriteHex.
struct HexPairs {
    char pairs[256][2];
};
extern const HexPairs kHexPairs;

// Writes `byte` as two lower-case hex digits at `out`: one copy from a table
// of pairs, about half the instructions of two digit lookups.
inline void WriteHex(char* out, unsigned char byte) { std::memcpy(out, kHexPairs.pairs[byte], 2); }

// The value of hex digit `c` (either case), or -1 for any other character.
inline int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The room WriteFixed6 may take: the largest double's 309 digits, a sign,
// the point and six decimals.
inline constexpr std::size_t kFixed6Room = 317;

// Writes `value` with six decimals at `out` (room for kFixed6Room characters)
// and returns the end: what printf's "%.6f" writes in the classic locale,
// whatever the process's locale.
char* WriteFixed6(char* out, double value);

// Wide text as UTF-8. Where wchar_t is 16 bits (Windows) a surrogate pair is
// one character; a lone surrogate is written as it stands, and a value past
// U+10FFFF becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// Appends UTF-8 text to `out` as wide text, with surrogate pairs where wchar_t
// is 16 bits. A byte that does not start a whole, well-formed sequence stands
// for itself (as the character of that value), so no byte of a caller's text
// is lost.
void AppendWide(std::wstring& out, std::string_view utf8);

inline std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    AppendWide(out, utf8);
    return out;
}

}  // namespace gpenc::detail
