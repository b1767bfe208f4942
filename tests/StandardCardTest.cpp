// The JT/T 808 encoder: IC-card messages (0x8900) with their check bytes, and
// the circular-area alarm setting text.
#include "Hex.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <locale>

using gpenc::test::Hex;
using gpenc::test::LogCapture;
using gpenc::test::TestException;
using gpenc::test::ToHex;
using Bytes = std::vector<unsigned char>;

namespace {

// Keeps the log quiet unless a test records it.
struct Quiet : ::testing::Test {
    LogCapture quiet_{60000};
};
using CardFieldTest = Quiet;
using CircularTest = Quiet;

// Runs the card tests in a fixed zone, eight hours east of UTC.
class CardTest : public Quiet {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        hadTz_ = tz != nullptr;
        if (hadTz_) oldTz_ = tz;
        setenv("TZ", "CST-8", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_) {
            setenv("TZ", oldTz_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

struct_EquipControl_SetIC Card() {
    struct_EquipControl_SetIC c;
    c.strPhoneNo = "13800138000";
    c.byStandard = 1;
    c.strCardText1 = "ZHANG SAN";
    c.strCardText2 = "110101199001011234";
    c.tmCardDate = 1741278600;  // 2025-03-06 16:30 UTC, 2025-03-07 in the test zone
    c.strCardText3 = "A1234567";
    c.strCardText4 = "012345678901234567890123456789012345678901234567890123456789";  // the last 56 are kept
    c.byCardCheck = 0x55;
    return c;
}

// Offsets 17 to 143 of both layouts.
const char kCardData[] =
    "5a 48 41 4e 47 20 53 41 4e 48 00 00 48 00 00 48 00 00 48 00 00 48 00 00 48 00 00 48 00 00 48 00"
    " 31 31 30 31 30 31 31 39 39 30 30 31 30 31 31 32 33 34"
    " 25 03 07"
    " 41 31 32 33 34 35 36 37 48 00 00 48 00 00 48 00 00 48"
    " 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30 31"
    " 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39";

std::string Alphabet(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

TEST_F(CardTest, StandardMessage) {
    CEncoder_Standard e;
    Bytes out = {0xee};
    const struct_EquipControl_SetIC card = Card();
    ASSERT_TRUE(e.ParmSet_ICInfoSetStandard(card, out));
    // 0x73 is the XOR over 17..143; an OR of the last byte would give 0x7b.
    const Bytes expected = Hex(std::string("89 00 00 85 01 38 00 13 80 00 00 01 a0 00 00 00 80 ") + kCardData + " 73");
    EXPECT_EQ(ToHex(out), ToHex(expected));
    EXPECT_EQ(card.strCardText1, "ZHANG SAN");
}

TEST_F(CardTest, ExtensionMessage) {
    struct_EquipControl_SetIC card = Card();
    card.byExt1 = 0x11;
    card.byExt2 = 0x22;
    card.byExtCheck = 0x99;
    card.byExtCheckTail = 0x77;
    card.strExtText1 = "ab";
    card.strExtText3 = Alphabet(117);  // with the three length bytes exactly the 122 bytes of room
    CEncoder_Standard e;
    LogCapture log;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_ICInfoSetExtension(card, out));
    // Check bytes 73, cc and 15; an OR of each range's last byte would give 7b, ee and 7d.
    const Bytes expected = Hex(std::string("89 00 01 05 01 38 00 13 80 00 00 01 a0 00 00 01 00 ") + kCardData +
                               " 73 a5 5a 11 22 cc 02 61 62 00 75" +
                               " 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70 71 72 73 74 75 76 77 78 79 7a"
                               " 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70 71 72 73 74 75 76 77 78 79 7a"
                               " 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70 71 72 73 74 75 76 77 78 79 7a"
                               " 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70 71 72 73 74 75 76 77 78 79 7a"
                               " 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d"
                               " 15");
    EXPECT_EQ(ToHex(out), ToHex(expected));
    // The empty second text is refused by the page step; its length byte stands.
    ASSERT_EQ(log.errors().size(), 1u);
    EXPECT_EQ(log.errors()[0].text, "(CEncoder_Standard::SetOnceParameterData)运行失败");
}

TEST_F(CardTest, EmptyExtensionTextsAreFilledWithZeros) {
    struct_EquipControl_SetIC card = Card();
    card.byExtCheckTail = 0x77;
    CEncoder_Standard e;
    Bytes out;
    ASSERT_TRUE(e.ParmSet_ICInfoSetExtension(card, out));
    ASSERT_EQ(out.size(), 273u);
    EXPECT_EQ(ToHex(Bytes(out.begin() + 145, out.begin() + 150)), "a5 5a 00 00 ff");
    EXPECT_EQ(ToHex(Bytes(out.begin() + 150, out.end())), ToHex(Bytes(123, 0)));
}

TEST_F(CardTest, ExtensionTextsThatDoNotFitAreRefused) {
    struct_EquipControl_SetIC card = Card();
    card.strExtText1 = Alphabet(40);
    card.strExtText2 = Alphabet(40);
    card.strExtText3 = Alphabet(40);  // 123 bytes with the length bytes
    CEncoder_Standard e;
    LogCapture log;
    Bytes out;
    EXPECT_FALSE(e.ParmSet_ICInfoSetExtension(card, out));
    std::vector<std::string> errors;
    for (const auto& r : log.errors()) errors.push_back(r.text);
    EXPECT_EQ(errors, (std::vector<std::string>{"(CEncoder_Standard::ParmSet_SetICInfoSet）运行失败", "设置信息失败"}));
    EXPECT_EQ(log.texts().back(), "(CEncoder_Standard::ParmSet_ICInfoSetExtension） 结束>>>>>");
    EXPECT_TRUE(out.empty());

    // The same object builds the next message cleanly.
    card.strExtText3 = Alphabet(39);
    ASSERT_TRUE(e.ParmSet_ICInfoSetExtension(card, out));
    EXPECT_EQ(out.size(), 273u);
}

TEST_F(CardTest, CardDateInLocalTime) {
    const struct {
        std::int64_t time;
        const char* bytes;
    } cases[] = {
        {1741278600, "25 03 07"},           // 2025-03-07 00:30 local, still the 6th in UTC
        {946641600, "0f 12 31"},            // 1999-12-31: the year -1 as BCD
        {0, "d0 01 01"},                    // 1970-01-01: the year -30 as BCD
        {INT64_MAX, "00 00 00"},            // no calendar date: all zero
    };
    for (const auto& c : cases) {
        struct_EquipControl_SetIC card = Card();
        card.tmCardDate = c.time;
        CEncoder_Standard e;
        Bytes out;
        ASSERT_TRUE(e.ParmSet_ICInfoSetStandard(card, out)) << c.time;
        ASSERT_EQ(out.size(), 145u);
        EXPECT_EQ(ToHex(Bytes(out.begin() + 67, out.begin() + 70)), c.bytes) << c.time;
    }
}

TEST_F(CardFieldTest, TextsAreFittedToTheirWidth) {
    const struct {
        std::string text;
        int width;
        std::string fitted;
    } cases[] = {
        {"abc", 5, std::string("abcH\0", 5)},
        {"", 3, std::string("H\0\0", 3)},
        {"", 7, std::string("H\0\0H\0\0H", 7)},
        {"abcdef", 4, "cdef"},
        {"abcd", 4, "abcd"},
        {"ab", 0, ""},
        {"ab", -1, ""},
    };
    CEncoder_Standard e;
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_TRUE(e.ParmSet_SetICInfoSet_stringAdd0(text, c.width));
        EXPECT_EQ(text, c.fitted) << c.text << " " << c.width;
    }
}

// ---------------------------------------------------------------------------
// Circular-area alarm setting text
// ---------------------------------------------------------------------------

MsgData_AlarmSet_CircularArea Area(std::uint16_t attr) {
    MsgData_AlarmSet_CircularArea a;
    a.dwAreaId = 7;
    a.wAreaAttr = attr;
    a.dLatitude = 22.5;
    a.dLongitude = 114.25;
    a.dwRadius = 500;
    const unsigned char start[6] = {0x25, 0x01, 0x02, 0x08, 0x00, 0x00};
    const unsigned char end[6] = {0x25, 0x12, 0x31, 0x18, 0x00, 0x00};
    std::copy(start, start + 6, a.byStartTime);
    std::copy(end, end + 6, a.byEndTime);
    a.wMaxSpeed = 60;
    a.byOverSpeedDuration = 10;
    return a;
}

MsgData_AlarmSet_Circular Setting(unsigned char attr, unsigned char count,
                                  std::vector<MsgData_AlarmSet_CircularArea> areas) {
    MsgData_AlarmSet_Circular s;
    s.bySetAttr = attr;
    s.byAreaCount = count;
    s.vecAreas = std::move(areas);
    return s;
}

std::string CircularText(const MsgData_AlarmSet_Circular& setting, std::string text = "") {
    CEncoder_Standard e;
    EXPECT_TRUE(e.ParmSet_Get808AlarmSetData_Circular(setting, text));
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
    MsgData_AlarmSet_CircularArea hexTimes = Area(0x8001);  // bits above 1 add nothing
    hexTimes.byStartTime[0] = 0xab;

    const struct {
        const char* name;
        MsgData_AlarmSet_Circular setting;
        const char* text;
    } cases[] = {
        {"worked example", Setting(1, 1, {Area(3)}),
         "1;1;7,3,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00,60,10"},
        {"no areas", Setting(0, 0, {}), "0;0"},
        {"plain area", Setting(0, 1, {Area(0)}), "0;1;7,0,22.500000,114.250000,500"},
        {"time window", Setting(2, 1, {Area(1)}),
         "2;1;7,1,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00"},
        {"speed limit", Setting(0, 1, {Area(2)}), "0;1;7,2,22.500000,114.250000,500,60,10"},
        {"unsigned throughout", Setting(200, 255, {big}),
         "200;255;2147483648,2,-33.868800,100000000000000000000.000000,4294967295,65535,255"},
        {"lower-case hex, high attribute bits", Setting(0, 9, {hexTimes}),
         "0;9;7,32769,22.500000,114.250000,500,ab-01-02-08-00-00,25-12-31-18-00-00"},
        {"two areas", Setting(1, 2, {Area(0), Area(2)}),
         "1;2;7,0,22.500000,114.250000,500,7,2,22.500000,114.250000,500,60,10"},
    };
    for (const auto& c : cases) EXPECT_EQ(CircularText(c.setting), c.text) << c.name;
}

TEST_F(CircularTest, TextFollowsWhatTheCallerPassed) {
    EXPECT_EQ(CircularText(Setting(0, 0, {}), "x="), "x=0;0");
}

TEST_F(CircularTest, LongNumbersAreWrittenWhole) {
    MsgData_AlarmSet_CircularArea a = Area(0);
    a.dLatitude = 1e300;
    const std::string text = CircularText(Setting(0, 1, {a}));
    // "%f" of 1e300: 301 digits of its exact value and six decimals.
    const std::size_t from = std::string("0;1;7,0,").size();
    const std::string lat = text.substr(from, text.find(',', from) - from);
    EXPECT_EQ(lat.size(), 308u);
    EXPECT_EQ(lat.substr(0, 40), "1000000000000000052504760255204420248704");
    EXPECT_EQ(lat.substr(300), "0.000000");
}

// A locale whose decimal point is a comma.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(CircularTest, DecimalPointIsADotInAnyLocale) {
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string text = CircularText(Setting(0, 1, {Area(0)}));
    std::locale::global(old);
    EXPECT_EQ(text, "0;1;7,0,22.500000,114.250000,500");
}

TEST_F(CircularTest, CaughtExceptionKeepsTheTextAndSucceeds) {
    LogCapture log;
    log.ThrowAt("(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular） 结束>>>>>", 1, L"已中断");
    std::string text;
    CEncoder_Standard e;
    EXPECT_TRUE(e.ParmSet_Get808AlarmSetData_Circular(Setting(0, 0, {}), text));
    EXPECT_EQ(text, "0;0");
    ASSERT_EQ(log.errors().size(), 1u);
    EXPECT_EQ(log.errors()[0].text, "(CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular）运行失败,错误信息为: 已中断");
    EXPECT_EQ(TestException::alive, 0);
}

}  // namespace
