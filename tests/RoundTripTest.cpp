// Round trips: seeded random settings encoded by the library and decoded by the
// frame inspector, which shares no code with it, compared field by field.
#include "Hex.h"
#include "Layout.h"
#include "Session.h"
#include "core/Wire.h"
#include "gpenc/Encoder.h"
#include "gpenc/Inspect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <tuple>

namespace gpenc::test {
namespace {

namespace in = gpenc::inspect;
using Bytes = std::vector<unsigned char>;

constexpr unsigned kSeeds = 300;

class Gen {
public:
    explicit Gen(unsigned seed) : rng_(seed) {}
    long long Int(long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(rng_); }
    unsigned char Byte() { return static_cast<unsigned char>(Int(0, 255)); }
    // Characters from `alphabet` (any byte, NUL included, without one).
    std::string Text(std::size_t min = 1, std::size_t max = 24, const std::string& alphabet = "") {
        std::string s(static_cast<std::size_t>(Int(static_cast<long long>(min), static_cast<long long>(max))), ' ');
        const auto last = static_cast<long long>(alphabet.size()) - 1;
        for (char& c : s) c = alphabet.empty() ? static_cast<char>(Byte()) : alphabet[Int(0, last)];
        return s;
    }

private:
    std::mt19937 rng_;
};

// ------------------------------------------------------ JT/T 808 content
// Random parameter settings, and the checks of what the inspector reads back
// from the 808 message a frame tunnels.

// Parameters of each value type, as the published terminal parameter table has them.
struct ParamKind { std::uint32_t id; EequipParmDataType type; };
constexpr ParamKind kParams[] = {
    {0x0001, DATATYPE_DWORD},  {0x0013, DATATYPE_STRING}, {0x0018, DATATYPE_DWORD}, {0x0031, DATATYPE_WORD},
    {0x0083, DATATYPE_STRING}, {0x0084, DATATYPE_BYTE},   {0x0110, DATATYPE_BYTES}, {0x01FF, DATATYPE_BYTES},
};

// An 0x8103 entry and the value it must decode to.
using EntryValue = std::variant<std::monostate, std::string, std::uint32_t, in::Bytes>;
struct Entry { ParamKind param; EntryValue value; };

std::vector<Entry> RandomEntries(Gen& g) {
    std::vector<Entry> entries(static_cast<std::size_t>(g.Int(1, 6)));
    for (Entry& e : entries) {
        e.param = kParams[g.Int(0, std::size(kParams) - 1)];
        const std::string raw = g.Text(8, 8);
        switch (e.param.type) {
        case DATATYPE_STRING: e.value = g.Text(1, 40); break;
        case DATATYPE_BYTES: e.value = in::Bytes(raw.begin(), raw.end()); break;
        case DATATYPE_BYTE: e.value = static_cast<std::uint32_t>(g.Int(0, 0xff)); break;
        case DATATYPE_WORD: e.value = static_cast<std::uint32_t>(g.Int(0, 0xffff)); break;
        default: e.value = static_cast<std::uint32_t>(g.Int(0, 0xffffffff));
        }
    }
    return entries;
}

// A terminal number of 11 to 15 digits and the 808 phone number it stands
// for: its last 12 digits, a shorter one filled with '0' on the left.
std::pair<std::string, std::string> RandomTerminal(Gen& g) {
    const std::string t = g.Text(11, 15, "0123456789");
    return {t, t.size() >= 12 ? t.substr(t.size() - 12) : std::string(12 - t.size(), '0') + t};
}

// ------------------------------------------------------------- GP frames

// What a setting's frame must carry: the terminal number as key 0, and in
// key 2 an 0x8103 message to `phone` with `entries`.
struct Want {
    std::string terminal, phone;
    std::vector<Entry> entries;
};

// The list form of the parameter setting, whose entries carry every value
// kind: the plain commands, the single form, the card and the circular-area
// setting are read byte for byte by their own tables.
bool RandomList(Gen& g, Bytes& out, Want& want) {
    want.entries = RandomEntries(g);
    std::vector<sEquipset> list(want.entries.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string phone;
        std::tie(list[i].terminalNo, phone) = RandomTerminal(g);
        if (i == 0) want.phone = phone;
        const EntryValue& v = want.entries[i].value;
        list[i].eParmMark = static_cast<EequipParameterMark>(want.entries[i].param.id);
        if (auto* text = std::get_if<std::string>(&v)) list[i].strValue = *text;
        if (auto* bytes = std::get_if<in::Bytes>(&v)) list[i].vecValueBytes = *bytes;
        if (auto* number = std::get_if<std::uint32_t>(&v)) list[i].strValue = std::to_string(*number);
    }
    want.terminal = list[0].terminalNo;  // the list addresses the first record's terminal
    return CEncoder().EquipSet(list, out);
}

// Seeds 1 to kSeeds, up to the first that fails.
TEST(BuilderRoundTrip, InspectorReadsWhatTheListBuilderWrote) {
    for (unsigned seed = 1; seed <= kSeeds && !::testing::Test::HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Gen g(seed * 2654435761u);
        unsigned char session[16];
        for (auto& x : session) x = g.Byte();
        gpenc::test::host::SetSession(session);
        Bytes out;
        Want want;
        ASSERT_TRUE(RandomList(g, out, want));

        const in::Dump dump = in::DecodeFrames(out.data(), out.size());
        ASSERT_FALSE(dump.error) << dump.error->Describe() << "\n" << ToHex(out);
        ASSERT_EQ(dump.frames.size(), 1u);
        const in::Frame& f = dump.frames[0];
        EXPECT_TRUE(f.warnings.empty()) << in::RenderText(f);
        EXPECT_EQ(f.command.value, 0x33);
        EXPECT_TRUE(std::equal(session, session + 16, f.sessionId.value.begin()));
        ASSERT_EQ(f.parameters.size(), 3u) << in::RenderText(f);
        EXPECT_TRUE(f.parameters[0].value == in::Value(want.terminal));
        EXPECT_TRUE(f.parameters[1].value == in::Value(std::string("8103")));
        for (unsigned key = 0; key < 3; ++key) EXPECT_EQ(f.parameters[key].key.value, key);
        ASSERT_TRUE(f.tunnel && f.tunnel->jt808 && f.tunnel->jt808->ok());
        const in::Jt808Message& m = f.tunnel->jt808->value;
        EXPECT_EQ(m.head.messageId.value, 0x8103);
        EXPECT_EQ(m.head.properties.value.bodyLength, m.size - 12);
        EXPECT_EQ(m.head.phone.value, want.phone);
        EXPECT_EQ(m.head.serial.value, 1);
        EXPECT_TRUE(m.warnings.empty()) << m.warnings.front().Describe();
        ASSERT_TRUE(m.paramSetting);
        EXPECT_EQ(m.paramSetting->count.value, want.entries.size());
        ASSERT_EQ(m.paramSetting->entries.size(), want.entries.size());
        for (std::size_t i = 0; i < want.entries.size(); ++i) {
            EXPECT_EQ(m.paramSetting->entries[i].id.value, want.entries[i].param.id) << "entry " << i;
            EXPECT_TRUE(m.paramSetting->entries[i].value == want.entries[i].value) << "entry " << i;
        }
    }
}


// The encoder's and the inspector's tables are kept apart on purpose; these
// rows keep them in step. Every 16-bit parameter id has the same type in both,
// under either edition's head; the inspector names exactly the command numbers
// the golden frames of the command tests carry; and each layout constant both
// name has one value.
TEST(TablesAgree, ParameterTypesOfEveryId) {
    CEncoder_Standard standard;
    for (const Jt808Head head : {Jt808Head{}, Jt808Head::Edition2019()})
        for (std::uint32_t id = 0; id <= 0xFFFF; ++id)
            ASSERT_EQ(static_cast<int>(standard.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(id), head)),
                      static_cast<int>(in::LookupParameter(id, head.edition).type))
                << head.edition << std::hex << " " << id;
    for (std::uint32_t id : {0x10001u, 0x10110u, 0xFFFFFFFFu})  // beyond 16 bits: no parameter of either edition
        EXPECT_EQ(static_cast<int>(standard.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(id))), 0) << id;
    // With the active-safety opt-in the encoder also types the extension's ids, which the inspector reads apart.
    Jt808ParmTypes safety;
    safety.activeSafety = true;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
        const in::ParamType inspected = in::LookupExtension(id).type != in::ParamType::kNone
                                            ? in::LookupExtension(id).type
                                            : in::LookupParameter(id).type;
        ASSERT_EQ(static_cast<int>(standard.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(id), {}, safety)),
                  static_cast<int>(inspected))
            << std::hex << id;
    }
}

// Every structured value the inspector reads field by field, at the length of
// its layout (a counted one with one entry), is one the encoder sends, and a
// byte more is one it refuses: both sides have the same lengths.
TEST(TablesAgree, StructuredParameterLengths) {
    Jt808ParmTypes safety;
    safety.activeSafety = true;
    for (std::uint32_t id : {0x0075u, 0x0076u, 0x0077u, 0x0079u, 0x007Bu, 0x007Cu, 0xF364u, 0xF365u, 0xF366u, 0xF367u}) {
        const in::ParamLayout* layout = in::FindLayout(id);
        ASSERT_NE(layout, nullptr) << std::hex << id;
        std::size_t size = 0;
        for (std::size_t i = 0; i < layout->headCount; ++i) size += layout->head[i].width;
        for (std::size_t i = 0; layout->counts > 0 && i < layout->entryCount; ++i) size += layout->entry[i].width;
        EquipParmSet_EquipConfig entry;
        entry.strPhoneNo = "13800138000";
        entry.eParmMark = static_cast<EequipParameterMark>(id);
        entry.eDataType = DATATYPE_BYTES;
        entry.vecValueBytes.assign(size, 0);
        if (layout->counts > 0) entry.vecValueBytes[0] = 1;  // one entry, in the first count
        for (const bool fits : {true, false}) {
            if (!fits) entry.vecValueBytes.push_back(0);
            Bytes out;
            EXPECT_EQ(CEncoder_Standard().ParmSet_Get808ParmSetVector({entry}, out, {}, safety), fits)
                << std::hex << id << " of " << std::dec << entry.vecValueBytes.size() << " bytes";
        }
    }
}

TEST(TablesAgree, CommandNumbers) {
    const std::set<std::uint16_t> sent = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x11, 0x18,
                                          0x19, 0x20, 0x21, 0x22, 0x23, 0x25, 0x33, 0x50};
    for (std::uint32_t command = 0; command <= 0xFFFF; ++command)
        EXPECT_EQ(*in::CommandName(static_cast<std::uint16_t>(command)) != '\0', sent.count(command) == 1)
            << std::hex << command;
}

// Row: the inspector's name of a constant, then the library's; a body field's
// place counts from the frame's first byte there and from the body's here.
#define SAME(a, b) {#a, static_cast<long long>(in::a), static_cast<long long>(wire::b)}
#define BODY(a, b) {#a, static_cast<long long>(in::gp::a.at - in::gp::kHeaderSize), static_cast<long long>(wire::b)}

TEST(TablesAgree, LayoutConstants) {
    const struct Row { const char* name; long long inspector, library; } rows[] = {
        SAME(gp::kHeaderSize, kHeaderSize), SAME(gp::kBodySize, kBodySize), SAME(gp::kSession.size, kSessionSize),
        SAME(gp::kMagicText[0], kMagic[0]), SAME(gp::kMagicText[1], kMagic[1]), SAME(gp::kRecordHead, kRecordHead),
        {"gp::kProtocolVersion", in::gp::kProtocolVersion, std::strtol(wire::kVersionHex, nullptr, 16)},
        SAME(gp::kBodyLength.at, kBodyLengthAt), BODY(kVersion, kVersionAt), BODY(kSession, kSessionAt),
        BODY(kCommand, kCommandAt), BODY(kParameterLength, kParameterLengthAt), BODY(kReserved, kReservedAt),
        SAME(gp::kKey.at, kKeyAt), SAME(gp::kKind.at, kKindAt), SAME(Kind::kText, kText), SAME(Kind::kInt32, kInt32),
        SAME(Kind::kByte, kByte), SAME(Kind::kSixBytes, kSixBytes), SAME(gp::kTunnelCommand, kTunnel),
        SAME(gp::kTerminalKey, kTerminalKey), SAME(gp::kMessageIdKey, kMsgIdKey), SAME(gp::kArgumentKey, kArgumentKey),
        SAME(jt808::kParmSet, jt808::kParmSet), SAME(jt808::kParmQuery, jt808::kParmQuery),
        SAME(jt808::kTerminalControl, jt808::kTerminalControl), SAME(jt808::kPositionQuery, jt808::kPositionQuery),
        SAME(jt808::kTempTrack, jt808::kTempTrack), SAME(jt808::kAffirmAlarm, jt808::kAffirmAlarm),
        SAME(jt808::kCircularArea, jt808::kCircularArea), SAME(jt808::kPassThrough, jt808::kPassThrough),
        SAME(jt808::kHeadSize, jt808::kHeadSize), SAME(jt808::kPhoneDigits, jt808::kPhoneDigits),
        SAME(jt808::kHeadSize2019, jt808::kHeadSize2019), SAME(jt808::kPhoneDigits2019, jt808::kPhoneDigits2019),
        SAME(jt808::kVersionFlag, jt808::kVersionFlag),
        SAME(jt808::kBodyLengthBits, jt808::kMaxBodyLength), SAME(jt808::kAreaTimeWindow, jt808::kAreaTimeWindow),
        SAME(jt808::kAreaSpeedLimit, jt808::kAreaSpeedLimit), SAME(card::kTag, card::kTag),
        SAME(card::kStandardData, card::kStandardLength), SAME(card::kExtensionData, card::kExtensionLength),
        SAME(card::kExtensionMark[0], card::kExtensionMark[0]), SAME(card::kExtensionMark[1], card::kExtensionMark[1]),
        SAME(card::kText1Width, card::kText1Width), SAME(card::kText2Width, card::kText2Width),
        SAME(card::kText3Width, card::kText3Width), SAME(card::kText4Width, card::kText4Width),
        SAME(card::kFirstYear, card::kFirstYear), SAME(card::kTailCheck, card::kExtensionCheck.last + 1),
    };
    for (const Row& row : rows) EXPECT_EQ(row.inspector, row.library) << row.name;
}
#undef SAME
#undef BODY

}  // namespace
}  // namespace gpenc::test
