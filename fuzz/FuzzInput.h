// What the fuzz targets share: a reader that draws any record from the fuzz
// bytes, field by field, and the check that stops the run on a broken promise.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace gpenc::fuzz {

// The values of enumeration T worth drawing often (a target specialises it
// before it draws a T): ids the encoder treats apart, which a uniform draw of
// 32 bits would hardly ever hit.
template <class T>
struct Worth {
    static constexpr std::array<std::uint32_t, 0> values{};
};

// Draws values off the front of the input; past its end every byte is zero, so
// any input makes a whole record.
struct Input {
    // One field of a record, drawn as whatever type the field has.
    struct Any {
        Input* in;
        std::size_t index;  // there to be expanded once per field
        template <class T>
        operator T() const {
            return in->Draw<T>();
        }
    };
    // Whether `T{...}` takes N fields, a plain array in it element by element.
    template <class T, class N, class = void>
    struct Takes : std::false_type {};
    template <class T, std::size_t... I>
    struct Takes<T, std::index_sequence<I...>, std::void_t<decltype(T{Any{nullptr, I}...})>> : std::true_type {};

    const std::uint8_t* data;
    std::size_t size, pos = 0;

    std::uint8_t Byte() { return pos < size ? data[pos++] : 0; }

    // Numbers little-endian; a list as a count byte (0 to 7) and its items; a
    // record field by field in declaration order.
    template <class T, std::size_t N = 32>
    T Draw() {
        if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::vector<unsigned char>>) {
            // A length byte and that many bytes; after a length byte of 255, a 32-bit length (below 2^17) as it
            // is compared, and digits fill what the input lacks: long texts stay cheap to reach.
            std::size_t length = Byte();
            if (length == 255) length = Draw<std::uint32_t>() % 0x20000;
            const std::size_t have = std::min(length, size - pos);
            T text(data + pos, data + pos + have);
            pos += have;
            for (std::size_t i = have; i < length; ++i) text.push_back(static_cast<char>('0' + i % 10));
            return text;
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
            // The records' 64-bit numbers are card dates, taken in 2000-2099 only: most fall there or a day
            // either side, and a first byte of 0xff gives any.
            if (Byte() == 0xff) return static_cast<T>(Draw<std::uint64_t>());
            return 946684800 - 86400 + Draw<std::uint32_t>() % (3155760000 + 2 * 86400);
        } else if constexpr (std::is_same_v<T, double>) {
            const auto bits = Draw<std::uint64_t>();
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        } else if constexpr (std::is_enum_v<T>) {
            // A first byte below 0x80 picks one of the values worth trying, if there are any.
            constexpr auto& worth = Worth<T>::values;
            if constexpr (worth.size() > 0) {
                const std::uint8_t pick = Byte();
                if (pick < 0x80) return static_cast<T>(worth[pick % worth.size()]);
            }
            return static_cast<T>(Draw<std::underlying_type_t<T>>());
        } else if constexpr (std::is_same_v<T, bool>) {
            return (Byte() & 1) != 0;
        } else if constexpr (std::is_integral_v<T>) {
            std::make_unsigned_t<T> n = 0;
            for (std::size_t i = 0; i < sizeof n; ++i) n |= static_cast<decltype(n)>(Byte()) << 8 * i;
            return static_cast<T>(n);
        } else if constexpr (!std::is_aggregate_v<T>) {  // a list, the records' only class that is no aggregate
            T list(Byte() % 8);
            for (auto& item : list) item = Draw<typename T::value_type>();
            return list;
        } else if constexpr (N > 0 && !Takes<T, std::make_index_sequence<N>>::value) {
            return Draw<T, N - 1>();  // a record: find how many fields it takes
        } else {
            // A braced list is drawn left to right; a plain array in it, element by element.
            return std::apply([this](auto... i) { return T{Any{this, i}...}; }, std::array<std::size_t, N>{});
        }
    }
};

// Stops the run (and so reports the input) when `holds` is false.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

}  // namespace gpenc::fuzz
