#include "Hex.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace gpenc::test {

std::vector<unsigned char> Hex(const std::string& text) {
    std::vector<unsigned char> out;
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("bad hex: " + text);
        const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<unsigned char>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd hex: " + text);
    return out;
}

std::string ToHex(const std::vector<unsigned char>& bytes) {
    std::string s;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, s.empty() ? "%02x" : " %02x", c);
        s += b;
    }
    return s;
}

std::string Times(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

std::vector<unsigned char> Repeat(const std::string& hex, int n) { return Hex(Times(hex, n)); }

}  // namespace gpenc::test
