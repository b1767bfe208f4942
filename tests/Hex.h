// Test support: byte vectors written as hexadecimal text ("47 50 00 1a").
#pragma once

#include <string>
#include <vector>

namespace gpenc::test {

// Reads pairs of hexadecimal digits, skipping blanks.
std::vector<unsigned char> Hex(const std::string& text);
// Renders bytes as "47 50 00 1a", for readable failure messages.
std::string ToHex(const std::vector<unsigned char>& bytes);
// `text` written `n` times.
std::string Times(const std::string& text, int n);
// The same bytes repeated `n` times.
std::vector<unsigned char> Repeat(const std::string& hex, int n);

}  // namespace gpenc::test
