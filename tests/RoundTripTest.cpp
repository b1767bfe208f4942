// Round trips: seeded random settings encoded by the library and decoded by the
// frame inspector, which shares no code with it, compared field by field.
#include "Hex.h"
#include "Session.h"
#include "gpenc/Encoder.h"
#include "gpenc/Host.h"
#include "gpenc/Inspect.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <random>
#include <set>
#include <tuple>

namespace gpenc::test {
namespace {

namespace in = gpenc::inspect;
using Bytes = std::vector<unsigned char>;

constexpr unsigned kCasesPerBuilder = 300;

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
    // No "H" or NUL: the filler card texts are padded with.
    std::string Plain(std::size_t min, std::size_t max) {
        return Text(min, max, "ABCDEFGIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.:-_");
    }
    unsigned char Bcd(int lo, int hi) {
        const int v = static_cast<int>(Int(lo, hi));
        return static_cast<unsigned char>(v / 10 << 4 | v % 10);
    }

private:
    std::mt19937 rng_;
};

// ------------------------------------------------------ JT/T 808 content
// Random settings for the 808-tunnelled builders, and the checks of what the
// inspector reads back from the message or text a frame tunnels.

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

void ExpectHead(const in::Jt808Message& m, std::uint16_t id, const std::string& phone) {
    EXPECT_EQ(m.head.messageId.value, id);
    EXPECT_EQ(m.head.properties.value.bodyLength, m.size - 12);
    EXPECT_EQ(m.head.phone.value, phone);
    EXPECT_EQ(m.head.serial.value, 1);
    EXPECT_TRUE(m.warnings.empty()) << m.warnings.front().Describe();
}

void ExpectEntries(const in::Jt808Message& m, const std::string& phone, const std::vector<Entry>& want) {
    ExpectHead(m, 0x8103, phone);
    ASSERT_TRUE(m.paramSetting);
    EXPECT_EQ(m.paramSetting->count.value, want.size());
    ASSERT_EQ(m.paramSetting->entries.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(m.paramSetting->entries[i].id.value, want[i].param.id) << "entry " << i;
        EXPECT_TRUE(m.paramSetting->entries[i].value == want[i].value) << "entry " << i;
    }
}

struct_EquipControl_SetIC RandomCard(Gen& g, std::string phone) {
    struct_EquipControl_SetIC card;
    card.strPhoneNo = std::move(phone);
    card.strCardText1 = g.Plain(0, 40);
    card.strCardText2 = g.Plain(0, 24);
    card.strCardText3 = g.Plain(0, 24);
    card.strCardText4 = g.Plain(0, 64);
    card.tmCardDate = g.Int(946771200, 4102358400);  // 2000-01-02 to 2099-12-31
    card.byExt1 = g.Byte();
    card.byExt2 = g.Byte();
    for (auto* t : {&card.strExtText1, &card.strExtText2, &card.strExtText3}) *t = g.Text(0, 39);
    card.byStandard = static_cast<unsigned char>(g.Int(0, 3));
    return card;
}

// The card holds the last `width` bytes of a longer text.
void ExpectCard(const in::Jt808Message& m, const struct_EquipControl_SetIC& card) {
    const bool standard = card.byStandard == 1;
    EXPECT_EQ(m.size, standard ? 145u : 273u);
    ExpectHead(m, 0x8900, card.strPhoneNo);
    ASSERT_TRUE(m.icCard);
    const in::IcCard& c = *m.icCard;
    const std::string* got[] = {&c.text1.text, &c.text2.text, &c.text3.text, &c.text4.text};
    const std::pair<const std::string*, std::size_t> sent[] = {
        {&card.strCardText1, 32}, {&card.strCardText2, 18}, {&card.strCardText3, 18}, {&card.strCardText4, 56}};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& [text, width] = sent[i];
        EXPECT_EQ(*got[i], text->size() > width ? text->substr(text->size() - width) : *text) << "text " << i;
    }
    const std::time_t t = static_cast<std::time_t>(card.tmCardDate);
    const std::tm local = gpenc::test::LocalTime(t);
    EXPECT_EQ(std::make_tuple(int(c.date.year), int(c.date.month), int(c.date.day)),
              std::make_tuple(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
    EXPECT_TRUE(c.check1.matches);
    ASSERT_EQ(c.extension.has_value(), !standard);
    if (standard) return;
    const in::CardExtension& x = *c.extension;
    EXPECT_EQ(x.ext1.value, card.byExt1);
    EXPECT_EQ(x.ext2.value, card.byExt2);
    const std::string* ext[] = {&card.strExtText1, &card.strExtText2, &card.strExtText3};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(x.texts[i].raw.value, Bytes(ext[i]->begin(), ext[i]->end())) << i;
    EXPECT_TRUE(x.check2.matches && x.check3.matches);
}

std::vector<MsgData_AlarmSet_CircularArea> RandomAreas(Gen& g) {
    std::vector<MsgData_AlarmSet_CircularArea> areas(static_cast<std::size_t>(g.Int(0, 4)));
    for (auto& a : areas) {
        a.dwAreaId = static_cast<std::uint32_t>(g.Int(0, 0xffffffff));
        a.wAreaAttr = static_cast<std::uint16_t>(g.Int(0, 3));
        // Micro-degrees: what the text's six decimals carry.
        a.dLatitude = static_cast<double>(g.Int(-90000000, 90000000)) / 1e6;
        a.dLongitude = static_cast<double>(g.Int(-180000000, 180000000)) / 1e6;
        a.dwRadius = static_cast<std::uint32_t>(g.Int(0, 0xffffffff));
        for (auto* t : {a.byStartTime, a.byEndTime})
            for (auto [i, hi] : {std::pair{0, 99}, {1, 12}, {2, 28}, {3, 23}, {4, 59}, {5, 59}})
                t[i] = g.Bcd(i == 1 || i == 2, hi);
        a.wMaxSpeed = static_cast<std::uint16_t>(g.Int(0, 0xffff));
        a.byOverSpeedDuration = g.Byte();
    }
    return areas;
}

void ExpectCircular(const in::Decoded<in::CircularSetting>& decoded, const sEquip_AlarmSet& r) {
    ASSERT_TRUE(decoded.ok()) << decoded.error->Describe();
    const in::CircularSetting& s = decoded.value;
    EXPECT_TRUE(s.warnings.empty()) << s.warnings.front().Describe();
    EXPECT_EQ(s.setAttribute.value, r.bySetAttr);
    EXPECT_EQ(s.areaCount.value, r.vecAreas.size());
    ASSERT_EQ(s.areas.size(), r.vecAreas.size());
    for (std::size_t i = 0; i < s.areas.size(); ++i) {
        const auto& want = r.vecAreas[i];
        const in::CircularArea& got = s.areas[i];
        EXPECT_EQ(got.id.value, want.dwAreaId);
        EXPECT_EQ(got.attributes.value, want.wAreaAttr);
        EXPECT_NEAR(got.latitude.value, want.dLatitude, 5e-7);
        EXPECT_NEAR(got.longitude.value, want.dLongitude, 5e-7);
        EXPECT_EQ(got.radius.value, want.dwRadius);
        const bool window = want.wAreaAttr & 1, speed = want.wAreaAttr & 2;
        ASSERT_EQ(got.start.has_value(), window);
        ASSERT_EQ(got.maxSpeed.has_value() && got.overSpeedDuration.has_value(), speed);
        if (window) {
            EXPECT_TRUE(std::equal(want.byStartTime, want.byStartTime + 6, got.start->value.bcd.begin()));
            EXPECT_TRUE(std::equal(want.byEndTime, want.byEndTime + 6, got.end->value.bcd.begin()));
        }
        if (speed) {
            EXPECT_EQ(got.maxSpeed->value, want.wMaxSpeed);
            EXPECT_EQ(got.overSpeedDuration->value, want.byOverSpeedDuration);
        }
    }
}

// A terminal number of 11 to 15 digits and the 808 phone number it stands
// for: its last 12 digits, a shorter one filled with '0' on the left.
std::pair<std::string, std::string> RandomTerminal(Gen& g) {
    const std::string t = g.Text(11, 15, "0123456789");
    return {t, t.size() >= 12 ? t.substr(t.size() - 12) : std::string(12 - t.size(), '0') + t};
}

// ------------------------------------------------------------- GP frames

// A tunnelled setting's frame: its terminal number and 808 message id text
// (keys 0 and 1), and the check of what the inspector reads from key 2.
struct Want {
    std::string terminal;
    const char* id;
    std::function<void(const in::Tunnel&)> content;
};

// Builds one random setting on `e` into `out` and says what the frame must carry.
using Run = std::function<bool(Gen&, CEncoder&, Bytes&, Want&)>;

struct BuilderCase {
    const char* name;
    Run run;
};

// The 808 content of a tunnelled setting, once the inspector has read it.
const in::Jt808Message& Message(const in::Tunnel& t) {
    static const in::Jt808Message kNone;
    EXPECT_TRUE(t.jt808 && t.jt808->ok()) << (t.jt808 && t.jt808->error ? t.jt808->error->Describe() : "none");
    return t.jt808 ? t.jt808->value : kNone;
}

// The plain platform commands are checked byte for byte by the command tests;
// the settings carry content whose every field is drawn here.
const BuilderCase kBuilders[] = {
    {"EquipSet", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquipset r;
         std::string phone;
         std::tie(r.terminalNo, phone) = RandomTerminal(g);
         r.msgId = 0x8103;
         // A heartbeat (0x0001) given as decimal text, or a server address (0x0013).
         const bool heartbeat = g.Int(0, 1);
         const auto number = static_cast<std::uint32_t>(g.Int(0, 0xffffffff));
         r.nSetParm = heartbeat ? 1 : 0x13;
         r.strValue = heartbeat ? std::to_string(number) : g.Text(1, 40);
         const std::vector<Entry> entries{{kParams[heartbeat ? 0 : 1], heartbeat ? EntryValue(number) : r.strValue}};
         want = {r.terminalNo, "8103", [phone, entries](const in::Tunnel& t) { ExpectEntries(Message(t), phone, entries); }};
         return e.EquipSet(&r, out);
     }},
    {"EquipSetList", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         const std::vector<Entry> entries = RandomEntries(g);
         std::vector<sEquipset> list(entries.size());
         std::vector<std::string> phones(entries.size());
         for (std::size_t i = 0; i < entries.size(); ++i) {
             std::tie(list[i].terminalNo, phones[i]) = RandomTerminal(g);
             list[i].eParmMark = static_cast<EequipParameterMark>(entries[i].param.id);
             if (auto* text = std::get_if<std::string>(&entries[i].value)) list[i].strValue = *text;
             if (auto* bytes = std::get_if<in::Bytes>(&entries[i].value)) list[i].vecValueBytes = *bytes;
             if (auto* number = std::get_if<std::uint32_t>(&entries[i].value)) list[i].strValue = std::to_string(*number);
         }
         // The list addresses the first record's terminal.
         want = {list[0].terminalNo, "8103",
                 [phone = phones[0], entries](const in::Tunnel& t) { ExpectEntries(Message(t), phone, entries); }};
         return e.EquipSet(list, out);
     }},
    {"EquipSet_ICInfoSet", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquipControl_SetIC r;
         std::string phone;
         std::tie(r.terminalNo, phone) = RandomTerminal(g);
         r.stSetIC = RandomCard(g, phone);
         want = {r.terminalNo, "8900", [card = r.stSetIC](const in::Tunnel& t) { ExpectCard(Message(t), card); }};
         return e.EquipSet_ICInfoSet(r, out);
     }},
    {"EquipAlarmSet", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquip_AlarmSet r;
         r.terminalNo = RandomTerminal(g).first;
         r.bySetAttr = static_cast<unsigned char>(g.Int(0, 2));
         r.vecAreas = RandomAreas(g);
         r.byAreaCount = static_cast<unsigned char>(r.vecAreas.size());
         want = {r.terminalNo, "8600", [r](const in::Tunnel& t) {
                     ASSERT_TRUE(t.circular);
                     ExpectCircular(*t.circular, r);
                 }};
         return e.EquipAlarmSet(&r, out);
     }},
};

void PrintTo(const BuilderCase& c, std::ostream* os) { *os << c.name; }

class BuilderRoundTrip : public ::testing::TestWithParam<BuilderCase> {};

// Seeds 1 to kCasesPerBuilder, up to the first that fails.
TEST_P(BuilderRoundTrip, InspectorReadsWhatTheBuilderWrote) {
    const BuilderCase& c = GetParam();
    for (unsigned seed = 1; seed <= kCasesPerBuilder && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Gen g(seed * 2654435761u);
        unsigned char session[16];
        for (auto& x : session) x = g.Byte();
        CSessionData::SetSession(session);
        CEncoder encoder;
        Bytes out;
        Want want;
        ASSERT_TRUE(c.run(g, encoder, out, want));

        const in::Dump dump = in::DecodeFrames(out.data(), out.size());
        ASSERT_FALSE(dump.error) << dump.error->Describe() << "\n" << ToHex(out);
        ASSERT_EQ(dump.frames.size(), 1u);
        const in::Frame& f = dump.frames[0];
        EXPECT_TRUE(f.warnings.empty()) << in::RenderText(f);
        EXPECT_EQ(f.command.value, 0x33);
        EXPECT_TRUE(std::equal(session, session + 16, f.sessionId.value.begin()));
        ASSERT_EQ(f.parameters.size(), 3u) << in::RenderText(f);
        EXPECT_TRUE(f.parameters[0].value == in::Value(want.terminal));
        EXPECT_TRUE(f.parameters[1].value == in::Value(std::string(want.id)));
        for (unsigned key = 0; key < 3; ++key) EXPECT_EQ(f.parameters[key].key.value, key);
        ASSERT_TRUE(f.tunnel);
        want.content(*f.tunnel);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBuilder, BuilderRoundTrip, ::testing::ValuesIn(kBuilders),
                         [](const auto& info) { return std::string(info.param.name); });

// The encoder's and the inspector's tables are kept apart on purpose; these
// rows keep them in step. Every 16-bit parameter id has the same type in both,
// and the inspector names exactly the command numbers the golden frames of the
// command tests carry.
TEST(TablesAgree, ParameterTypesOfEveryId) {
    CEncoder_Standard standard;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id)
        ASSERT_EQ(static_cast<int>(standard.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(id))),
                  static_cast<int>(in::LookupParameter(id).type))
            << std::hex << id;
}

TEST(TablesAgree, CommandNumbers) {
    const std::set<std::uint16_t> sent = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x11, 0x18,
                                          0x19, 0x20, 0x21, 0x22, 0x23, 0x25, 0x33, 0x50};
    for (std::uint32_t command = 0; command <= 0xFFFF; ++command)
        EXPECT_EQ(*in::CommandName(static_cast<std::uint16_t>(command)) != '\0', sent.count(command) == 1)
            << std::hex << command;
}

}  // namespace
}  // namespace gpenc::test
