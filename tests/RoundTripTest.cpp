// Round trips: seeded random records encoded by the library and decoded by the
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
    std::int32_t NonZero() {
        const auto v = static_cast<std::int32_t>(Int(INT32_MIN, INT32_MAX));
        return v ? v : 1;
    }
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

// What a frame must carry: its parameters in order, key and typed value (the
// value kind follows from the type: text, Int32, byte, six bytes; a text whose
// value is left empty is checked by `content`), and what the inspector must
// read from the tunnelled content.
struct Want {
    std::vector<std::pair<std::uint16_t, in::Value>> params;
    std::function<void(const in::Tunnel&)> content;
};

// Random parameters under keys 0 up, one for each letter of `kinds`: t any
// text, i a non-zero Int32, b any byte, n a non-zero byte, s six bytes not all zero.
Want Random(Gen& g, const std::string& kinds) {
    Want want;
    for (char k : kinds) {
        in::Value v;
        switch (k) {
        case 't': v = g.Text(); break;
        case 'i': v = g.NonZero(); break;
        case 'b': v = g.Byte(); break;
        case 'n': v = static_cast<std::uint8_t>(g.Int(1, 255)); break;
        default:
            v = in::SixBytes{g.Byte(), g.Byte(), g.Byte(), g.Byte(), g.Byte(), g.Byte()};
            std::get<in::SixBytes>(v)[static_cast<std::size_t>(g.Int(0, 5))] |= 1;
        }
        want.params.push_back({static_cast<std::uint16_t>(want.params.size()), v});
    }
    return want;
}
const std::string& S(const Want& w, std::size_t i) { return std::get<std::string>(w.params[i].second); }
std::int32_t I(const Want& w, std::size_t i) { return std::get<std::int32_t>(w.params[i].second); }
std::uint8_t B(const Want& w, std::size_t i) { return std::get<std::uint8_t>(w.params[i].second); }
const in::SixBytes& Six(const Want& w, std::size_t i) { return std::get<in::SixBytes>(w.params[i].second); }

// Builds a request on `e` into `out`: from the parameters drawn for the row's
// kinds, or, with no kinds, from its own random record, adding what it must carry to `want`.
using Run = std::function<bool(Gen&, CEncoder&, Bytes&, Want&)>;

struct BuilderCase {
    const char* name;
    std::uint16_t command;
    const char* kinds;
    Run run;
};

// The 808 requests: terminal number, message id text, argument.
std::vector<std::pair<std::uint16_t, in::Value>> Tunnel(const std::string& terminal, const char* id,
                                                         in::Value argument) {
    return {{0, terminal}, {1, std::string(id)}, {2, std::move(argument)}};
}

// The 808 content of a tunnelled setting, once the inspector has read it.
const in::Jt808Message& Message(const in::Tunnel& t) {
    static const in::Jt808Message kNone;
    EXPECT_TRUE(t.jt808 && t.jt808->ok()) << (t.jt808 && t.jt808->error ? t.jt808->error->Describe() : "none");
    return t.jt808 ? t.jt808->value : kNone;
}

std::string Joined(std::string s, const std::string* args, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) s += (i ? ";" : "") + args[i];
    return s;
}

// The builders of two texts, keys 0 and 1.
template <class R>
Run TwoTexts(bool (CEncoder::*build)(R*, Bytes&)) {
    return [build](Gen&, CEncoder& e, Bytes& out, Want& w) {
        R r{S(w, 0), S(w, 1)};
        return (e.*build)(&r, out);
    };
}

// The 808 requests whose message id and argument are fixed: the caller's own
// message id and text are not read.
template <class R>
Run Fixed(bool (CEncoder::*build)(R*, Bytes&), const char* id, const char* argument) {
    return [=](Gen& g, CEncoder& e, Bytes& out, Want& want) {
        R r;
        r.terminalNo = g.Plain(1, 20);
        if constexpr (std::is_same_v<R, sEquipsetQuery>) r = {r.terminalNo, g.Text(), int(g.Int(0, 0xffff)), g.Text()};
        want.params = Tunnel(r.terminalNo, id, argument);
        return (e.*build)(&r, out);
    };
}

const BuilderCase kBuilders[] = {
    {"CommonData", 2, "", [](Gen&, CEncoder& e, Bytes& out, Want&) { return e.CommonData(2, out); }},
    {"CommonData4", 4, "", [](Gen&, CEncoder& e, Bytes& out, Want&) { return e.CommonData(4, out); }},
    {"UserLogin", 1, "tttttttt", [](Gen&, CEncoder& e, Bytes& out, Want& w) {
         sUserLogin r{S(w, 0), S(w, 1), S(w, 2), S(w, 3), S(w, 4), S(w, 5), S(w, 6), S(w, 7)};
         return e.UserLogin(&r, out);
     }},
    {"Subscription", 3, "it",
     [](Gen&, CEncoder& e, Bytes& out, Want& w) { return e.Subscription(I(w, 0), S(w, 1), out); }},
    {"SubscriptionNumber", 3, "i", [](Gen&, CEncoder& e, Bytes& out, Want& w) { return e.Subscription(I(w, 0), out); }},
    {"Realtime", 0x50, "t", [](Gen&, CEncoder& e, Bytes& out, Want& w) { return e.Realtime(S(w, 0), out); }},
    {"Photograph", 5, "tb",
     [](Gen&, CEncoder& e, Bytes& out, Want& w) { return e.Photograph(S(w, 0), B(w, 1), out); }},
    {"TrackPlayback", 0x11, "tss", [](Gen&, CEncoder& e, Bytes& out, Want& w) {
         sTrackPlayback r{S(w, 0)};
         std::copy(Six(w, 1).begin(), Six(w, 1).end(), r.byStartTime);
         std::copy(Six(w, 2).begin(), Six(w, 2).end(), r.byEndTime);
         return e.TrackPlayback(&r, out);
     }},
    {"Cmd_sCommitInterval", 0x22, "ntttttt", [](Gen&, CEncoder& e, Bytes& out, Want& w) {
         sCommitInterval r{B(w, 0), S(w, 1), S(w, 2), S(w, 3), S(w, 4), S(w, 5), S(w, 6)};
         return e.Cmd_sCommitInterval(&r, out);
     }},
    {"Cmd_SoundSowing", 6, "tt", TwoTexts(&CEncoder::Cmd_SoundSowing)},
    {"Cmd_sSimSet", 0x23, "tt", TwoTexts(&CEncoder::Cmd_sSimSet)},
    {"Cmd_sBlackout", 0x25, "tt", TwoTexts(&CEncoder::Cmd_sBlackout)},
    {"Cmd_sListening", 0x20, "tbt", [](Gen&, CEncoder& e, Bytes& out, Want& w) {
         sListening r{S(w, 2), S(w, 0), B(w, 1)};
         return e.Cmd_sListening(&r, out);
     }},
    {"Cmd_sVideo", 0x19, "tbtit", [](Gen&, CEncoder& e, Bytes& out, Want& w) {
         sVideo r{S(w, 4), S(w, 0), B(w, 1), S(w, 2), I(w, 3)};
         return e.Cmd_sVideo(&r, out);
     }},
    {"Cmd_sTimeInterval", 0x18, "ti", [](Gen&, CEncoder& e, Bytes& out, Want& w) {
         sTimeInterval r{S(w, 0), I(w, 1)};
         return e.Cmd_sTimeInterval(&r, out);
     }},
    {"Cmd_AlarmHandle", 7, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sAlarmHandle r{g.Text(), g.Text(), static_cast<unsigned char>(g.Int(0, 9)), g.Text()};
         want.params = {{0, r.text0}, {1, r.text1}, {2, std::string(1, static_cast<char>(r.byte2))}, {3, r.text3}};
         return e.Cmd_AlarmHandle(&r, out);
     }},
    {"Cmd_sPreset", 0x21, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sPreset r;
         r.text0 = g.Text();
         for (auto n = g.Int(1, 5); n > 0; --n) r.names2.push_back(g.Text());
         // A count below -1 sends no names.
         r.count1 = static_cast<int>(g.Int(0, 3) == 0 ? g.Int(-100, -2) : g.Int(1, r.names2.size()));
         want.params = {{0, r.text0}, {1, r.count1}};
         for (int i = 0; i < r.count1; ++i) want.params.push_back({2, r.names2[static_cast<std::size_t>(i)]});
         return e.Cmd_sPreset(&r, out);
     }},
    {"Cmd_EquipSetQuery", 0x33, "", Fixed(&CEncoder::Cmd_EquipSetQuery, "8104", "0")},
    {"Cmd_EquipPositionInfoQuery", 0x33, "", Fixed(&CEncoder::Cmd_EquipPositionInfoQuery, "8201", "0")},
    {"Cmd_AffirmAlarmInform", 0x33, "", Fixed(&CEncoder::Cmd_AffirmAlarmInform, "8203", "1")},
    {"Cmd_EquipTempPositionTrack", 0x33, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquipTempPositionTrack r;
         r.terminalNo = g.Plain(1, 20);
         r.nInterval = static_cast<int>(g.Int(0, 86400));
         r.nValidity = static_cast<int>(g.Int(0, 0x7fffffff));
         want.params = Tunnel(r.terminalNo, "8202", std::to_string(r.nInterval) + "," + std::to_string(r.nValidity));
         return e.Cmd_EquipTempPositionTrack(&r, out);
     }},
    {"Cmd_EquipControl", 0x33, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquipControl r;
         r.terminalNo = g.Plain(1, 20);
         r.nCommand = static_cast<int>(g.Int(1, 7));
         for (auto& a : r.strUpgradeArgs) a = g.Plain(0, 12);
         for (auto& a : r.strConnectArgs) a = g.Plain(0, 12);
         r.strConnectArgs[0] = g.Int(0, 1) ? "1" : "0";
         std::string argument = std::to_string(r.nCommand);
         if (r.nCommand == 1) argument = Joined("1,", r.strUpgradeArgs.data(), 11);
         if (r.nCommand == 2) argument = r.strConnectArgs[0] == "1" ? "2,1" : Joined("2,", r.strConnectArgs.data(), 9);
         want.params = Tunnel(r.terminalNo, "8105", argument);
         return e.Cmd_EquipControl(&r, out);
     }},
    {"EquipSet", 0x33, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
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
         want.params = Tunnel(r.terminalNo, "8103", {});
         want.content = [phone, entries](const in::Tunnel& t) { ExpectEntries(Message(t), phone, entries); };
         return e.EquipSet(&r, out);
     }},
    {"EquipSetList", 0x33, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
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
         want.params = Tunnel(list[0].terminalNo, "8103", {});
         want.content = [phone = phones[0], entries](const in::Tunnel& t) { ExpectEntries(Message(t), phone, entries); };
         return e.EquipSet(list, out);
     }},
    {"EquipSet_ICInfoSet", 0x33, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquipControl_SetIC r;
         std::string phone;
         std::tie(r.terminalNo, phone) = RandomTerminal(g);
         r.stSetIC = RandomCard(g, phone);
         want.params = Tunnel(r.terminalNo, "8900", {});
         want.content = [card = r.stSetIC](const in::Tunnel& t) { ExpectCard(Message(t), card); };
         return e.EquipSet_ICInfoSet(r, out);
     }},
    {"EquipAlarmSet", 0x33, "", [](Gen& g, CEncoder& e, Bytes& out, Want& want) {
         sEquip_AlarmSet r;
         r.terminalNo = RandomTerminal(g).first;
         r.bySetAttr = static_cast<unsigned char>(g.Int(0, 2));
         r.vecAreas = RandomAreas(g);
         r.byAreaCount = static_cast<unsigned char>(r.vecAreas.size());
         want.params = Tunnel(r.terminalNo, "8600", {});
         want.content = [r](const in::Tunnel& t) {
             ASSERT_TRUE(t.circular);
             ExpectCircular(*t.circular, r);
         };
         return e.EquipAlarmSet(&r, out);
     }},
};

void PrintTo(const BuilderCase& c, std::ostream* os) { *os << c.name; }

constexpr std::uint8_t kKinds[] = {0, 1, 6, 9, 10};  // by the index of in::Value

class BuilderRoundTrip : public ::testing::TestWithParam<BuilderCase> {};

// Seeds 1 to kCasesPerBuilder, varied by the command, up to the first that fails.
TEST_P(BuilderRoundTrip, InspectorReadsWhatTheBuilderWrote) {
    const BuilderCase& c = GetParam();
    for (unsigned seed = 1; seed <= kCasesPerBuilder && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Gen g(seed * 2654435761u ^ c.command);
        unsigned char session[16];
        for (auto& x : session) x = g.Byte();
        CSessionData::SetSession(session);
        CEncoder encoder;
        Bytes out;
        Want want = Random(g, c.kinds);
        ASSERT_TRUE(c.run(g, encoder, out, want));

        const in::Dump dump = in::DecodeFrames(out.data(), out.size());
        ASSERT_FALSE(dump.error) << dump.error->Describe() << "\n" << ToHex(out);
        ASSERT_EQ(dump.frames.size(), 1u);
        const in::Frame& f = dump.frames[0];
        EXPECT_TRUE(f.warnings.empty()) << in::RenderText(f);
        EXPECT_EQ(f.command.value, c.command);
        // A login never fetches the session id.
        for (std::size_t i = 0; i < 16; ++i) ASSERT_EQ(f.sessionId.value[i], c.command == 1 ? 0 : session[i]) << i;
        ASSERT_EQ(f.parameters.size(), want.params.size()) << in::RenderText(f);
        for (std::size_t i = 0; i < want.params.size(); ++i) {
            const in::Parameter& p = f.parameters[i];
            const auto& [key, value] = want.params[i];
            EXPECT_EQ(p.key.value, key) << "parameter " << i;
            EXPECT_EQ(p.kind.value, kKinds[value.index() ? value.index() : 1]) << "parameter " << i;
            if (value.index() != 0) {
                EXPECT_TRUE(p.value == value) << "parameter " << i << "\n" << in::RenderText(f);
            }
        }
        if (c.command == 0x33) {
            ASSERT_TRUE(f.tunnel);
            if (want.content)
                want.content(*f.tunnel);
            else
                EXPECT_TRUE(f.tunnel->request && f.tunnel->request->ok()) << in::RenderText(f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBuilder, BuilderRoundTrip, ::testing::ValuesIn(kBuilders),
                         [](const auto& info) { return std::string(info.param.name); });

// The encoder's and the inspector's tables are kept apart on purpose; these
// rows keep them in step. Every 16-bit parameter id has the same type in both,
// and the inspector names exactly the command numbers the builders above send.
TEST(TablesAgree, ParameterTypesOfEveryId) {
    CEncoder_Standard standard;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id)
        ASSERT_EQ(static_cast<int>(standard.ParmSet_Get808ParmType(static_cast<EequipParameterMark>(id))),
                  static_cast<int>(in::LookupParameter(id).type))
            << std::hex << id;
}

TEST(TablesAgree, CommandNumbers) {
    std::set<std::uint16_t> sent;
    for (const BuilderCase& c : kBuilders) sent.insert(c.command);
    for (std::uint32_t command = 0; command <= 0xFFFF; ++command)
        EXPECT_EQ(*in::CommandName(static_cast<std::uint16_t>(command)) != '\0', sent.count(command) == 1)
            << std::hex << command;
}

}  // namespace
}  // namespace gpenc::test
