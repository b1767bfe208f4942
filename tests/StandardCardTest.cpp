// The JT/T 808 encoder: IC-card messages (0x8900) with their check bytes, and
// the circular-area alarm setting text.
#include "Hex.h"
#include "LogCapture.h"
#include "Session.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <locale>
#include <tuple>

using gpenc::test::Area;
using gpenc::test::Errors;
using gpenc::test::Hex;
using gpenc::test::LogCapture;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;
using Texts = std::vector<std::string>;

namespace {

// Runs a test quietly, in a zone eight hours east of UTC.
class CardTest : public ::testing::Test {
protected:
    void SetUp() override { gpenc::test::SetZone("CST-8"); }
    void TearDown() override { gpenc::test::SetZone(nullptr); }
    LogCapture quiet_{60000};
};
using CircularTest = CardTest;

struct_EquipControl_SetIC Card() {
    struct_EquipControl_SetIC c;
    c.strPhoneNo = "13800138000";
    c.strCardText1 = "ZHANG SAN";
    c.strCardText2 = "110101199001011234";
    c.tmCardDate = 1741278600;  // 2025-03-06 16:30 UTC, the 7th in the test zone
    c.strCardText3 = "A1234567";
    c.strCardText4 = "012345678901234567890123456789012345678901234567890123456789";  // the last 56 are kept
    c.byCardCheck = 0x55;
    c.byExt1 = 0x11;
    c.byExt2 = 0x22;
    c.byExtCheck = 0x99;
    c.byExtCheckTail = 0x77;
    return c;
}

// Offsets 17 to 143 of both layouts: texts fitted to 32, 18, the date, 18, 56.
const std::string kCardData =
    "5a 48 41 4e 47 20 53 41 4e 48 00 00 48 00 00 48 00 00 48 00 00 48 00 00 48 00 00 48 00 00 48 00"
    " 31 31 30 31 30 31 31 39 39 30 30 31 30 31 31 32 33 34  25 03 07"
    " 41 31 32 33 34 35 36 37 48 00 00 48 00 00 48 00 00 48"
    " 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30 31"
    " 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39";
const std::string kAlphabet = "61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70 71 72 73 74 75 76 77 78 79 7a ";

std::string Alphabet(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

TEST_F(CardTest, StandardAndExtensionMessages) {
    struct_EquipControl_SetIC card = Card();
    card.strExtText1 = "ab";
    card.strExtText3 = Alphabet(117);  // with the three length bytes exactly the 122 bytes of room
    CEncoder_Standard e;
    Bytes out = {0xee};
    ASSERT_TRUE(e.ParmSet_ICInfoSetStandard(card, out));
    // Check byte 73; an OR of the range's last byte would give 7b.
    EXPECT_EQ(ToHex(out), ToHex(Hex("89 00 00 85 01 38 00 13 80 00 00 01 a0 00 00 00 80 " + kCardData + " 73")));

    LogCapture log;
    ASSERT_TRUE(e.ParmSet_ICInfoSetExtension(card, out));
    // Check bytes 73, cc and 15; an OR would give 7b, ee and 7d.
    EXPECT_EQ(ToHex(out), ToHex(Hex("89 00 01 05 01 38 00 13 80 00 00 01 a0 00 00 01 00 " + kCardData +
                                    " 73 a5 5a 11 22 cc 02 61 62 00 75 " + kAlphabet + kAlphabet + kAlphabet +
                                    kAlphabet + "61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 15")));
    // The empty second text is refused by the page step; its length byte stands.
    EXPECT_EQ(log.errors().size(), 1u);
    EXPECT_EQ(log.errors().at(0).text, "(CEncoder_Standard::SetOnceParameterData)运行失败");

    // The 2019 head: the same body, its check bytes over the same body bytes, 5 bytes further on.
    ASSERT_TRUE(e.ParmSet_ICInfoSetStandard(card, out, Jt808Head::Edition2019()));
    EXPECT_EQ(ToHex(out), ToHex(Hex("89 00 40 85 01 00 00 00 00 01 38 00 13 80 00 00 01 a0 00 00 00 80 " + kCardData +
                                    " 73")));
    ASSERT_TRUE(e.ParmSet_ICInfoSetExtension(card, out, Jt808Head::Edition2019(2)));
    EXPECT_EQ(ToHex(out), ToHex(Hex("89 00 41 05 02 00 00 00 00 01 38 00 13 80 00 00 01 a0 00 00 01 00 " + kCardData +
                                    " 73 a5 5a 11 22 cc 02 61 62 00 75 " + kAlphabet + kAlphabet + kAlphabet +
                                    kAlphabet + "61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 15")));

    // The exported fitting step: a longer text loses its front, a shorter one
    // gets the fill, a width below zero fits it to nothing.
    const std::tuple<std::string, int, std::string> fits[] = {
        {"ab", -1, ""}, {"abcdef", 4, "cdef"}, {"abc", 3, "abc"}, {"ab", 7, std::string("abH\0\0H\0", 7)}};
    for (const auto& [from, width, fitted] : fits) {
        std::string text = from;
        EXPECT_TRUE(e.ParmSet_SetICInfoSet_stringAdd0(text, width));
        EXPECT_EQ(text, fitted) << from << " " << width;
    }
}

TEST_F(CardTest, ExtensionTextsFillOrAreRefused) {
    struct_EquipControl_SetIC card = Card();
    CEncoder_Standard e;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_ICInfoSetExtension(card, out));
    ASSERT_EQ(out.size(), 273u);
    EXPECT_EQ(ToHex(Bytes(out.begin() + 145, out.begin() + 150)), "a5 5a 11 22 cc");
    EXPECT_EQ(ToHex(Bytes(out.begin() + 150, out.end())), ToHex(Bytes(123, 0)));  // lengths, fill, check 3

    card.strExtText1 = card.strExtText2 = card.strExtText3 = Alphabet(40);  // 123 bytes with the lengths
    LogCapture log;
    const Bytes before = out;
    EXPECT_FALSE(e.ParmSet_ICInfoSetExtension(card, out));
    EXPECT_EQ(out, before);
    ASSERT_EQ(log.errors().size(), 2u);
    EXPECT_EQ(log.errors()[0].text, "(CEncoder_Standard::ParmSet_SetICInfoSet）运行失败");
    EXPECT_EQ(log.errors()[1].text, "设置信息失败");
    EXPECT_EQ(log.texts().back(), "(CEncoder_Standard::ParmSet_ICInfoSetExtension） 结束>>>>>");
}

// The pages are encoded straight into the body: a text whose step is
// interrupted after its bytes went in must take them back out, and the card,
// which would go out with a hole, fails.
// The year byte holds 2000 to 2099; a date outside them (or none at all) is
// refused with the staging step's failure records, both layouts alike.
TEST_F(CardTest, CardDateInLocalTime) {
    // Each row in its zone, set without telling the C library: the date must
    // notice a change on its own.
    const std::tuple<std::int64_t, const char*, const char*, const char*> cases[] = {
        {1741278600, "CST-8", "25 03 07", ""},  // 2025-03-07 00:30 local, still the 6th in UTC
        {1741278600, "UTC0", "25 03 06", ""},   // the same instant after a change of zone
        {946656000, "CST-8", "00 01 01", ""},   // 2000-01-01 00:00 local
        {4102415999, "CST-8", "99 12 31", ""},  // 2099-12-31 23:59:59 local
        {946655999, "CST-8", nullptr, "card.tmCardDate: must be in the years 2000 to 2099 (local time), got 1999"},
        {4102416000, "CST-8", nullptr, "card.tmCardDate: must be in the years 2000 to 2099 (local time), got 2100"},
        {0, "CST-8", nullptr, "card.tmCardDate: must be in the years 2000 to 2099 (local time), got 1970"},
        {INT64_MAX, "CST-8", nullptr,
         "card.tmCardDate: must be in the years 2000 to 2099 (local time), got no date: 9223372036854775807"},
    };
    using Build = bool (CEncoder_Standard::*)(struct_EquipControl_SetIC, Bytes&);
    // Each with the start of its reasons.
    const std::pair<Build, std::string> builds[] = {
        {&CEncoder_Standard::ParmSet_ICInfoSetStandard, "CEncoder_Standard::ParmSet_ICInfoSetStandard: "},
        {&CEncoder_Standard::ParmSet_ICInfoSetExtension, "CEncoder_Standard::ParmSet_ICInfoSetExtension: "}};
    for (const auto& [build, name] : builds) {
        for (const auto& [time, zone, bytes, reason] : cases) {
            gpenc::test::SetZone(zone);
            struct_EquipControl_SetIC card = Card();
            card.tmCardDate = time;
            CEncoder_Standard e;
            LogCapture log;
            Bytes out = {0x7e};
            const bool ok = (e.*build)(card, out);
            ASSERT_EQ(ok, bytes != nullptr) << time;
            if (ok) {
                EXPECT_EQ(ToHex(Bytes(out.begin() + 67, out.begin() + 70)), bytes) << time;
                continue;
            }
            EXPECT_EQ(out, Bytes{0x7e}) << time;
            EXPECT_EQ(Errors(log), (Texts{"(CEncoder_Standard::ParmSet_SetICInfoSet）运行失败", "设置信息失败"})) << time;
            EXPECT_EQ(gpenc::LastFailure(), name + reason) << time;
        }
    }
}

// ---------------------------------------------------------------------------
// Circular-area alarm setting text
// ---------------------------------------------------------------------------

std::string Text(unsigned char attr, unsigned char count, std::vector<MsgData_AlarmSet_CircularArea> areas) {
    std::string text;
    MsgData_AlarmSet_Circular s;
    s.bySetAttr = attr;
    s.byAreaCount = count;
    s.vecAreas = std::move(areas);
    CEncoder_Standard e;
    EXPECT_TRUE(e.ParmSet_Get808AlarmSetData_Circular(s, text));
    return text;
}

TEST_F(CircularTest, AttributeCombinations) {
    MsgData_AlarmSet_CircularArea big = Area(2);
    big.dwAreaId = 0x80000000u;
    big.dwRadius = 0xFFFFFFFFu;
    big.wMaxSpeed = 65535;
    big.byOverSpeedDuration = 255;
    big.dLatitude = -33.8688;
    big.dLongitude = 1e20;
    MsgData_AlarmSet_CircularArea high = Area(0x8001);  // bits above 1 add nothing
    high.byStartTime[0] = 0xab;
    const std::pair<std::string, const char*> cases[] = {
        {Text(0, 1, {Area(0)}), "0;1;7,0,22.500000,114.250000,500"},
        {Text(2, 1, {Area(1)}), "2;1;7,1,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00"},
        {Text(0, 1, {Area(2)}), "0;1;7,2,22.500000,114.250000,500,60,10"},
        {Text(200, 255, {big}), "200;255;2147483648,2,-33.868800,100000000000000000000.000000,4294967295,65535,255"},
        {Text(0, 9, {high}), "0;9;7,32769,22.500000,114.250000,500,ab-01-02-08-00-00,25-12-31-18-00-00"},
        {Text(1, 2, {Area(0), Area(2)}), "1;2;7,0,22.500000,114.250000,500,7,2,22.500000,114.250000,500,60,10"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

// A locale whose decimal point is a comma.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST_F(CircularTest, NumbersAreWholeWithADotInAnyLocale) {
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string comma = Text(0, 1, {Area(0)});
    std::locale::global(old);
    EXPECT_EQ(comma, "0;1;7,0,22.500000,114.250000,500");

    MsgData_AlarmSet_CircularArea a = Area(0);
    a.dLatitude = 1e300;  // "%f": the 301 digits of its exact value and six decimals
    const std::string text = Text(0, 1, {a});
    ASSERT_EQ(text.size(), 8u + 308u + 15u);
    EXPECT_EQ(text.substr(8, 40), "1000000000000000052504760255204420248704");
    EXPECT_EQ(text.substr(300 + 8), "0.000000,114.250000,500");
}

}  // namespace
