// A bounds-checked big-endian cursor: the only way the decoders touch input bytes.
#pragma once

#include "gpenc/Inspect.h"

#include <string>

namespace gpenc::inspect {

// MinGW checks against its C99 printf (the build asks for it), not msvcrt's.
// Visual C++ has no such attribute; GPENC_PORTABLE builds as it does.
#if defined(GPENC_PORTABLE) || !defined(__GNUC__)
std::string Format(const char* fmt, ...);
#elif defined(__MINGW_PRINTF_FORMAT)
std::string Format(const char* fmt, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
#else
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#endif

class Reader {
public:
    // Reads `size` bytes at `data`, which stand at `origin` in the input.
    // `truncated` names the problem when a read runs past the end
    // ("frame truncated").
    Reader(const std::uint8_t* data, std::size_t size, std::size_t origin, std::string truncated)
        : data_(data), size_(size), origin_(origin), truncated_(std::move(truncated)) {}

    std::size_t Offset() const { return origin_ + pos_; }
    std::size_t Left() const { return size_ - pos_; }
    const std::uint8_t* Here() const { return data_ + pos_; }
    const std::optional<Problem>& Error() const { return error_; }

    // Each read fills `field` and returns true, or records "needs N bytes, L
    // left" with `what` and returns false without moving.
    template <class T>
    bool Uint(Field<T>& field, std::size_t width, const char* what) {
        if (!Need(width, what)) return false;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) v = v << 8 | data_[pos_ + i];
        field = {Offset(), width, static_cast<T>(v)};
        pos_ += width;
        return true;
    }
    bool Raw(Field<Bytes>& field, std::size_t n, const char* what);
    template <std::size_t N>
    bool Array(Field<std::array<std::uint8_t, N>>& field, const char* what) {
        if (!Need(N, what)) return false;
        field.offset = Offset();
        field.size = N;
        for (std::size_t i = 0; i < N; ++i) field.value[i] = data_[pos_ + i];
        pos_ += N;
        return true;
    }
    bool Need(std::size_t n, const char* what);
    void Fail(Problem problem) { error_ = std::move(problem); }
    // A truncation found by the caller, worded like the reads' own.
    void FailShort(std::size_t offset, std::string detail) { Fail({offset, truncated_, std::move(detail)}); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t origin_;
    std::size_t pos_ = 0;
    std::string truncated_;
    std::optional<Problem> error_;
};

// "47 50 00 1a", at most `limit` bytes and then " ...".
std::string HexBytes(const std::uint8_t* data, std::size_t size, std::size_t limit = SIZE_MAX);
inline std::string HexBytes(const Bytes& b, std::size_t limit = SIZE_MAX) {
    return HexBytes(b.data(), b.size(), limit);
}
// "47501a": the bytes as one run of lower-case hex digits.
std::string HexRun(const Bytes& b);
// Printable ASCII as it is, backslash doubled, every other byte as \xNN.
std::string Printable(std::string_view bytes);
inline std::string Printable(const Bytes& b) {
    return Printable(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

}  // namespace gpenc::inspect
