// The one way bytes go into a byte vector, for the GP frame and the JT/T 808
// encoder alike: appended at the end, most significant byte first, with a
// position handed out earlier patched or taken back to.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace gpenc::detail {

using Bytes = std::vector<unsigned char>;

// Writes into one vector, front to back. Nothing else in the library puts
// bytes into a vector, takes a pointer or iterator into one to write, or
// shortens one that holds a message.
class Writer {
public:
    explicit Writer(Bytes& out) noexcept : out_(out) {}

    // Where the next byte goes: a position to patch or take back to later.
    std::size_t At() const noexcept { return out_.size(); }
    const Bytes& Written() const noexcept { return out_; }

    // Room for `n` bytes more, made once: exactly that for an empty vector (a
    // single message takes one allocation), else at least twice the capacity,
    // so that appending message after message to one vector costs linear time.
    void Room(std::size_t n) {
        const std::size_t needed = out_.size() + n;
        if (needed > out_.capacity()) out_.reserve(out_.empty() ? needed : (std::max)(needed, 2 * out_.capacity()));
    }

    // The low `N` bytes of `value`, most significant first, as one range
    // insert: a push_back a byte cost more even for a field of two bytes (a
    // UserLogin frame took 2,913 instructions with one push_back a byte, 2,241 so).
    template <std::size_t N>
    void Be(std::uint32_t value) {
        unsigned char b[N];
        Store<N>(b, value);
        Raw(b, N);
    }
    void U8(unsigned char value) { out_.push_back(value); }
    void U16(std::uint32_t value) { Be<2>(value); }
    void U32(std::uint32_t value) { Be<4>(value); }

    // Bytes as they stand: a field, a text, another message.
    void Raw(const unsigned char* bytes, std::size_t n) { out_.insert(out_.end(), bytes, bytes + n); }
    void Raw(std::string_view text) { Raw(reinterpret_cast<const unsigned char*>(text.data()), text.size()); }
    void Raw(const Bytes& bytes) { Raw(bytes.data(), bytes.size()); }

    // Bytes before everything written so far: the one step that puts a text
    // in front of what a caller's vector holds.
    void Front(std::string_view text) { out_.insert(out_.begin(), text.begin(), text.end()); }

    // Overwrites `n` bytes (one, with the byte form) at position `at`, which
    // At() handed out before those bytes were written.
    void Patch(std::size_t at, const unsigned char* bytes, std::size_t n) { std::copy(bytes, bytes + n, &out_[at]); }
    void Patch(std::size_t at, unsigned char byte) { out_[at] = byte; }

    // Takes back everything written since position `at`. Cutting a vector back
    // neither throws nor copies.
    void Back(std::size_t at) noexcept { out_.resize(at); }

    // Stores the low `N` bytes of `value` at `dest`, most significant first:
    // for the few fixed parts composed aside before they are written.
    template <std::size_t N>
    static void Store(unsigned char* dest, std::uint32_t value) {
        static_assert(N >= 1 && N <= 4, "fields are one to four bytes wide");
        for (std::size_t i = 0; i < N; ++i) dest[i] = static_cast<unsigned char>(value >> (8 * (N - 1 - i)));
    }

private:
    Bytes& out_;
};

// What a builder writes at the end of `out`: unless Keep() is called, the
// writer goes back to where it began, on a failure and on any exception alike
// (std::bad_alloc included), so what `out` held is never copied; only its
// capacity may have grown.
// D1: a builder that fails leaves `out` as it was, bytes and size (docs/compat.md).
class Tail : public Writer {
public:
    explicit Tail(Bytes& out) noexcept : Writer(out), start_(At()) {}
    Tail(const Tail&) = delete;
    Tail& operator=(const Tail&) = delete;
    ~Tail() {
        if (!kept_) Back(start_);
    }
    void Keep() noexcept { kept_ = true; }

private:
    std::size_t start_;
    bool kept_ = false;
};

}  // namespace gpenc::detail
