// The layout the inspector decodes, named once: the GP frame and its parameter
// records, the 808 tunnel, the JT/T 808 head and bodies, the message ids.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gpenc::inspect {

// Where a field stands (from the first byte of its frame, record or message)
// and how wide it is.
struct Span {
    std::size_t at, size;
    constexpr std::size_t End() const { return at + size; }
};

// ---- GP frame: header, body, then the parameter records.
namespace gp {

inline constexpr char kMagicText[] = "GP";
inline constexpr Span kMagic{0, 2};
static_assert(sizeof kMagicText - 1 == kMagic.size);
inline constexpr Span kBodyLength{2, 2};
inline constexpr std::size_t kHeaderSize = 4;

inline constexpr Span kVersion{4, 2};
inline constexpr Span kSession{6, 16};
inline constexpr Span kCommand{22, 2};
inline constexpr Span kParameterLength{24, 4};
inline constexpr Span kReserved{28, 2};
inline constexpr std::size_t kBodySize = 26;
inline constexpr std::size_t kParametersAt = kHeaderSize + kBodySize;

static_assert(kMagic.End() == kBodyLength.at && kBodyLength.End() == kHeaderSize && kVersion.at == kHeaderSize &&
                  kVersion.End() == kSession.at && kSession.End() == kCommand.at &&
                  kCommand.End() == kParameterLength.at && kParameterLength.End() == kReserved.at &&
                  kReserved.End() == kParametersAt,
              "the header and body fields follow each other without a gap");

inline constexpr std::uint16_t kProtocolVersion = 1;

// A parameter record: its length (the whole record's), key and value kind,
// then the value. Offsets count from the record's first byte.
inline constexpr Span kRecordLength{0, 4};
inline constexpr Span kKey{4, 2};
inline constexpr Span kKind{6, 1};
inline constexpr std::size_t kRecordHead = 7;
static_assert(kRecordLength.End() == kKey.at && kKey.End() == kKind.at && kKind.End() == kRecordHead);

// Value widths of the fixed-width kinds; a text is as long as its record allows.
inline constexpr std::size_t kInt32Size = 4;
inline constexpr std::size_t kByteSize = 1;
inline constexpr std::size_t kSixBytesSize = 6;

// The command whose frames tunnel a JT/T 808 request, and the keys of its three texts.
inline constexpr std::uint16_t kTunnelCommand = 0x33;
enum TunnelKey : std::uint16_t { kTerminalKey = 0, kMessageIdKey = 1, kArgumentKey = 2 };
// Key 1 is the message id as hexadecimal text; key 2 carries an 808 message
// as hexadecimal text, two digits a byte.
inline constexpr std::size_t kMessageIdDigits = 4;
inline constexpr std::size_t kHexPerByte = 2;

}  // namespace gp

// ---- JT/T 808: the messages this system tunnels, as it emits them.
namespace jt808 {

inline constexpr std::uint16_t kParmSet = 0x8103;    // set terminal parameters
inline constexpr std::uint16_t kParmQuery = 0x8104;  // query terminal parameters
inline constexpr std::uint16_t kTerminalControl = 0x8105;
inline constexpr std::uint16_t kPositionQuery = 0x8201;
inline constexpr std::uint16_t kTempTrack = 0x8202;     // temporary position tracking
inline constexpr std::uint16_t kAffirmAlarm = 0x8203;   // manual alarm confirmation
inline constexpr std::uint16_t kCircularArea = 0x8600;  // set circular area
inline constexpr std::uint16_t kPassThrough = 0x8900;   // downlink transparent data (IC card)

// Head (2013): id, body properties, phone number as BCD digits, serial number.
inline constexpr Span kMessageId{0, 2};
inline constexpr Span kProperties{2, 2};
inline constexpr Span kPhone{4, 6};
inline constexpr Span kSerial{10, 2};
inline constexpr std::size_t kHeadSize = 12;
inline constexpr std::size_t kPhoneDigits = 2 * kPhone.size;
static_assert(kMessageId.End() == kProperties.at && kProperties.End() == kPhone.at && kPhone.End() == kSerial.at &&
              kSerial.End() == kHeadSize);

// Head (2019, the version flag set): a protocol version byte after the body
// properties, and a phone number of 20 digits.
inline constexpr Span kVersion2019{4, 1};
inline constexpr Span kPhone2019{5, 10};
inline constexpr Span kSerial2019{15, 2};
inline constexpr std::size_t kHeadSize2019 = 17;
inline constexpr std::size_t kPhoneDigits2019 = 2 * kPhone2019.size;
static_assert(kProperties.End() == kVersion2019.at && kVersion2019.End() == kPhone2019.at &&
              kPhone2019.End() == kSerial2019.at && kSerial2019.End() == kHeadSize2019);

// The body-properties word.
inline constexpr std::uint16_t kBodyLengthBits = 0x03ff;
inline constexpr std::uint16_t kEncryptionBits = 0x1c00;
inline constexpr std::uint16_t kSubpackageBit = 0x2000;
inline constexpr std::uint16_t kReservedBits = 0xc000;  // 2013: bits 14 and 15
inline constexpr std::uint16_t kVersionFlag = 0x4000;   // 2019: bit 14 marks its head
inline constexpr std::uint16_t kReservedBit2019 = 0x8000;
inline constexpr int kEncryptionShift = 10;
inline constexpr int kReservedShift = 14;
inline constexpr int kReservedShift2019 = 15;

// A 0x8103 body: a one-byte entry count, then entries of id, value length and value.
inline constexpr std::size_t kParamIdSize = 4;
inline constexpr std::size_t kParamLengthSize = 1;
inline constexpr std::size_t kEntryHead = kParamIdSize + kParamLengthSize;
// Value widths of the fixed-width parameter types.
inline constexpr std::size_t kWordSize = 2;
inline constexpr std::size_t kDwordSize = 4;
inline constexpr std::size_t kByteSize = 1;

// Circular-area attribute bits of a 0x8600 setting text.
inline constexpr std::uint16_t kAreaTimeWindow = 0x0001;
inline constexpr std::uint16_t kAreaSpeedLimit = 0x0002;

}  // namespace jt808

// ---- The IC-card data of a 0x8900 body.
namespace card {

inline constexpr std::uint8_t kTag = 0xA0;  // the body's data type
inline constexpr std::size_t kZeroSize = 2;
inline constexpr std::size_t kDataLengthSize = 2;
// Values of the data-length word: the standard layout and the extension.
inline constexpr std::uint16_t kStandardData = 0x0080;
inline constexpr std::uint16_t kExtensionData = 0x0100;
// Fixed widths of texts 1 to 4.
inline constexpr std::size_t kText1Width = 32;
inline constexpr std::size_t kText2Width = 18;
inline constexpr std::size_t kText3Width = 18;
inline constexpr std::size_t kText4Width = 56;
// The century the one-byte BCD year counts in.
inline constexpr int kFirstYear = 2000;

inline constexpr std::uint8_t kExtensionMark[2] = {0xA5, 0x5A};
// The extension's tail check byte is the last byte of its data: it stands at
// this offset from the body's first byte, whatever the lengths of the texts
// before it (272 from the message's first byte under the 2013 head).
inline constexpr std::size_t kTailCheck = 260;

}  // namespace card

}  // namespace gpenc::inspect
