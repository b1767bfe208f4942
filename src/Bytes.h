// Big-endian field writing shared by the GP frame and the JT/T 808 encoder.
// Both protocols put the most significant byte first, whatever the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gpenc::detail {

using Bytes = std::vector<unsigned char>;

// Stores the low `N` bytes of `value` at `dest`, most significant first.
template <std::size_t N>
inline void StoreBE(unsigned char* dest, std::uint32_t value) {
    static_assert(N >= 1 && N <= 4, "fields are one to four bytes wide");
    for (std::size_t i = 0; i < N; ++i) dest[i] = static_cast<unsigned char>(value >> (8 * (N - 1 - i)));
}

// Stores the low `N` bytes of `value` at `dest`, least significant first.
template <std::size_t N>
inline void StoreLE(unsigned char* dest, std::uint32_t value) {
    static_assert(N >= 1 && N <= 4, "fields are one to four bytes wide");
    for (std::size_t i = 0; i < N; ++i) dest[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Appends the `n` bytes of a field at `b` to `out`. For a field of a few
// bytes (up to eight, say) a push_back each is cheaper than a range insert,
// which goes through memmove; beyond that the insert is. `out` is best sized
// beforehand.
inline void AppendField(Bytes& out, const unsigned char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out.push_back(b[i]);
}

// Inserts the `n` bytes of a field at `b` at the front of `out`.
inline void PrependField(Bytes& out, const unsigned char* b, std::size_t n) {
    if (out.empty()) {
        AppendField(out, b, n);
    } else {
        out.insert(out.begin(), b, b + n);
    }
}

// Appends the low `N` bytes of `value` to `out`, most significant first.
template <std::size_t N>
inline void PutBE(Bytes& out, std::uint32_t value) {
    unsigned char b[N];
    StoreBE<N>(b, value);
    AppendField(out, b, N);
}

inline void Append(Bytes& out, const Bytes& tail) { out.insert(out.end(), tail.begin(), tail.end()); }

}  // namespace gpenc::detail
