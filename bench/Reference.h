// Hand-written encoders of the same bytes as the library's builders, with no
// logging and no intermediate buffers: the bound the benchmarks measure against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace gpenc::reference {

using Bytes = std::vector<unsigned char>;

// One GP parameter record: key, value kind and a view of the value. A text
// view must outlive the call it is passed to.
struct Param {
    unsigned char kind;
    std::uint16_t key;
    std::string_view text;     // kind 1
    std::uint32_t number;      // kind 6 (two's complement) and kind 9
    const unsigned char* six;  // kind 10

    static Param Text(std::uint16_t key, std::string_view t) { return {1, key, t, 0, nullptr}; }
    static Param Int32(std::uint16_t key, std::int32_t v) {
        return {6, key, {}, static_cast<std::uint32_t>(v), nullptr};
    }
    static Param Byte(std::uint16_t key, unsigned char b) { return {9, key, {}, b, nullptr}; }
    static Param SixBytes(std::uint16_t key, const unsigned char (&b)[6]) { return {10, key, {}, 0, b}; }
};

// Appends the GP frame of `command` (header, body with `session`, the records
// of `params` in order) to `out`, growing it once.
void GpFrame(std::uint16_t command, const unsigned char (&session)[16], const Param* params, std::size_t count,
             Bytes& out);
inline void GpFrame(std::uint16_t command, const unsigned char (&session)[16], std::initializer_list<Param> params,
                    Bytes& out) {
    GpFrame(command, session, params.begin(), params.size(), out);
}

// One terminal parameter of a JT/T 808 parameter setting: its id, and its value
// as the client gives it (decimal text for numbers, the text for strings, the
// bytes for byte arrays).
struct Setting {
    std::uint32_t id;
    const std::string* value;
    const Bytes* bytes;
};

// The JT/T 808 terminal parameter setting (0x8103, serial number 1) for the
// phone number `phone` (at most 12 digits): writes head and body to `dest`,
// which has room for ParameterSettingSize() bytes, and returns their count.
std::size_t ParameterSettingSize(const Setting* settings, std::size_t count);
std::size_t ParameterSetting(std::string_view phone, const Setting* settings, std::size_t count, unsigned char* dest);

// The list form of the 808-tunnelled equipment setting: the 0x8103 message for
// the last 12 characters of `terminalNo`, as lower-case hexadecimal text in key
// 2 of a command-0x33 frame whose key 0 is `terminalNo` and key 1 "8103". With
// one heartbeat or main server setting it is also the single-record form's
// frame.
void EquipSetList(const unsigned char (&session)[16], const std::string& terminalNo, const Setting* settings,
                  std::size_t count, Bytes& out);

// The IC-card information of a 0x8900 pass-through message.
struct IcCard {
    std::string_view phone;     // at most 12 digits
    std::string_view texts[4];  // fitted to 32, 18, 18 and 56 bytes
    std::int64_t date;          // seconds since 1970-01-01 UTC, sent as the local date
    bool extension;             // the 273-byte layout, else the 145-byte one
    unsigned char ext1, ext2;
    std::string_view extTexts[3];  // with their three length bytes at most 122 bytes
};

// The IC-card message (serial number 1) with its check bytes: writes its
// IcCardSize() bytes to `dest`.
std::size_t IcCardSize(const IcCard& card);
void IcCardMessage(const IcCard& card, unsigned char* dest);

// The IC-card setting as the 808-tunnelled builder sends it: the message as
// lower-case hexadecimal text in key 2 of a command-0x33 frame whose key 0 is
// `terminalNo` and key 1 "8900".
void EquipSetIcCard(const unsigned char (&session)[16], const std::string& terminalNo, const IcCard& card, Bytes& out);

// One circular area; bit 0 of `attr` adds the time window, bit 1 the speed
// limit and its over-speed duration.
struct Area {
    std::uint32_t id;
    std::uint16_t attr;
    double latitude, longitude;
    std::uint32_t radius;
    unsigned char start[6], end[6];  // BCD
    std::uint16_t maxSpeed;
    unsigned char overSpeed;
};

// The circular-area setting text "attr;count;" and per area "id,attr,lat,lon,
// radius," [time window] [speed,duration,] without the last separator, written
// to `dest`, which has room for `room` characters; returns its length, or 0
// when it does not fit.
std::size_t CircularText(unsigned char setAttr, unsigned char count, const Area* areas, std::size_t n, char* dest,
                         std::size_t room);

// The circular-area setting as the 808-tunnelled builder sends it: the text in
// key 2 of a command-0x33 frame whose key 0 is `terminalNo` and key 1 "8600".
// The text must fit in 4096 characters.
void EquipAlarmSet(const unsigned char (&session)[16], const std::string& terminalNo, unsigned char setAttr,
                   unsigned char count, const Area* areas, std::size_t n, Bytes& out);

}  // namespace gpenc::reference
