// Frame inspector: decodes GP frames and the JT/T 808 content they tunnel into
// plain structs with every field and its offset, and renders them as text or JSON.
//
// It shares no code with the encoder, so a mistake in one cannot hide in a round
// trip through the other. Nothing here throws to the caller or reads outside the
// bytes it is given: every problem is a value that names its offset.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace gpenc::inspect {

using Bytes = std::vector<std::uint8_t>;
using SixBytes = std::array<std::uint8_t, 6>;

// A decoding problem: where it is and what was expected there.
struct Problem {
    std::size_t offset = 0;  // byte offset (or character offset in a text)
    std::string what;        // "frame truncated", "bad magic", ...
    std::string detail;      // "parameter record needs 11 bytes, 4 left"

    // "frame truncated at offset 30: parameter record needs 11 bytes, 4 left".
    std::string Describe() const;
};

// One decoded field. `offset` counts from the start of the input given to the
// decoder (the frame list, the 808 message, or the text), `size` is its width.
template <class T>
struct Field {
    std::size_t offset = 0;
    std::size_t size = 0;
    T value{};
};

// A decoder's result. On error `value` holds what was decoded before the
// problem (later fields keep their defaults).
template <class T>
struct Decoded {
    T value{};
    std::optional<Problem> error;
    bool ok() const { return !error; }
};

// ---------------------------------------------------------------- JT/T 808

// Value types of terminal parameters (0x8103 entries).
enum class ParamType : std::uint8_t { kNone = 0, kString = 1, kWord = 2, kDword = 3, kBytes = 8, kByte = 9 };

struct ParamInfo {
    ParamType type = ParamType::kNone;  // kNone: the id is not a known parameter
    const char* name = "unknown parameter";
    std::size_t size = 0;  // a BYTE[n] value of fixed width n; 0: any width
    // The extension that defines the id, for an id outside JT/T 808 and JT/T
    // 1078 ("Jiangsu active safety, T/JSATL12"); null for theirs.
    const char* extension = nullptr;
};

// The terminal parameter table of the published JT/T 808 standard, 2013 edition,
// with JT/T 1078's video parameters 0x0075-0x007C (but 0x0078).
ParamInfo LookupParameter(std::uint32_t id);
// The table of `edition` (2013 or 2019): the 2019 edition adds ids and changes
// some; an id neither defines is unknown in both. JT/T 1078's are in both.
ParamInfo LookupParameter(std::uint32_t id, int edition);
const char* ParamTypeName(ParamType type);  // "STRING", "WORD", ...
// An id of the active-safety extension (0xF364-0xF367), which lies in the
// range vendors use for their own ids: it reads as the extension's only when
// its value is `size` bytes long; {} for any other id.
ParamInfo LookupExtension(std::uint32_t id);

// How a field of a structured parameter value is shown.
enum class FieldShow : std::uint8_t {
    kNumber,  // unsigned, big-endian; `names` by value
    kFlags,   // bits, shown in hex; `names` by bit number
    kBcd,     // BCD[2] time of day, "HH:MM"
    kBytes,   // reserved bytes, in hex
    kText,    // characters, fixed width
};

// One field of a structured value (JT/T 1078's, the active-safety ones).
struct LayoutField {
    const char* key;   // JSON member name
    const char* name;  // English name, with its unit
    std::uint8_t width;
    FieldShow show;
    const char* const* names = nullptr;  // value or bit names; "" for none
    std::uint8_t nameCount = 0;
};

// A structured value: `head` fields, then entries of the `entry` fields as
// many as the first `counts` head fields add up to (none when 0).
struct ParamLayout {
    const LayoutField* head;
    std::size_t headCount;
    std::size_t counts = 0;
    const LayoutField* entry = nullptr;
    std::size_t entryCount = 0;
    const char* entryKey = nullptr;   // JSON member of the entry list ("channels")
    const char* entryName = nullptr;  // what an entry is ("channel")
};

// The layout of the value of parameter `id`, or null when it has none.
const ParamLayout* FindLayout(std::uint32_t id);
// The name of a JT/T 808 downlink message id, or "" when it is not one this
// system carries.
const char* MessageName(std::uint32_t id);

struct BodyProperties {
    std::uint16_t word = 0;
    std::uint16_t bodyLength = 0;  // bits 0-9
    std::uint8_t encryption = 0;   // bits 10-12
    bool subpackage = false;       // bit 13
    std::uint8_t reserved = 0;     // bits 14-15 (2013 head), bit 15 (2019 head)
    bool versionFlag = false;      // bit 14: the head is the 2019 edition's
};

// The message head of either edition of JT/T 808, told apart by the version
// flag: 2013 (12 bytes) or 2019 (17 bytes: a protocol version byte after the
// body properties, and 10 BCD bytes of phone number).
struct Jt808Head {
    Field<std::uint16_t> messageId;
    Field<BodyProperties> properties;
    std::optional<Field<std::uint8_t>> protocolVersion;  // 2019 head only
    Field<std::string> phone;  // the 12 (2019: 20) BCD digits as text (nibbles above 9 as a-f)
    Field<std::uint16_t> serial;
    std::size_t size = 12;  // where the body starts: 12, or 17 for the 2019 head

    int Edition() const { return properties.value.versionFlag ? 2019 : 2013; }
};

// A field of a structured value as read: `entry` 0 for a head field, n for
// the n-th entry's; `shown` and `meaning` as the renderings give them.
struct ParamField {
    const LayoutField* def = nullptr;
    std::size_t entry = 0;
    Field<Bytes> raw;
    std::uint32_t number = 0;  // kNumber and kFlags
    std::string shown, meaning;
};

// One 0x8103 entry. `value` is typed by the table: text for STRING, the number
// for WORD, DWORD and BYTE, the bytes for BYTE[n]; empty (monostate) when the id
// is unknown or the length does not fit the type. A value with a layout that
// its length fits is read into `fields` as well.
struct ParamEntry {
    std::size_t offset = 0;
    Field<std::uint32_t> id;
    Field<std::uint8_t> length;
    Field<Bytes> raw;
    ParamInfo info;
    std::variant<std::monostate, std::string, std::uint32_t, Bytes> value;
    const ParamLayout* layout = nullptr;
    std::vector<ParamField> fields;
};

struct ParamSetting {
    Field<std::uint8_t> count;
    std::vector<ParamEntry> entries;
};

// A fixed-width IC-card text: the field's bytes, and the text once the filler
// that pads short texts ("H", NUL, NUL, "H", ...) is taken off its end.
struct CardText {
    Field<Bytes> raw;
    std::string text;
    std::size_t fill = 0;  // filler bytes at the end of the field
};

// A length-prefixed extension text.
struct LengthText {
    Field<std::uint8_t> length;
    Field<Bytes> raw;
};

struct CardDate {
    Field<std::array<std::uint8_t, 3>> bcd;  // year - 2000, month, day
    int year = 0, month = 0, day = 0;
    bool valid = false;  // BCD digits forming a calendar date
};

// A check byte over the inclusive range [first, last]: the XOR of its bytes.
struct CheckByte {
    Field<std::uint8_t> stored;
    std::size_t first = 0, last = 0;
    std::uint8_t computed = 0;
    bool matches = false;
};

struct CardExtension {
    Field<std::uint8_t> mark1, mark2;  // 0xA5 0x5A
    Field<std::uint8_t> ext1, ext2;
    CheckByte check2;
    std::array<LengthText, 3> texts;
    Field<std::size_t> zeroFill;  // `value` counts the bytes that are not zero
    CheckByte check3;
};

// The IC-card data of a 0x8900 message (transparent data of type 0xA0).
struct IcCard {
    Field<std::uint8_t> type;
    Field<std::uint16_t> zero;
    Field<std::uint16_t> dataLength;  // 0x0080 standard, 0x0100 extension
    CardText text1, text2;
    CardDate date;
    CardText text3, text4;
    CheckByte check1;
    std::optional<CardExtension> extension;
};

struct Jt808Message {
    std::size_t size = 0;
    Jt808Head head;
    Field<Bytes> body;
    std::optional<ParamSetting> paramSetting;  // id 0x8103
    std::optional<IcCard> icCard;              // id 0x8900, type 0xA0
    std::vector<Problem> warnings;
};

// Decodes one message as this system emits it: the head of either edition,
// then the body; no flag bytes, escaping or check code. Offsets in the body
// count from the message's first byte, so they move with the head's size.
Decoded<Jt808Message> DecodeJt808(const std::uint8_t* data, std::size_t size);

// ----------------------------------------------------------- setting texts
// Offsets in these structs are character offsets in the text.

struct BcdTime {
    SixBytes bcd{};  // year, month, day, hour, minute, second
};

struct CircularArea {
    Field<std::uint32_t> id;
    Field<std::uint16_t> attributes;  // bit 0: time window, bit 1: speed limit
    Field<double> latitude, longitude;
    Field<std::uint32_t> radius;
    std::optional<Field<BcdTime>> start, end;
    std::optional<Field<std::uint16_t>> maxSpeed;
    std::optional<Field<std::uint8_t>> overSpeedDuration;
};

// The circular-area alarm setting text of message 0x8600.
struct CircularSetting {
    Field<std::uint8_t> setAttribute;
    Field<std::uint8_t> areaCount;
    std::vector<CircularArea> areas;
    std::vector<Problem> warnings;
};

Decoded<CircularSetting> DecodeCircularText(std::string_view text);

// The argument text of a simple request (0x8104, 0x8105, 0x8201, 0x8202,
// 0x8203), explained: its meaning and its named items.
struct RequestItem {
    std::string name;
    Field<std::string> value;
};

struct RequestArgument {
    std::string meaning;  // "terminal reset", "track every 30 s for 3600 s", ...
    std::vector<RequestItem> items;
};

Decoded<RequestArgument> ExplainRequest(std::uint16_t messageId, std::string_view argument);

// ---------------------------------------------------------------- GP frame

enum class Kind : std::uint8_t { kText = 1, kInt32 = 6, kByte = 9, kSixBytes = 10 };

const char* KindName(std::uint8_t kind);         // "text", "Int32", ... or "unknown"
const char* CommandName(std::uint16_t command);  // "login", ... or ""

using Value = std::variant<std::monostate, std::string, std::int32_t, std::uint8_t, SixBytes>;

struct Parameter {
    std::size_t offset = 0;
    Field<std::uint32_t> recordLength;
    Field<std::uint16_t> key;
    Field<std::uint8_t> kind;
    Field<Bytes> raw;  // the value bytes
    Value value;       // typed by kind
};

// What a command-0x33 frame carries in keys 0, 1 and 2.
struct Tunnel {
    enum class Content { kNone, kJt808, kSettingText, kRequest, kOther };

    std::optional<Field<std::string>> terminalNumber;  // key 0
    std::optional<Field<std::string>> messageIdText;   // key 1
    std::optional<std::uint16_t> messageId;
    std::optional<Field<std::string>> argument;  // key 2
    Content content = Content::kNone;
    std::optional<Decoded<Jt808Message>> jt808;        // offsets count from the message's first byte
    std::optional<Decoded<CircularSetting>> circular;  // offsets count in key 2's text
    std::optional<Decoded<RequestArgument>> request;   // offsets count in key 2's text
    std::optional<Problem> hexError;                   // key-2 hex text that is not a message (frame offsets)
};

struct Frame {
    std::size_t offset = 0;  // first byte of the frame in the input
    std::size_t size = 0;
    Field<std::string> magic;
    Field<std::uint16_t> bodyLength;
    Field<std::uint16_t> version;
    Field<std::array<std::uint8_t, 16>> sessionId;
    Field<std::uint16_t> command;
    Field<std::int32_t> parameterLength;
    Field<std::uint16_t> reserved;
    std::vector<Parameter> parameters;
    std::optional<Tunnel> tunnel;  // command 0x33
    // The frame itself is sound, but something in it (a field that differs from
    // what this system sends, or the tunnelled content) is not; frame offsets.
    std::vector<Problem> warnings;
};

// Decodes the frame that starts at `data`; `origin` is the offset of `data` in
// the whole input, so that every offset is counted in the input.
Decoded<Frame> DecodeFrame(const std::uint8_t* data, std::size_t size, std::size_t origin = 0);

// Frames back to back. Stops at the first frame that cannot be decoded.
struct Dump {
    std::vector<Frame> frames;  // the frames decoded before any error
    std::optional<Problem> error;
    bool Clean() const;  // no error and no warning in any frame
};

Dump DecodeFrames(const std::uint8_t* data, std::size_t size);
inline Dump DecodeFrames(const Bytes& bytes) { return DecodeFrames(bytes.data(), bytes.size()); }

// Hexadecimal text to bytes; blanks between bytes are skipped. An odd number of
// digits, a blank inside a byte or any other character is an error naming its
// character offset.
Decoded<Bytes> ParseHex(std::string_view text);

// ------------------------------------------------------------- texts

// How the renderings show texts. The wire carries a text as the client stored
// it, in its code page (936, GBK, on Chinese Windows). A text with bytes
// outside ASCII is shown as characters when all of it decodes and it holds no
// control character; otherwise every byte outside printable ASCII stays \xNN,
// and a text of the frame or of its 808 message that does not decode adds a
// warning "undecodable text" to the rendered frame. The decoded structs keep
// the bytes; no decoder changes them.
struct RenderOptions {
    std::string codePage = "UTF-8";  // named in the warnings
    // A text's bytes as UTF-8; false when they are not text of `codePage`.
    // Empty: UTF-8 (the bytes as they are, when they are UTF-8).
    std::function<bool(std::string_view bytes, std::string& utf8)> decode;
};

// A code page and its conversions to and from UTF-8: "UTF-8", or a name the
// C library's iconv knows ("GBK", "CP936", "GB18030", ...; on Windows GBK,
// CP936 and GB18030 through the system's code pages 936 and 54936).
class CodePage {
public:
    CodePage() = default;  // UTF-8
    // Names are not case-sensitive; nullopt when the name is not a code page here.
    static std::optional<CodePage> Find(const std::string& name);
    const std::string& Name() const { return name_; }  // upper case, "UTF-8" for UTF-8
    // `bytes` of this code page as UTF-8; false when they are not text of it.
    bool ToUtf8(std::string_view bytes, std::string& utf8) const;
    // UTF-8 `text` in this code page; false when it holds a character the code
    // page cannot carry, its byte offset in `text` in `*bad`.
    bool FromUtf8(std::string_view text, std::string& bytes, std::size_t* bad = nullptr) const;
    RenderOptions Options() const;  // renderings that decode texts from this code page

private:
    std::string name_ = "UTF-8";
};

// Renderings: one line per field with its offset, nested by indentation, raw
// values in hex, tunnelled content explained (like `tshark -V`); and the same
// tree as JSON. The JSON is valid UTF-8 whatever the frames hold.
std::string RenderText(const Dump& dump, const RenderOptions& options = {});
std::string RenderJson(const Dump& dump, int indent = 2, const RenderOptions& options = {});

// The same one frame at a time, for input decoded as it arrives: frame
// `number` (from 1) as RenderText(Dump) shows it, and the problem that ends the
// frames. As JSON Lines, one line per frame: an object holding "frame" (its
// number), "clean" (no warning) and the members of its entry in "frames"
// above; and a last line {"error": {...}} when the frames end in a problem.
std::string RenderText(const Frame& frame, std::size_t number = 1, const RenderOptions& options = {});
std::string RenderText(const Problem& error);
std::string RenderJsonLine(const Frame& frame, std::size_t number, const RenderOptions& options = {});
std::string RenderJsonLine(const Problem& error);

}  // namespace gpenc::inspect
