// Big-endian field writing shared by the GP frame and the JT/T 808 encoder.
// Both protocols put the most significant byte first, whatever the host.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace gpenc::detail {

using Bytes = std::vector<unsigned char>;

// Stores the low `N` bytes of `value` at `dest`, most significant first.
template <std::size_t N>
inline void StoreBE(unsigned char* dest, std::uint32_t value) {
    static_assert(N >= 1 && N <= 4, "fields are one to four bytes wide");
    for (std::size_t i = 0; i < N; ++i) dest[i] = static_cast<unsigned char>(value >> (8 * (N - 1 - i)));
}

// Stores `value` at `dest` as the host keeps it in memory.
template <class T>
inline void StoreHost(unsigned char* dest, T value) {
    std::memcpy(dest, &value, sizeof value);
}

// Turns the `n` bytes of a field at `bytes` from the host's order into the
// wire's, most significant first: around on a little-endian host, as they are
// on a big-endian one.
inline void HostToWire(unsigned char* bytes, std::size_t n) {
    const std::uint16_t probe = 1;
    unsigned char low = 0;
    std::memcpy(&low, &probe, 1);
    if (low == 1) std::reverse(bytes, bytes + n);
}

// Appends the `n` bytes of a field at `b` to `out`, as one range insert: a
// push_back a byte cost more even for a field of two bytes (a UserLogin
// frame took 2,913 instructions with one push_back a byte, 2,241 so).
inline void AppendField(Bytes& out, const unsigned char* b, std::size_t n) { out.insert(out.end(), b, b + n); }

// Appends the low `N` bytes of `value` to `out`, most significant first.
template <std::size_t N>
inline void PutBE(Bytes& out, std::uint32_t value) {
    unsigned char b[N];
    StoreBE<N>(b, value);
    AppendField(out, b, N);
}

inline void Append(Bytes& out, const Bytes& tail) { out.insert(out.end(), tail.begin(), tail.end()); }

// Makes room in `out` for `n` bytes more: exactly that for an empty `out` (a
// single frame takes one allocation), else at least twice the capacity, so
// that appending frame after frame to one vector costs linear time.
inline void Reserve(Bytes& out, std::size_t n) {
    const std::size_t needed = out.size() + n;
    if (needed > out.capacity()) out.reserve(out.empty() ? needed : (std::max)(needed, 2 * out.capacity()));
}

// What a builder appends to the end of `out`, written there in place: unless
// Keep() is called, `out` goes back to the size it had when this began, on a
// failure and on any exception alike (std::bad_alloc included). Cutting a
// vector back neither throws nor copies, so what `out` held is never copied;
// only its capacity may have grown.
// D1: a builder that fails leaves `out` as it was, bytes and size (docs/compat.md).
class Tail {
public:
    explicit Tail(Bytes& out) noexcept : out_(out), size_(out.size()) {}
    Tail(const Tail&) = delete;
    Tail& operator=(const Tail&) = delete;
    ~Tail() {
        if (!kept_) out_.resize(size_);
    }
    void Keep() noexcept { kept_ = true; }

private:
    Bytes& out_;
    std::size_t size_;
    bool kept_ = false;
};

}  // namespace gpenc::detail
