// The inspector on frames, 808 messages and texts written out by hand: decoded
// fields, errors with their offsets, and lines of the renderings.
#include "Hex.h"

#include <gpenc/Inspect.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace {

using namespace gpenc::inspect;
using gpenc::test::Hex;
using gpenc::test::Repeat;

const std::string kSession = "a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af ";

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Ascii(std::string_view s) { return Bytes(s.begin(), s.end()); }

std::string Format0x(std::uint32_t id) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%04x", unsigned(id));
    return b;
}

// Header and body of a frame with session a0..af.
Bytes Head(unsigned command, unsigned paramLength) {
    char fields[32];
    std::snprintf(fields, sizeof fields, "%04x %08x 00 00", command, paramLength);
    return Hex("47 50 00 1a 00 01 " + kSession + fields);
}

// A text record under `key`; the test's own encoding of the record layout.
Bytes TextRecord(std::uint8_t key, std::string_view text) {
    const std::size_t n = text.size() + 7;
    return Cat({Bytes{0, 0, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n), 0, key, 1}, Ascii(text)});
}

Bytes TunnelFrame(std::string_view terminal, std::string_view id, std::string_view arg) {
    const Bytes params = Cat({TextRecord(0, terminal), TextRecord(1, id), TextRecord(2, arg)});
    return Cat({Head(0x33, static_cast<unsigned>(params.size())), params});
}

// A tunnel frame for terminal 001234567890, whose 808 phone number is 001234567890.
Bytes Tunnelled(std::string_view id, std::string_view arg) { return TunnelFrame("001234567890", id, arg); }

// The 808 parameter-setting example: heartbeat interval 30 for 1234567890.
const std::string kSetting808 = "8103000a00123456789000010100000001040000001e";
// The 2019 head's fields after the body properties: version 1, the 20 digits
// 00000000013912345678, serial 1.
const std::string k2019 = " 01 00 00 00 00 01 39 12 34 56 78 00 01 ";
// Heartbeat interval 30 under the 2019 head (body properties 400a).
const std::string kSetting2019 = "8103400a010000000001391234567800010100000001040000001e";

// The same message tunnelled: 111 bytes, its records at 30, 49 and 60.
const Bytes kTunnelFrame = Tunnelled("8103", kSetting808);

// What a decoder reported: "error: " and its error first, then its warnings,
// joined by " | "; "" when it reported nothing.
std::string Said(const std::optional<Problem>& error, const std::vector<Problem>& warnings = {}) {
    std::string s = error ? "error: " + error->Describe() : "";
    for (const Problem& w : warnings) s += (s.empty() ? "" : " | ") + w.Describe();
    return s;
}

std::string Said(const Dump& d) {
    std::vector<Problem> warnings;
    for (const Frame& f : d.frames) warnings.insert(warnings.end(), f.warnings.begin(), f.warnings.end());
    return Said(d.error, warnings);
}

template <class T>
std::string Said(const Decoded<T>& d) {
    return Said(d.error, d.value.warnings);
}

TEST(ParseHexTest, BlanksBetweenBytesOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"4750001A", "47 50 00 1a"},
        {" 47\t50\r\n", "47 50"},
        {"", ""},
        {"4 750", "error: bad hex text at offset 1: expected the second digit of the byte at offset 0"},
    };
    for (const auto& [text, want] : cases) {
        const Decoded<Bytes> d = ParseHex(text);
        EXPECT_EQ(d.ok() ? gpenc::test::ToHex(d.value) : Said(d.error), want) << text;
    }
}

TEST(FrameTest, FramesBackToBackWithRecordsOfEveryKind) {
    const Bytes kinds = Cat({Head(0x22, 55), Hex("00 00 00 0b 00 00 06 00 00 00 05"
                                                 "00 00 00 0b 00 01 06 ff ff ff fe"
                                                 "00 00 00 08 00 01 09 2a"
                                                 "00 00 00 0d 00 02 0a b0 b1 b2 b3 b4 b5"
                                                 "00 00 00 0c ff ff 01 00 0a 22 5c 80")});
    const Dump d = DecodeFrames(Cat({kTunnelFrame, kinds}));
    ASSERT_EQ(Said(d), "");
    ASSERT_EQ(d.frames.size(), 2u);
    const Frame& f = d.frames[1];
    EXPECT_EQ(std::tuple(f.offset, f.command.offset), std::tuple(111u, 133u));
    const std::tuple<std::size_t, std::size_t, unsigned, unsigned, Value> want[] = {
        // raw at, width, key, kind
        {148, 4, 0, 6, std::int32_t{5}},
        {159, 4, 1, 6, std::int32_t{-2}},
        {170, 1, 1, 9, std::uint8_t{0x2a}},
        {178, 6, 2, 10, SixBytes{0xb0, 0xb1, 0xb2, 0xb3, 0xb4, 0xb5}},
        {191, 5, 0xffff, 1, std::string("\0\n\"\\\x80", 5)},
    };
    ASSERT_EQ(f.parameters.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const Parameter& p = f.parameters[i];
        EXPECT_EQ(std::tuple(p.raw.offset, p.raw.size, unsigned{p.key.value}, unsigned{p.kind.value}, p.value),
                  want[i]);
    }
}

// Errors and warnings, of the frame itself and of what it tunnels.
TEST(FrameTest, ProblemsNameTheOffset) {
    const std::string intRecord = "00 00 00 0b 00 00 06 00 00 00 05";  // subscription number 5
    std::string upper = kSetting808;
    upper[7] = 'A';
    const struct {
        Bytes bytes;
        std::size_t frames;  // decoded before any error
        const char* said;
    } cases[] = {
        {{}, 0, "error: no frame at offset 0: expected a GP frame, the input is empty"},
        {Hex("47 51 00 1a 00 01"), 0, "error: bad magic at offset 0: expected \"GP\" (47 50), found 47 51"},
        {Hex("47 50 00 1b 00 01"), 0, "error: bad body length at offset 2: expected 26, found 27"},
        {Head(3, 0xffffffff), 0, "error: bad parameter length at offset 24: expected a byte count, found -1"},
        {Cat({Head(3, 11), Hex("00 00 00 06 00 00 06 00 00 00 05")}), 0,
         "error: bad record length at offset 30: a parameter record is at least 7 bytes, found 6"},
        {Cat({Head(3, 12), Hex("00 00 00 0c 00 00 06 00 00 00 00 05")}), 0,
         "error: bad record length at offset 30: a record of kind 6 (Int32) is 11 bytes, found 12"},
        {Cat({Head(3, 11), Hex("00 00 00 0b 00 00 02 00 00 00 05")}), 0,
         "error: unknown value kind at offset 36: expected 1, 6, 9 or 10, found 2"},
        {Cat({Head(3, 15), Hex(intRecord), Hex("00 00 00 09 00 01")}), 0,
         "error: parameter length disagrees at offset 41: parameter record needs 9 bytes, 4 left"},
        {Cat({Head(3, 11), Hex(intRecord), Hex("47")}), 1,
         "error: frame truncated at offset 41: magic needs 2 bytes, 1 left"},
        {Hex("47 50 00 1a 00 02 " + kSession + "00 02 00 00 00 00 00 00"), 1,
         "unexpected protocol version at offset 4: expected 1, found 2"},
        {Hex("47 50 00 1a 00 01 " + kSession + "00 02 00 00 00 00 00 01"), 1,
         "reserved word not zero at offset 28: found 0001"},
        {Head(0x99, 0), 1, "unknown command at offset 22: 0099 is no command of this system"},
        {Cat({Head(3, 7), Hex("00 00 00 07 00 00 01")}), 1,
         "empty text at offset 30: a text record carries at least 1 byte"},
        // Tunnelled content.
        {Tunnelled("8103", kSetting808.substr(0, 43)), 1,
         "bad key-2 hex text at offset 109: odd length 43: expected two hex digits per byte"},
        {Tunnelled("8103", upper), 1, "upper-case hex digit at offset 74: 808 messages travel as lower-case hex"},
        {Tunnelled("8103", kSetting808.substr(0, 40)), 1,
         "808 message truncated at offset 91: body needs 10 bytes, 8 left (808 message offset 12)"},
        {Tunnelled("8900", kSetting808), 1, "message id disagrees at offset 67: key 1 gives 8900, the 808 head 8103"},
        {Tunnelled("8103", kSetting2019), 1,
         "phone number disagrees at offset 77: the terminal number gives 00000000001234567890, the 808 head "
         "00000000013912345678"},
        {TunnelFrame("13912345678", "8103", kSetting808), 1,
         "phone number disagrees at offset 74: the terminal number gives 013912345678, the 808 head 001234567890"},
        {Tunnelled("8600", "1;1;-7,0,1.000000,2.000000,3"), 1,
         "bad setting text at offset 71: expected area 1's id as an unsigned decimal up to 4294967295, found \"-7\" "
         "(key-2 text offset 4)"},
        {Tunnelled("0x8103", kSetting808), 1,
         "bad message id at offset 56: expected lower-case hex without leading zeros, found \"0x8103\""},
        {Tunnelled("8300", "x"), 1, "unknown 808 message id at offset 56: 8300 is no message this system tunnels"},
    };
    for (const auto& c : cases) {
        const Dump d = DecodeFrames(c.bytes);
        EXPECT_EQ(Said(d), c.said);
        EXPECT_EQ(d.frames.size(), c.frames) << c.said;
    }
}

// DWORD, STRING and BYTES entries with their offsets are the tool's golden dump
// of a setting list (tools/gpenc/tests/golden/EquipSet-list.dump).
TEST(Jt808Test, EntriesOfTheOtherTypes) {
    const Bytes msg =
        Hex("81 03 00 13 01 39 12 34 56 78 00 01 03  00 00 00 31 02 23 45  00 00 00 84 01 02"
            "00 00 01 ff 00");
    const Decoded<Jt808Message> d = DecodeJt808(msg.data(), msg.size());
    ASSERT_EQ(Said(d), "");
    const auto& entries = d.value.paramSetting->entries;
    using Entry = std::tuple<std::size_t, ParamType, std::string, decltype(ParamEntry::value)>;
    const Entry want[] = {
        {13, ParamType::kWord, "electronic fence radius (m)", std::uint32_t{0x2345}},
        {20, ParamType::kByte, "licence plate colour", std::uint32_t{2}},
        {26, ParamType::kBytes, "CAN bus id collection setting", Bytes{}},
    };
    ASSERT_EQ(entries.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Entry(entries[i].offset, entries[i].info.type, entries[i].info.name, entries[i].value), want[i]);
}

// IC-card texts "ZHANG SAN", "ID123", "ORG", "PLATE12" with their filler, date
// 2025-03-07; the XOR of offsets 17 to 143 is 67 (an OR of the last byte 48
// would give 6f).
const std::string kCardData =
    "5a48414e472053414e4800004800004800004800004800004800004800004800"
    "494431323348000048000048000048000048"
    "250307"
    "4f5247480000480000480000480000480000"
    "504c415445313248000048000048000048000048000048000048000048000048000048000048000048000048000048000048000048000048";
// An IC-card message of terminal 013912345678: body length and data length
// as hex, the card data above and what follows it.
// `head`: the fields after the body properties.
Bytes Card(const std::string& bodyLength, const std::string& dataLength, const std::string& rest,
           const std::string& head = " 01 39 12 34 56 78 00 01 ") {
    return Hex("89 00 " + bodyLength + head + "a0 00 00 " + dataLength + kCardData + rest);
}
// Extension: 11 22 with check cc; texts "abc", "", "xy" (check 60), zero filled.
const std::string kExtension = "67 a5 5a 11 22 cc 03 61 62 63 00 02 78 79" + gpenc::test::Times(" 00", 114) + " 60";
const Bytes kExtensionCard = Card("01 05", "01 00", kExtension);

// A card text as "offset+width text fill n"; a check byte as "at: first-last computed matches|differs".
std::string Text(const CardText& t) {
    return std::to_string(t.raw.offset) + "+" + std::to_string(t.raw.size) + " " + t.text + " fill " +
           std::to_string(t.fill);
}

std::string Check(const CheckByte& c) {
    char b[64];
    std::snprintf(b, sizeof b, "%zu: %zu-%zu %02x %s", c.stored.offset, c.first, c.last, unsigned{c.computed},
                  c.matches ? "matches" : "differs");
    return b;
}

// The standard layout alone is the check-byte row of the problems below.
TEST(Jt808Test, IcCardWithItsExtension) {
    ASSERT_EQ(kExtensionCard.size(), 273u);
    const Decoded<Jt808Message> d = DecodeJt808(kExtensionCard.data(), kExtensionCard.size());
    ASSERT_EQ(Said(d), "");
    EXPECT_EQ(d.value.head.properties.value.bodyLength, 261);
    const IcCard& c = *d.value.icCard;
    EXPECT_EQ(std::tuple(c.type.value, c.dataLength.value), std::tuple(0xa0, 0x100));
    EXPECT_EQ((std::vector<std::string>{Text(c.text1), Text(c.text2), Text(c.text3), Text(c.text4), Check(c.check1)}),
              (std::vector<std::string>{"17+32 ZHANG SAN fill 23", "49+18 ID123 fill 13", "70+18 ORG fill 15",
                                        "88+56 PLATE12 fill 49", "144: 17-143 67 matches"}));
    EXPECT_EQ(c.date.bcd.offset, 67u);
    EXPECT_EQ(std::tuple(c.date.year, c.date.month, c.date.day, c.date.valid), std::tuple(2025, 3, 7, true));
    ASSERT_TRUE(c.extension);
    const CardExtension& x = *c.extension;
    EXPECT_EQ(std::tuple(x.mark1.value, x.mark2.value, x.ext1.value, x.ext2.offset),
              std::tuple(0xa5, 0x5a, 0x11, 148u));
    EXPECT_EQ(Check(x.check2), "149: 145-148 cc matches");
    EXPECT_EQ(std::tuple(x.texts[0].length.offset, x.texts[0].raw.value, x.texts[1].length.value),
              std::tuple(150u, Ascii("abc"), 0));
    EXPECT_EQ(std::tuple(x.texts[2].raw.offset, x.texts[2].raw.value), std::tuple(156u, Ascii("xy")));
    EXPECT_EQ(std::tuple(x.zeroFill.offset, x.zeroFill.size, x.zeroFill.value), std::tuple(158u, 114u, 0u));
    EXPECT_EQ(Check(x.check3), "272: 150-271 60 matches");
}

// A message's head and where its body's fields stand: edition, version byte,
// digits, serial, body offset, then each entry's id, name and offset, or each
// check byte; after what the decoder said, if anything.
std::string Layout(const Decoded<Jt808Message>& d) {
    const Jt808Head& h = d.value.head;
    std::string s = Said(d);
    if (!d.ok()) return s;
    s += (s.empty() ? "" : " | ") + std::to_string(h.Edition()) + " v" +
         (h.protocolVersion ? std::to_string(h.protocolVersion->value) : "-") + " " + h.phone.value + " #" +
         std::to_string(h.serial.value) + " body@" + std::to_string(h.size);
    char entry[96];
    for (const ParamEntry& e : d.value.paramSetting ? d.value.paramSetting->entries : std::vector<ParamEntry>{}) {
        std::snprintf(entry, sizeof entry, " %04x %s@%zu", unsigned(e.id.value), e.info.name, e.offset);
        s += entry;
    }
    if (const auto& c = d.value.icCard) s += " " + Check(c->check1);
    if (const auto& c = d.value.icCard; c && c->extension)
        s += " " + Check(c->extension->check2) + " " + Check(c->extension->check3);
    return s;
}

// The 2019 head (version flag, version byte, 20 digits) puts the body 5 bytes
// later, and entries, card fields and check ranges with it; a 2013 message
// reads as it always has. Each message reads the same tunnelled, under a
// terminal number that agrees with its digits.
TEST(Jt808Test, BothHeadsStandaloneAndTunnelled) {
    const struct {
        Bytes m;
        const char* terminal;
        const char* want;
    } rows[] = {
        {Hex(kSetting2019), "13912345678", "2019 v1 00000000013912345678 #1 body@17 0001 heartbeat interval (s)@18"},
        {Hex("81 03 40 10 ff 12 34 56 78 90 12 34 56 78 90 00 01 02 00 00 00 23 01 41 00 00 00 32 04 08 00 12 00"),
         "12345678901234567890",
         "2019 v255 12345678901234567890 #1 body@17 0023 slave server APN@18 0032 illegal driving period (start HH MM, "
         "end HH MM)@24"},
        // A published 2019 vector, its 7e flags and check code 3a taken off: hylexus/xtream-codec,
        // ext/jt/jt-808-server-spring-boot-starter-reactive/src/test/.../BuiltinMessage8103Sample1Test.java.
        {Hex("8103404e0100000000013912344329000007 00000001 04 0000006f 00000040 0b 3133393030303031313131 "
             "00000040 0b 3133393030303032323232 00000040 0b 3133393030303033333333 "
             "00000081 02 003e 00000082 02 0067 00000084 01 01"),
         "13912344329",
         "2019 v1 00000000013912344329 #0 body@17 0001 heartbeat interval (s)@18 0040 monitoring platform phone "
         "number@27 0040 monitoring platform phone number@43 0040 monitoring platform phone number@59 0081 province "
         "id@75 0082 city id@82 0084 licence plate colour@89"},
        // A published 1078 vector, its 7e flags and check code 58 taken off: SmallChi/JT1078@0e21c72f,
        // src/JT808.Protocol.Extensions.JT1078.Test/JT808_0x8103CustomId.cs.
        {Hex("8103009C000123456789000A070000007515030500040700000006080A00090C0000000B000201000000761B0201030302000107"
             "0604050B0A08090F0E0C0D1312101117161415000000772B0201030500040700000006080A00090C0000000B000201030500040700"
             "000006080A00090C0000000B000200000079030302010000007A04000000010000007B0201020000007C140103020A002300120045"
             "00340067005600890078"),
         "000123456789",
         "2013 v- 000123456789 #10 body@12 0075 audio/video parameters@13 0076 audio/video channel list@39 0077 "
         "per-channel video parameters@71 0079 special alarm recording parameters@119 007a video-related alarm "
         "mask@127 007b image analysis alarm parameters@136 007c terminal sleep wake-up mode@143"},
        {Card("40 85", "00 80", "67", k2019), "13912345678",
         "2019 v1 00000000013912345678 #1 body@17 149: 22-148 67 matches"},
        {Card("41 05", "01 00", kExtension, k2019), "13912345678",
         "2019 v1 00000000013912345678 #1 body@17 149: 22-148 67 matches 154: 150-153 cc matches 277: 155-276 60 "
         "matches"},
        {Card("00 85", "00 80", "67"), "13912345678", "2013 v- 013912345678 #1 body@12 144: 17-143 67 matches"},
        {Hex("81 03 40 0a 01 00 00 00"), "13912345678",
         "error: 808 message truncated at offset 5: phone number needs 10 bytes, 3 left"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Layout(DecodeJt808(row.m.data(), row.m.size())), row.want);
        std::string run = gpenc::test::ToHex(row.m);
        run.erase(std::remove(run.begin(), run.end(), ' '), run.end());
        const Dump d = DecodeFrames(TunnelFrame(row.terminal, run.substr(0, 4), run));
        ASSERT_EQ(d.frames.size(), 1u) << row.want;
        EXPECT_EQ(Layout(*d.frames[0].tunnel->jt808), row.want);
        EXPECT_EQ(d.Clean(), std::string(row.want).rfind("error", 0) != 0) << row.want;
    }
}

TEST(Jt808Test, ProblemsNameTheOffset) {
    const std::string head = "81 03 00 0a 00 12 34 56 78 90 00 01 ";
    const Bytes overrun = Cat(
        {Card("01 10", "01 00", "67 a5 5a 11 22 cc 64"), Repeat("61", 100), Hex("1e"), Repeat("62", 30), Hex("00 00")});
    const std::pair<Bytes, const char*> cases[] = {
        // The standard layout, its check byte computed with the last byte ORed in instead of XORed.
        {Card("00 85", "00 80", "6f"),
         "check byte mismatch at offset 144: the XOR of offsets 17 to 143 is 67, found 6f"},
        {Hex(head + "01 00 00 00 01 05 00 00 00 1e"),
         "error: 808 body too short at offset 18: entry 1 of 1: value needs 5 bytes, 4 left"},
        {overrun,
         "error: IC-card extension texts overrun at offset 150: the three texts with their lengths take 133 bytes, "
         "122 fit before the check byte at 272 | IC-card data length disagrees at offset 15: it gives 256 bytes, the "
         "body holds 267 after it"},
        {Cat({Hex(kSetting808), Hex("00")}),
         "bytes after the body at offset 22: the body length is 10, 1 bytes follow the body"},
        {Hex(head + "00 00 00 00 01 04 00 00 00 1e"),
         "bytes after the last entry at offset 13: the count gives 0 entries, 9 bytes follow them"},
        {Hex(head + "01 00 00 00 31 04 00 00 00 1e"),
         "bad parameter length at offset 17: a WORD parameter is 2 bytes, found 4"},
        {Hex(head + "01 00 00 00 08 04 00 00 00 1e"),
         "unknown parameter at offset 13: 0x0008 is not a terminal parameter id"},
        {Hex("81 03 40 09" + k2019 + "01 00 00 00 32 03 08 00 12"),
         "bad parameter length at offset 22: a BYTE[4] parameter is 4 bytes, found 3"},
        // Structured values whose lengths do not fit their layouts.
        {Cat({Hex("81 03 00 1a 00 12 34 56 78 90 00 01 01 00000075 14"), Repeat("00", 20)}),
         "bad parameter length at offset 17: a BYTE[21] parameter is 21 bytes, found 20"},
        {Hex("81 03 00 08 00 12 34 56 78 90 00 01 01 00000076 02 0101"),
         "bad parameter length at offset 17: the channel counts take 3 bytes, found 2"},
        {Hex("81 03 00 0c 00 12 34 56 78 90 00 01 01 00000076 06 010000 030201"),
         "bad parameter length at offset 17: the counts give 1 channel of 4 bytes, 7 bytes with the counts; found 6"},
        {Cat({Hex("81 03 00 1c 00 12 34 56 78 90 00 01 01 00000077 16 02"), Repeat("00", 21)}),
         "bad parameter length at offset 17: the counts give 2 channels of 21 bytes, 43 bytes with the counts; found "
         "22"},
        {Hex("81 03 00 09 00 12 34 56 78 90 00 01 01 0000007a 03 000001"),
         "bad parameter length at offset 17: a DWORD parameter is 4 bytes, found 3"},
        // An id of the 2019 edition alone, under the 2013 head.
        {Hex(head + "01 00 00 00 32 04 00 00 00 1e"),
         "unknown parameter at offset 13: 0x0032 is not a terminal parameter id"},
        {Hex("81 03 00 0a 00 12 34 56 78 9a 00 01 01 00 00 00 01 04 00 00 00 1e"),
         "phone number not BCD at offset 9: expected two decimal digits, found 9a"},
        {Hex("81 03 20 0a 00 12 34 56 78 90 00 01 01 00 00 00 01 04 00 00 00 1e"),
         "unexpected body property bits at offset 2: expected encryption, sub-package and reserved bits 0, found "
         "2000"},
    };
    for (const auto& [bytes, said] : cases) EXPECT_EQ(Said(DecodeJt808(bytes.data(), bytes.size())), said);
}

// A message of terminal 000123456789, serial 10, around `body` (hex) under the
// 2013 or the 2019 head.
Bytes Setting(const std::string& body, bool v2019) {
    const Bytes b = Hex(body);
    char properties[24];
    std::snprintf(properties, sizeof properties, "%04zx", b.size() | (v2019 ? 0x4000 : 0));
    return Cat({Hex(std::string("8103") + properties + (v2019 ? "01 00000000000123456789" : "000123456789") + "000a"),
                b});
}

// A structured value's fields as "key=shown (meaning)", an entry's first
// field after "[n] ", joined by "; ".
std::string Fields(const ParamEntry& e) {
    std::string s;
    for (const ParamField& f : e.fields) {
        const bool first = &f == &e.fields.front() || f.entry != (&f - 1)->entry;
        s += std::string(s.empty() ? "" : "; ") + (f.entry && first ? "[" + std::to_string(f.entry) + "] " : "") +
             f.def->key + "=" + f.shown + (f.meaning.empty() ? "" : " (" + f.meaning + ")");
    }
    return s;
}

// Each row a 0x8103 body; each entry reads as "0xNNNN name[ (extension)]:
// fields", after the warnings, in either head. The fields tile the value.
// Bodies from other libraries' tests are their bytes as published:
//   SmallChi/JT1078@0e21c72fbbc2df03070c2c8fc50435dc95f44b05:src/JT808.Protocol.Extensions.JT1078.Test/JT808_0x8103CustomId.cs
//     (its message's entries, one at a time);
//   SmallChi/JTActiveSafety@90d77812b35a28ab4b2fbbcbd02e8f017cc7aee1:src/JT808.Protocol.Extensions.JTActiveSafety.Test/
//     JT808_0x8103_0xF364_Test.cs to _0xF367_Test.cs (whole bodies);
//   yezhihao/jt808-server@1606313632a502f3b302f5c99da9c6bb2e45036b:jtt808-protocol/src/test/resources/单元测试记录.txt
//     (the entries of its 0x0104 reply, with the Guangdong-length 0xF364 and 0xF365).
TEST(Jt808Test, StructuredParametersFieldByField) {
    const std::pair<const char*, const char*> rows[] = {
        {"01 00000075 15 03 05 0004 07 00000006 08 0a 0009 0c 0000000b 0002 01",
         "0x0075 audio/video parameters: rts_encoding=3; rts_resolution=5 (720P); rts_key_frame_interval=4; "
         "rts_frame_rate=7; rts_bit_rate=6; storage_encoding=8; storage_resolution=10; storage_key_frame_interval=9; "
         "storage_frame_rate=12; storage_bit_rate=11; osd=0x0002 (licence plate); audio_output=1 (on)"},
        {"01 00000076 1b 02 01 03 03020001 07060405 0b0a0809 0f0e0c0d 13121011 17161415",
         "0x0076 audio/video channel list: av_channels=2; audio_channels=1; video_channels=3; [1] physical_channel=3; "
         "logical_channel=2; channel_type=0 (audio and video); ptz=1 (yes); [2] physical_channel=7; logical_channel=6; "
         "channel_type=4; ptz=5; [3] physical_channel=11; logical_channel=10; channel_type=8; ptz=9; "
         "[4] physical_channel=15; logical_channel=14; channel_type=12; ptz=13; [5] physical_channel=19; "
         "logical_channel=18; channel_type=16; ptz=17; [6] physical_channel=23; logical_channel=22; channel_type=20; "
         "ptz=21"},
        {"01 00000077 2b 02 01 03 05 0004 07 00000006 08 0a 0009 0c 0000000b 0002 "
         "01 03 05 0004 07 00000006 08 0a 0009 0c 0000000b 0002",
         "0x0077 per-channel video parameters: channel_count=2; [1] logical_channel=1; rts_encoding=3; "
         "rts_resolution=5 (720P); rts_key_frame_interval=4; rts_frame_rate=7; rts_bit_rate=6; storage_encoding=8; "
         "storage_resolution=10; storage_key_frame_interval=9; storage_frame_rate=12; storage_bit_rate=11; "
         "osd=0x0002 (licence plate); [2] logical_channel=1; rts_encoding=3; rts_resolution=5 (720P); "
         "rts_key_frame_interval=4; rts_frame_rate=7; rts_bit_rate=6; storage_encoding=8; storage_resolution=10; "
         "storage_key_frame_interval=9; storage_frame_rate=12; storage_bit_rate=11; osd=0x0002 (licence plate)"},
        {"01 00000079 03 030201",
         "0x0079 special alarm recording parameters: storage_threshold=3; duration=2; start=1"},
        {"01 0000007a 04 00000001", "0x007a video-related alarm mask: mask=0x00000001 (video signal loss)"},
        {"01 0000007b 02 0102", "0x007b image analysis alarm parameters: passenger_capacity=1; fatigue_threshold=2"},
        {"01 0000007c 14 0103020a 0023 0012 0045 0034 0067 0056 0089 0078",
         "0x007c terminal sleep wake-up mode: wake_modes=0x01 (on conditions); wake_conditions=0x03 (emergency alarm, "
         "collision or roll-over alarm); wake_days=0x02 (Tuesday); periods=0x0a (period 2, period 4); "
         "period_1_wake=00:23; period_1_sleep=00:12; period_2_wake=00:45; period_2_sleep=00:34; period_3_wake=00:67; "
         "period_3_sleep=00:56; period_4_wake=00:89; period_4_sleep=00:78"},
        {"010000F36438052D030002000122231D26000000040000000A1E09152B08180F0E14291011122A16170D13280C0B1C192C1B1A242527"
         "0607202101020304",
         "0xf364 advanced driver assistance (ADAS) parameters (Jiangsu active safety, T/JSATL12): speed_threshold=5; "
         "volume=45; photo_strategy=3; photo_interval=2; photo_distance=1; photo_count=34; photo_count_interval=35; "
         "photo_resolution=29; video_resolution=38; alarm_enable=0x00000004; event_enable=0x0000000a; reserved_1=1e; "
         "obstacle_distance=9; obstacle_speed=21; obstacle_video=43; obstacle_photos=8; obstacle_photo_interval=24; "
         "lane_change_period=15; lane_change_count=14; lane_change_speed=20; lane_change_video=41; "
         "lane_change_photos=16; lane_change_photo_interval=17; departure_speed=18; departure_video=42; "
         "departure_photos=22; departure_photo_interval=23; collision_time=13; collision_speed=19; collision_video=40; "
         "collision_photos=12; collision_photo_interval=11; pedestrian_time=28; pedestrian_speed=25; "
         "pedestrian_video=44; pedestrian_photos=27; pedestrian_photo_interval=26; headway_distance=36; "
         "headway_speed=37; headway_video=39; headway_photos=6; headway_photo_interval=7; sign_photos=32; "
         "sign_photo_interval=33; reserved_2=01 02 03 04"},
        {"010000F3652F052D030002000122231D26000000040000000A003E002E0102033941373831402F3033423C3D3234353F3A3B360506",
         "0xf365 driver status monitoring (DSM) parameters (Jiangsu active safety, T/JSATL12): speed_threshold=5; "
         "volume=45; photo_strategy=3; photo_interval=2; photo_distance=1; photo_count=34; photo_count_interval=35; "
         "photo_resolution=29; video_resolution=38; alarm_enable=0x00000004; event_enable=0x0000000a; "
         "smoking_interval=62; phone_interval=46; reserved_1=01 02 03; fatigue_speed=57; fatigue_video=65; "
         "fatigue_photos=55; fatigue_photo_interval=56; phone_speed=49; phone_video=64; phone_photos=47; "
         "phone_photo_interval=48; smoking_speed=51; smoking_video=66; smoking_photos=60; smoking_photo_interval=61; "
         "distraction_speed=50; distraction_photos=52; distraction_photo_interval=53; abnormal_video=63; "
         "abnormal_photos=58; abnormal_photo_interval=59; driver_id_trigger=54; reserved_2=05 06"},
        {"010000F366243939393939393939393939390008000400060005000300020001000A0007010203040506",
         "0xf366 tyre pressure monitoring (TPMS) parameters (Jiangsu active safety, T/JSATL12): "
         "tyre_model=\"999999999999\"; pressure_unit=8; normal_pressure=4; imbalance_threshold=6; "
         "slow_leak_threshold=5; low_pressure=3; high_pressure=2; high_temperature=1; voltage_threshold=10; "
         "report_interval=7; reserved=01 02 03 04 05 06"},
        {"010000F367020201",
         "0xf367 blind spot monitoring (BSD) parameters (Jiangsu active safety, T/JSATL12): rear_time=2; "
         "side_rear_time=1"},
        {"07000000751501010001010000000102020002020000000200030300000079030000000000007b0200000000007c1400000000000000"
         "000000000000000000000000000000f36439ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff"
         "ffffffffffffffffffffffffffffffffffffffffff0000f36541ffffffffffffffffffffffffffffffffffffffffffffff000000ffff"
         "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff0000f36702ffff",
         "unknown parameter: 0xf364 is not a terminal parameter id | unknown parameter: 0xf365 is not a terminal "
         "parameter id | 0x0075 audio/video parameters: rts_encoding=1 (VBR); rts_resolution=1 (CIF); "
         "rts_key_frame_interval=1; rts_frame_rate=1; rts_bit_rate=1; storage_encoding=2 (ABR); storage_resolution=2 "
         "(WCIF); storage_key_frame_interval=2; storage_frame_rate=2; storage_bit_rate=2; osd=0x0003 (date and time, "
         "licence plate); audio_output=3 | 0x0079 special alarm recording parameters: storage_threshold=0; "
         "duration=0; start=0 | 0x007b image analysis alarm parameters: passenger_capacity=0; fatigue_threshold=0 | "
         "0x007c terminal sleep wake-up mode: wake_modes=0x00 (none); wake_conditions=0x00 (none); wake_days=0x00 "
         "(none); periods=0x00 (none); period_1_wake=00:00; period_1_sleep=00:00; period_2_wake=00:00; "
         "period_2_sleep=00:00; period_3_wake=00:00; period_3_sleep=00:00; period_4_wake=00:00; period_4_sleep=00:00 "
         "| 0xf364 unknown parameter:  | 0xf365 unknown parameter:  | 0xf367 blind spot monitoring (BSD) parameters "
         "(Jiangsu active safety, T/JSATL12): rear_time=255; side_rear_time=255"},
    };
    for (const auto& [body, want] : rows) {
        for (const bool v2019 : {false, true}) {
            const Bytes m = Setting(body, v2019);
            const Decoded<Jt808Message> d = DecodeJt808(m.data(), m.size());
            ASSERT_TRUE(d.ok() && d.value.paramSetting) << Said(d);
            std::string got;
            for (const Problem& w : d.value.warnings) got += (got.empty() ? "" : " | ") + w.what + ": " + w.detail;
            for (const ParamEntry& e : d.value.paramSetting->entries) {
                got += (got.empty() ? "" : " | ") + Format0x(e.id.value) + " " + e.info.name +
                       (e.info.extension ? std::string(" (") + e.info.extension + ")" : "") + ": " + Fields(e);
                std::size_t at = e.raw.offset;
                for (const ParamField& f : e.fields) at = f.raw.offset == at ? at + f.raw.size : SIZE_MAX;
                EXPECT_TRUE(e.fields.empty() || at == e.raw.offset + e.raw.size) << want;
            }
            EXPECT_EQ(got, want) << (v2019 ? "2019" : "2013");
        }
    }
}

// A prefix stops a frame at one of its fields or records and a message at its
// head or body length: one of each reaches every truncation. Each prefix is
// copied to a buffer of exactly its size, so that the sanitizer catches a read past it.
TEST(RobustnessTest, EveryPrefixIsAnError) {
    const Bytes message = Hex(kSetting808);
    for (std::size_t n = 0; n < kTunnelFrame.size(); ++n) {
        const Bytes frame(kTunnelFrame.begin(), kTunnelFrame.begin() + static_cast<std::ptrdiff_t>(n));
        const Dump d = DecodeFrames(frame);
        ASSERT_TRUE(d.error && d.frames.empty()) << n;
        EXPECT_LE(d.error->offset, n) << n;
        EXPECT_FALSE(RenderText(d).empty() || RenderJson(d).empty()) << n;
        if (n >= message.size()) continue;
        const Bytes m(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(n));
        const Decoded<Jt808Message> e = DecodeJt808(m.data(), m.size());
        ASSERT_TRUE(e.error) << n;
        EXPECT_LE(e.error->offset, n) << n;
    }
}

// The areas read as their radius plus "+start", "+end", "+speed", "+duration"
// for the optional fields present, or what the decoder said if it said anything.
TEST(SettingTextTest, AttributesProblemsAndOffsets) {
    const std::pair<const char*, const char*> cases[] = {
        {"0;0", ""},
        {"0;1;7,1,22.500000,114.250000,500,25-01-02-08-00-00,25-12-31-18-00-00", "500+start+end"},
        {"2;2;1,0,1.000000,-2.500000,10,2,2,3.000000,4.000000,4294967295,80,5", "10 4294967295+speed+duration"},
        {"1;2;7,0,1.000000,2.000000,3", "area count disagrees at offset 2: the count is 2, the text holds 1 areas"},
        {"1", "error: bad setting text at offset 1: expected two or three parts separated by \";\", found 1"},
        {"1;1;7,0,22.5,114.250000,500",
         "error: bad setting text at offset 8: expected area 1's latitude as a decimal with six places, found "
         "\"22.5\""},
        {"1;1;7,1,1.000000,2.000000,3,25-01-02-08-00-00",
         "error: bad setting text at offset 45: the text ends where area 1's end time should follow"},
        {"1;1;7,1,1.000000,2.000000,3,25-01-02,25-01-02-08-00-00",
         "error: bad setting text at offset 28: expected area 1's start time as six hex pairs joined by \"-\", "
         "found \"25-01-02\""},
        {"1;1;7,0,1.000000,2.000000,4294967296",
         "error: bad setting text at offset 26: expected area 1's radius as an unsigned decimal up to 4294967295, "
         "found \"4294967296\""},
    };
    for (const auto& [text, want] : cases) {
        const Decoded<CircularSetting> d = DecodeCircularText(text);
        std::string got = Said(d);
        if (got.empty()) {
            for (const CircularArea& a : d.value.areas)
                got += (got.empty() ? "" : " ") + std::to_string(a.radius.value) + (a.start ? "+start" : "") +
                       (a.end ? "+end" : "") + (a.maxSpeed ? "+speed" : "") + (a.overSpeedDuration ? "+duration" : "");
        }
        EXPECT_EQ(got, want) << text;
    }
}

// Coordinates come out as a correctly rounded parse of their text gives them
// (30 + 0.519501 would not), even the largest, and one too large for a double
// is refused.
TEST(SettingTextTest, CoordinatesReadAsWritten) {
    const struct {
        const char* lat;
        const char* lon;
        double latitude, longitude;
    } cases[] = {
        {"30.519501", "-12.321269", 30.519501, -12.321269},
        {"-0.000001", "179.999999", -0.000001, 179.999999},
        {"9007199254.740993", "0.000001", 9007199254.740993, 0.000001},
        // The lowest double as "%f" prints it: 309 digits before the point.
        {"-179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558632766878171540458"
         "9535143824642343213268894641827684675467035375169860499105765512820762454900903893289440758685084551339423045"
         "83236903222948165808559332123348274797826204144723168738177180919299881250404026184124858368.000000",
         "0.000000", -1.7976931348623157e308, 0}};
    for (const auto& c : cases) {
        const auto d = DecodeCircularText(std::string("0;1;1,0,") + c.lat + "," + c.lon + ",1");
        ASSERT_TRUE(d.ok() && d.value.areas.size() == 1) << c.lat;
        EXPECT_EQ(d.value.areas[0].latitude.value, c.latitude);
        EXPECT_EQ(d.value.areas[0].longitude.value, c.longitude);
    }
    const auto huge = DecodeCircularText("0;1;1,0," + std::string(400, '9') + ".000000,1.000000,1");
    EXPECT_TRUE(huge.error && huge.error->offset == 8 && huge.error->what == "bad setting text");
}

// The request table reads "meaning; item count; last item name@offset=value".
TEST(RequestTest, ArgumentsExplainedOrRefused) {
    const struct {
        std::uint16_t id;
        const char* text;
        const char* want;
    } cases[] = {
        {0x8104, "0", "query all terminal parameters; 1; argument@0=0"},
        {0x8202, "0,-1", "stop temporary tracking; 2; validity (s)@2=-1"},
        {0x8105, "1,http://u;apn;user;pw;10.0.0.1;9000;9001;M1;HW1;FW2;30",
         "wireless upgrade; 12; connect time limit@53=30"},
        {0x8105, "2,0;auth;apn;user;pw;10.0.0.1;9000;9001;5",
         "connect to a specified server (switch to the specified platform); 10; connect time limit@40=5"},
        {0x8105, "2,1", "connect to a specified server (back to the original platform); 2; connection control@2=1"},
        {0x8104, "1", "error: bad request argument at offset 0: expected \"0\", found \"1\""},
        {0x8105, "4,x", "error: bad request argument at offset 1: control word 4 takes no arguments"},
        {0x8105, "1", "error: bad request argument at offset 1: control word 1 needs its arguments after \",\""},
        {0x8105, "1,a;b", "error: bad request argument at offset 2: expected 11 items joined by \";\", found 2"},
        {0x8202, "30,x",
         "error: bad request argument at offset 3: expected the validity as a 32-bit decimal, found \"x\""},
        {0x8202, "30,60,90", "error: bad request argument at offset 5: expected two items, found more"},
        {0x8600, "0;0", "error: bad request argument at offset 0: message 8600 has no request argument"},
    };
    for (const auto& c : cases) {
        const Decoded<RequestArgument> d = ExplainRequest(c.id, c.text);
        std::string got = Said(d.error);
        if (got.empty() && !d.value.items.empty()) {
            const RequestItem& last = d.value.items.back();
            got = d.value.meaning + "; " + std::to_string(d.value.items.size()) + "; " + last.name + "@" +
                  std::to_string(last.value.offset) + "=" + last.value.value;
        }
        EXPECT_EQ(got, c.want) << c.text;
    }
}

// Each row renders one frame, with a code page's options where it names one,
// and names lines of its text and JSON views; the JSON must be UTF-8 and clean
// as the row says. 粤 is d4 c1 in GBK. Whole texts are the tool's golden dumps.
TEST(RenderTest, LinesOfTheTextAndJsonViews) {
    RenderOptions caller;  // a caller's own decoder: d4 c1 and nothing else
    caller.codePage = "d4c1-only";
    caller.decode = [](std::string_view b, std::string& out) { return b == "\xd4\xc1" && (out = "粤", true); };
    const struct {
        const char* name;
        Bytes frame;
        RenderOptions options;
        bool clean;
        std::vector<std::string> lines;
    } kRows[] = {
        {"truncated",
         Cat({Head(0x33, 11), Hex("00 00 00 0b")}),
         {},
         false,
         {"    30  Error: frame truncated at offset 30: parameter record needs 11 bytes, 4 left\n",
          "\"error\":{\"offset\":30,\"what\":\"frame truncated\","}},
        {"control_word",
         Tunnelled("8105", "9"),
         {},
         false,
         {"    67          Argument: \"9\"\n",
          "    +0                  Error: bad request argument at offset 0: expected a control word from 1 to 7, "
          "found \"9\"\n",
          "    67          Warning: bad request argument at offset 67:"}},
        {"control_char",
         Cat({Head(0x50, 10), TextRecord(0, "\xd4\xc1\x01")}),
         CodePage::Find("gbk")->Options(),
         true,
         {"Value: \"\\xd4\\xc1\\x01\"  [d4 c1 01]\n"}},
        // An 808 STRING parameter (0x0083) holding ff fe, its value at +18 of the message.
        {"caller",
         Tunnelled("8103", "810300080012345678900001010000008302fffe"),
         caller,
         false,
         {"Value: \"\\xff\\xfe\"  [ff fe]\n",
          "   103          Warning: undecodable text at offset 103: 2 bytes that are not d4c1-only text, shown as "
          "\\xNN "
          "(808 message offset 18)\n"}},
        // A channel list of one channel and the active-safety blind spot parameters.
        {"structured",
         Tunnelled("8103", "810300140012345678900001020000007607010000030200010000f367020201"),
         {},
         true,
         {"   +21                                      Channel 1\n",
          "   +23                                          Channel type: 0 (audio and video)  [00]\n",
          "   +25                          Parameter 0xf367: blind spot monitoring (BSD) parameters (Jiangsu active "
          "safety, T/JSATL12), BYTE[n] = 02 01\n",
          "\"channels\":[{\"offset\":21,\"size\":4,\"physical_channel\":{\"offset\":21,\"size\":1,\"value\":3,"
          "\"hex\":\"03\"},",
          "\"type\":\"BYTE[n]\",\"extension\":\"Jiangsu active safety, T/JSATL12\",",
          "\"side_rear_time\":{\"offset\":31,\"size\":1,\"value\":1,\"hex\":\"01\"}"}},
        {"2019 head",
         TunnelFrame("13912345678", "8103", kSetting2019),
         {},
         true,
         {"    +0                  Message head, 2019 edition\n", ".1.. .... .... .... = Version flag: 1 (2019 head)\n",
          "0... .... .... .... = Reserved: 0\n", "    +4                      Protocol version: 1  [01]\n",
          "Phone number: 00000000013912345678  [00 00 00 00 01 39 12 34 56 78]\n",
          "\"version_flag\":{\"value\":1,\"meaning\":\"2019 head\"},\"reserved\":{\"value\":0}},"
          "\"protocol_version\":{\"offset\":4,\"size\":1,\"value\":1,\"hex\":\"01\"}"}},
    };
    for (const auto& row : kRows) {
        const Dump d = DecodeFrames(row.frame);
        const std::string text = RenderText(d, row.options) + RenderJson(d, -1, row.options);
        for (const std::string& line : row.lines) EXPECT_NE(text.find(line), std::string::npos) << row.name << text;
        const nlohmann::json j = nlohmann::json::parse(RenderJson(d, 2, row.options));  // throws if not UTF-8
        EXPECT_EQ(j["clean"], row.clean) << row.name;
    }
}

// Names found, GBK out and its refusals are the tool's code-page rows.
TEST(CodePageTest, NamesAndCharactersItCannotCarry) {
    std::string bytes;
    ASSERT_EQ(CodePage::Find("utf8")->Name(), "UTF-8");
    EXPECT_FALSE(CodePage::Find("UTF-8")->ToUtf8("\xed\xa0\x80", bytes));  // a surrogate
}

}  // namespace
