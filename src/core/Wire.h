// The wire format, named once: the GP frame and its parameter records, the
// command numbers, and the JT/T 808 messages the library builds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gpenc::wire {

// ---- GP frame: header "GP" + body length, then the body, then the records.
inline constexpr unsigned char kMagic[2] = {'G', 'P'};
// The header's fields, from its first byte.
inline constexpr std::size_t kMagicAt = 0;
inline constexpr std::size_t kBodyLengthAt = 2;  // 2 bytes
inline constexpr std::size_t kHeaderSize = 4;
// The body's fields, from its first byte.
inline constexpr std::size_t kVersionAt = 0;  // 2 bytes
inline constexpr std::size_t kSessionAt = 2;
inline constexpr std::size_t kSessionSize = 16;
inline constexpr std::size_t kCommandAt = 18;          // 2 bytes
inline constexpr std::size_t kParameterLengthAt = 20;  // 4 bytes
inline constexpr std::size_t kReservedAt = 24;         // 2 bytes, zero
inline constexpr std::size_t kBodySize = 26;
static_assert(kMagicAt + sizeof kMagic == kBodyLengthAt && kBodyLengthAt + 2 == kHeaderSize &&
                  kVersionAt + 2 == kSessionAt && kSessionAt + kSessionSize == kCommandAt &&
                  kCommandAt + 2 == kParameterLengthAt && kParameterLengthAt + 4 == kReservedAt &&
                  kReservedAt + 2 == kBodySize,
              "the header's and body's fields follow each other without a gap");
inline constexpr char kVersionHex[] = "1";  // protocol version, as the hexadecimal text it is read from

// Value kinds of a parameter record.
enum Kind : int { kText = 1, kInt32 = 6, kByte = 9, kSixBytes = 10 };
// Bytes of a value of a fixed-width kind (0 for a text, which is as long as it
// is, and for a kind the wire does not have).
constexpr std::size_t FixedWidth(int kind) {
    return kind == kInt32 ? 4 : kind == kByte ? 1 : kind == kSixBytes ? 6 : 0;
}
// Record head: record length (4 bytes), key (2), kind (1).
inline constexpr std::size_t kRecordHead = 7;
inline constexpr std::size_t kKeyAt = 4;
inline constexpr std::size_t kKindAt = 6;

// Command numbers.
enum Command : int {
    kLogin = 0x01,
    kCommonData2 = 0x02,
    kSubscription = 0x03,
    kCommonData4 = 0x04,
    kPhotograph = 0x05,
    kSoundSowing = 0x06,
    kAlarmHandle = 0x07,
    kTrackPlayback = 0x11,
    kTimeInterval = 0x18,
    kVideo = 0x19,
    kListening = 0x20,
    kPreset = 0x21,
    kCommitInterval = 0x22,
    kSimSet = 0x23,
    kBlackout = 0x25,
    kTunnel = 0x33,  // a JT/T 808 request, as the three tunnel texts below
    kRealtime = 0x50,
};

// Keys of the three texts of a command-0x33 frame.
enum TunnelKey : unsigned int { kTerminalKey = 0, kMsgIdKey = 1, kArgumentKey = 2 };

// ---- JT/T 808.
namespace jt808 {

// Message ids.
inline constexpr std::uint16_t kParmSet = 0x8103;    // set terminal parameters
inline constexpr std::uint16_t kParmQuery = 0x8104;  // query terminal parameters
inline constexpr std::uint16_t kTerminalControl = 0x8105;
inline constexpr std::uint16_t kPositionQuery = 0x8201;
inline constexpr std::uint16_t kTempTrack = 0x8202;     // temporary position tracking
inline constexpr std::uint16_t kAffirmAlarm = 0x8203;   // manual alarm confirmation
inline constexpr std::uint16_t kCircularArea = 0x8600;  // set circular area
inline constexpr std::uint16_t kPassThrough = 0x8900;   // downlink pass-through (IC card)

// Head: id (2), body properties (2), phone number as 12 BCD digits (6), serial number (2).
inline constexpr std::size_t kHeadSize = 12;
inline constexpr std::size_t kPhoneDigits = 12;
// A longer body would run into the encryption and sub-package bits of the
// body-properties word.
inline constexpr std::size_t kMaxBodyLength = 1023;

// Circular-area attribute bits.
inline constexpr std::uint16_t kAreaTimeWindow = 0x0001;
inline constexpr std::uint16_t kAreaSpeedLimit = 0x0002;

}  // namespace jt808

// ---- The IC-card packet of the 0x8900 message, as offsets into the message.
namespace card {

inline constexpr unsigned char kTag = 0xA0;
inline constexpr std::uint16_t kStandardLength = 0x0080;  // the packet's length word
inline constexpr std::uint16_t kExtensionLength = 0x0100;
inline constexpr unsigned char kExtensionMark[2] = {0xA5, 0x5A};
// Fixed widths of texts 1 to 4.
inline constexpr int kText1Width = 32;
inline constexpr int kText2Width = 18;
inline constexpr int kText3Width = 18;
inline constexpr int kText4Width = 56;
// The century the one-byte BCD year counts in.
inline constexpr int kFirstYear = 2000;
inline constexpr int kLastYear = 2099;

inline constexpr std::size_t kStandardSize = 145;
inline constexpr std::size_t kExtensionSize = 273;
inline constexpr std::size_t kExtensionBody = kExtensionSize - jt808::kHeadSize;
// Offsets 150 to 271 hold the three length-prefixed extension texts.
inline constexpr std::size_t kExtensionTextRoom = 122;

// A check byte: the XOR of msg[first..last], written at last + 1.
struct CheckRange {
    int first;
    int last;
};
inline constexpr CheckRange kCardCheck = {17, 143};
inline constexpr CheckRange kExtensionHeadCheck = {145, 148};
inline constexpr CheckRange kExtensionCheck = {150, 271};

}  // namespace card

}  // namespace gpenc::wire

namespace wire = gpenc::wire;
