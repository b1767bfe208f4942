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

// Editions of the head.
inline constexpr int kEdition2013 = 2013;
inline constexpr int kEdition2019 = 2019;
// Head (2013): id (2), body properties (2), phone number as 12 BCD digits (6), serial number (2).
inline constexpr std::size_t kHeadSize = 12;
inline constexpr std::size_t kPhoneDigits = 12;
// Head (2019): id (2), body properties (2) with kVersionFlag, protocol
// version (1), phone number as 20 BCD digits (10), serial number (2).
inline constexpr std::size_t kHeadSize2019 = 17;
inline constexpr std::size_t kPhoneDigits2019 = 20;
inline constexpr std::uint16_t kVersionFlag = 0x4000;  // bit 14 of the body properties
// Where the head's fields start, by edition: the 2019 head puts its version byte
// before the phone number, which is 4 bytes longer.
inline constexpr std::size_t kPropertiesAt = 2;
inline constexpr std::size_t kVersionAt2019 = 4;
inline constexpr std::size_t kPhoneAt = 4;
inline constexpr std::size_t kPhoneAt2019 = 5;
static_assert(kPhoneAt + kPhoneDigits / 2 + 2 == kHeadSize && kPhoneAt2019 + kPhoneDigits2019 / 2 + 2 == kHeadSize2019,
              "the serial number ends each head");
// The 0x8103 body: the number of entries, then the entries.
inline constexpr std::size_t kParmCountAt = 0;  // from the body's first byte
// A longer body would run into the encryption and sub-package bits of the
// body-properties word.
inline constexpr std::size_t kMaxBodyLength = 1023;

// Circular-area attribute bits.
inline constexpr std::uint16_t kAreaTimeWindow = 0x0001;
inline constexpr std::uint16_t kAreaSpeedLimit = 0x0002;

}  // namespace jt808

// ---- The IC-card packet of the 0x8900 message, as offsets into its body,
// which both heads share: the message's own offsets add the head's size.
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

// The body of each layout (145 and 273 bytes of message under the 2013 head).
inline constexpr std::size_t kStandardBody = 133;
inline constexpr std::size_t kExtensionBody = 261;
// Body offsets 138 to 259 hold the three length-prefixed extension texts.
inline constexpr std::size_t kExtensionTextRoom = 122;

// A check byte: the XOR of body[first..last], written at last + 1.
struct CheckRange {
    int first;
    int last;
};
inline constexpr CheckRange kCardCheck = {5, 131};             // message 17 to 143 under the 2013 head
inline constexpr CheckRange kExtensionHeadCheck = {133, 136};  // 145 to 148
inline constexpr CheckRange kExtensionCheck = {138, 259};      // 150 to 271
static_assert(kCardCheck.last + 2 == static_cast<int>(kStandardBody) &&
                  kExtensionCheck.last + 2 == static_cast<int>(kExtensionBody) &&
                  kExtensionCheck.last - kExtensionCheck.first + 1 == static_cast<int>(kExtensionTextRoom),
              "each layout ends with its last check byte");

}  // namespace card

}  // namespace gpenc::wire

namespace wire = gpenc::wire;
