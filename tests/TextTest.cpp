// The text helpers the library's log and the tool share: wide text to UTF-8
// and back, byte for byte, as a UNICODE build writes its records; numbers with
// six decimals, as printf writes them.
#include "Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace {

using gpenc::detail::Utf8ToWide;
using gpenc::detail::WideToUtf8;

// Row: wide text, its UTF-8. Each holds whether wchar_t is 16 or 32 bits.
struct Both {
    std::wstring wide;
    std::string utf8;
};

TEST(TextTest, WideAndUtf8BothWays) {
    const Both rows[] = {
        {L"", ""},
        {L"A~", "A~"},
        {L"\u00E9\u07FF", "\xC3\xA9\xDF\xBF"},
        {L"\u0800\u4E2D\uFFFD", "\xE0\xA0\x80\xE4\xB8\xAD\xEF\xBF\xBD"},
        {L"x\U0001F600y\U0010FFFF", "x\xF0\x9F\x98\x80y\xF4\x8F\xBF\xBF"},
    };
    for (const Both& r : rows) {
        EXPECT_EQ(WideToUtf8(r.wide), r.utf8) << r.utf8;
        EXPECT_EQ(Utf8ToWide(r.utf8), r.wide) << r.utf8;
    }
}

TEST(TextTest, WideOutsideUnicode) {
    // A lone surrogate is written as it stands.
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD800), L'a'}), "\xED\xA0\x80" "a");
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xDC00)}), "\xED\xB0\x80");
    if (sizeof(wchar_t) == 4) {  // only a 32-bit wchar_t holds a value past U+10FFFF
        EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0x110000), L'b'}), "\xEF\xBF\xBD" "b");
    }
}

// Row: UTF-8 that is not whole or well formed, and the wide units it becomes:
// each such byte stands for itself.
struct Broken {
    std::string utf8;
    std::wstring wide;
};

TEST(TextTest, BrokenUtf8KeepsEveryByte) {
    const Broken rows[] = {
        {"\xFF", {wchar_t(0xFF)}},
        {"a\xC3", {L'a', wchar_t(0xC3)}},
        {"\xE4\xB8", {wchar_t(0xE4), wchar_t(0xB8)}},
        {"\xE4" "A\xAD", {wchar_t(0xE4), L'A', wchar_t(0xAD)}},
        {"\xF0\x9F\x98", {wchar_t(0xF0), wchar_t(0x9F), wchar_t(0x98)}},
        {"\x80\xC3\xA9", {wchar_t(0x80), wchar_t(0xE9)}},
    };
    for (const Broken& r : rows) EXPECT_EQ(Utf8ToWide(r.utf8), r.wide) << r.utf8.size();
    std::wstring out = L"kept";
    gpenc::detail::AppendWide(out, "\xE4\xB8\xAD");
    EXPECT_EQ(out, L"kept\u4E2D");
}

std::string Fixed6(double value) {
    char text[gpenc::detail::kFixed6Room];
    return std::string(text, gpenc::detail::WriteFixed6(text, value));
}

TEST(TextTest, SixDecimalsRoundAsPrintfDoes) {
    const std::pair<double, const char*> cases[] = {
        {0.0078125, "0.007812"},            // 2^-7: a tie, to the even digit
        {0.0234375, "0.023438"},            // 3 * 2^-7: a tie, up to the even digit
        {-0.0, "-0.000000"},                {-4e-7, "-0.000000"},  // the sign kept
        {6e-7, "0.000001"},                 {5e-324, "0.000000"},
        {4294967295.9999995, "4294967296.000000"},
        {4294967296.0, "4294967296.000000"},  // from here to_chars formats it
        {-179.9999995, "-180.000000"}, {32.041544, "32.041544"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(Fixed6(value), expected) << value;
    // printf's own rounding is the reference for any other value.
    std::uint64_t bits = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 3000; ++i) {
        bits = bits * 6364136223846793005u + 1442695040888963407u;
        const double value = std::ldexp(static_cast<double>(bits >> 11), -static_cast<int>(bits % 80)) *
                             ((bits & 0x100) != 0 ? -1 : 1);
        char expected[400];
        std::snprintf(expected, sizeof expected, "%.6f", value);
        ASSERT_EQ(Fixed6(value), expected) << value;
    }
}

}  // namespace
