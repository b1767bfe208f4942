// What the fuzz targets share: a reader that turns the fuzz bytes into record
// fields, and the check that stops the run on a broken promise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace gpenc::fuzz {

// Reads fields off the front of the input; past its end every field is zero or
// empty, so any input makes a whole record.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    std::uint32_t U32() { return Word() | static_cast<std::uint32_t>(Word()) << 16; }
    int Int() { return static_cast<int>(U32()); }
    std::int64_t Int64() { return static_cast<std::int64_t>(U32() | static_cast<std::uint64_t>(U32()) << 32); }
    double Double() {
        const std::uint64_t bits = U32() | static_cast<std::uint64_t>(U32()) << 32;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    // A length byte and that many bytes. A length byte of 255 is followed by a
    // word that adds to it, and what the input lacks is filled with digits: texts
    // beyond the 16-bit fields of the frame stay cheap to reach.
    std::string Text() {
        std::size_t length = Byte();
        if (length == 255) length += Word();
        std::string text;
        const std::size_t have = std::min(length, size_ - pos_);
        text.assign(reinterpret_cast<const char*>(data_ + pos_), have);
        pos_ += have;
        for (std::size_t i = have; i < length; ++i) text += static_cast<char>('0' + i % 10);
        return text;
    }
    std::vector<unsigned char> Blob() {
        const std::string t = Text();
        return std::vector<unsigned char>(t.begin(), t.end());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Stops the run (and so reports the input) when `holds` is false.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

}  // namespace gpenc::fuzz
