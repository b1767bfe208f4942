// The bounds-checked cursor, problem wording and byte-to-text helpers.
#include "Reader.h"

#include <cstdarg>
#include <cstdio>

namespace gpenc::inspect {

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, again);
    va_end(again);
    return out;
}

std::string Problem::Describe() const { return Format("%s at offset %zu: %s", what.c_str(), offset, detail.c_str()); }

bool Reader::Need(std::size_t n, const char* what) {
    if (error_) return false;
    if (n <= Left()) return true;
    error_ = Problem{Offset(), truncated_, Format("%s needs %zu bytes, %zu left", what, n, Left())};
    return false;
}

bool Reader::Raw(Field<Bytes>& field, std::size_t n, const char* what) {
    if (!Need(n, what)) return false;
    field = {Offset(), n, Bytes(data_ + pos_, data_ + pos_ + n)};
    pos_ += n;
    return true;
}

std::string HexBytes(const std::uint8_t* data, std::size_t size, std::size_t limit) {
    std::string out;
    char b[4];
    for (std::size_t i = 0; i < size && i < limit; ++i) {
        std::snprintf(b, sizeof b, i ? " %02x" : "%02x", data[i]);
        out += b;
    }
    if (size > limit) out += " ...";
    return out;
}

std::string HexRun(const Bytes& b) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t v : b) {
        out += kDigits[v >> 4];
        out += kDigits[v & 0x0f];
    }
    return out;
}

std::string Printable(std::string_view bytes) {
    std::string out;
    char b[8];
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (u >= 0x20 && u < 0x7f) {
            out += c;
        } else {
            std::snprintf(b, sizeof b, "\\x%02x", u);
            out += b;
        }
    }
    return out;
}

}  // namespace gpenc::inspect
