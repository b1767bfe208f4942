// CEncoder_Standard: the object, the JT/T 808 message head and layout, and
// the value step the messages share. The messages are in StandardParmSet.cpp
// (0x8103), StandardCard.cpp (0x8900) and StandardCircular.cpp (0x8600).
#include "gpenc/Encoder_Standard.h"

#include "Text.h"
#include "core/Failure.h"
#include "core/Log.h"
#include "core/ParaStr.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "jt808/StandardParts.h"

#include <algorithm>
#include <string>

using gpenc::detail::Bytes;
using gpenc::detail::Check;
using gpenc::detail::Logged;
using gpenc::detail::Op;
using gpenc::detail::Public;
using gpenc::detail::Writer;
using namespace gpenc::detail::standard;

// ---------------------------------------------------------------------------
// Object
// ---------------------------------------------------------------------------

CEncoder_Standard::CEncoder_Standard() : m_byParmCount(0) {
    static constexpr Op op = Plain("CEncoder_Standard::CEncoder_Standard");
    gpenc::detail::ConstructorRecords(op, [&](auto& log) { StandardSteps::Reset(log, *this); });
}

CEncoder_Standard::CEncoder_Standard(const CEncoder_Standard& other) = default;
CEncoder_Standard& CEncoder_Standard::operator=(const CEncoder_Standard& other) = default;

// Runs while another exception may unwind, as ~CEncoder does.
// D6: never throws (docs/compat.md).
CEncoder_Standard::~CEncoder_Standard() noexcept {
    static constexpr Op op = Plain("CEncoder_Standard::~CEncoder_Standard");
    gpenc::detail::DestructorRecords(op, [&](auto&) {
        Bytes().swap(m_vecParmList);
        Bytes().swap(m_stCurParm.vecParmValue);
        Bytes().swap(m_stMsg.vecBody);
    });
}

void CEncoder_Standard::InitStandardMsgHead() {
    Logged([&](auto& log) { return StandardSteps::Reset(log, *this); });
}

// ---------------------------------------------------------------------------
// Message head and layout
// ---------------------------------------------------------------------------

bool CEncoder_Standard::SetMsgData_StandardMsgHead(std::uint16_t msgId, std::string phoneNo) {
    return Logged([&](auto& log) { return StandardSteps::Head(log, *this, msgId, std::move(phoneNo)); });
}

namespace {

// Packs `phone`, right-aligned in `kDigits` digits and filled with '0' on the
// left, as BCD pairs into `bcd`; false, with the reason under `head`, for a
// number longer than that, for one with a character that is no decimal digit
// when `decimalOnly`, and otherwise for a pair that is not two hexadecimal
// digits. Nothing is written to the message before it is read whole.
template <std::size_t kDigits>
bool PackPhone(const std::string& phone, bool decimalOnly, Check& head, unsigned char* bcd) {
    if (!head.That(phone.size() <= kDigits, "strPhoneNo", [&] {
            return "longer than " + std::to_string(kDigits) + " digits: " + gpenc::detail::Quote(phone);
        }))
        return false;
    if (decimalOnly && !head.That(std::all_of(phone.begin(), phone.end(), [](char c) { return c >= '0' && c <= '9'; }),
                                  "strPhoneNo", [&] { return "not decimal digits: " + gpenc::detail::Quote(phone); }))
        return false;
    char digits[kDigits];
    std::fill(digits, digits + kDigits - phone.size(), '0');
    std::copy(phone.begin(), phone.end(), digits + kDigits - phone.size());
    for (std::size_t i = 0; i < kDigits; i += 2) {
        int pair = 0;
        if (!head.That(StandardSteps::HexPair(digits + i, pair), "strPhoneNo",
                       [&] { return "not digit pairs: " + gpenc::detail::Quote(phone); }))
            return false;
        bcd[i / 2] = static_cast<unsigned char>(pair);
    }
    return true;
}

}  // namespace

GPENC_FLATTEN bool CEncoder_Standard::GetMsgData(std::uint32_t msgId, std::vector<unsigned char>& msg) {
    Bytes().swap(msg);
    // D15: a body of 1024 bytes or more is refused, not run into the flag bits (docs/compat.md).
    const std::size_t body = StandardSteps::BodyLength(*this, msgId);
    if (!Check().That(body <= wire::jt808::kMaxBodyLength, "body",
                      [&] { return "must fill a body of at most 1023 bytes, got " + std::to_string(body); }))
        return false;

    // The head the call was given, if any: none writes the 2013 head, as before.
    const Jt808Head* given = HeadGiven();
    if (given != nullptr && !HeadValid(*given)) return false;
    const bool is2019 = given != nullptr && Is2019(*given);
    const std::string& phone = m_stMsgHead.strPhoneNo;
    // The head's phone number, for the reason of a refusal.
    Check head("head");
    unsigned char bcd[wire::jt808::kPhoneDigits2019 / 2];
    // D25: a longer phone number fails the message; the caller's vector is untouched (docs/compat.md).
    // D31: the 2019 head takes decimal digits only, where the 2013 head keeps its reading of hexadecimal pairs
    // (docs/compat.md).
    if (!(is2019 ? PackPhone<wire::jt808::kPhoneDigits2019>(phone, true, head, bcd)
                 : PackPhone<wire::jt808::kPhoneDigits>(phone, false, head, bcd)))
        return false;

    // Head and body in one allocation, front to back: message id, properties,
    // [version,] phone number, serial number, body.
    static_assert(wire::jt808::kPropertiesAt == 2 && wire::jt808::kVersionAt2019 == 4 && wire::jt808::kPhoneAt == 4 &&
                      wire::jt808::kPhoneAt2019 == 5 && wire::jt808::kParmCountAt == 0,
                  "the head's fields follow each other in this order");
    Writer w(msg);
    w.Room((is2019 ? wire::jt808::kHeadSize2019 : wire::jt808::kHeadSize) + body);
    w.U16(m_stMsgHead.wMsgId);
    if (is2019) {
        w.U16(static_cast<std::uint32_t>(m_stMsgHead.wBodyProperty | wire::jt808::kVersionFlag));
        w.U8(given->version);
        w.Raw(bcd, wire::jt808::kPhoneDigits2019 / 2);
    } else {
        w.U16(m_stMsgHead.wBodyProperty);
        w.Raw(bcd, wire::jt808::kPhoneDigits / 2);
    }
    w.U16(m_stMsgHead.wSerialNo);
    if (msgId == wire::jt808::kParmSet) {
        w.U8(m_byParmCount);
        w.Raw(m_vecParmList);
    } else if (msgId == wire::jt808::kPassThrough) {
        w.Raw(m_stCurParm.vecParmValue);
    }
    return true;
}

bool CEncoder_Standard::charTohex(std::string text, int& value) {
    // Exactly two digits: a sign or a blank would otherwise be read as part of
    // a number and put garbage into the BCD head.
    // D25: exactly two hexadecimal digits (docs/compat.md).
    return text.size() == 2 && StandardSteps::HexPair(text.data(), value);
}

bool StandardSteps::HexPair(const char* digits, int& value) {
    const int high = gpenc::detail::HexDigit(digits[0]);
    const int low = gpenc::detail::HexDigit(digits[1]);
    if (high < 0 || low < 0) return false;
    value = high * 16 + low;
    return true;
}

// Q7: kept as an exported step, though no builder calls it (docs/compat.md).
int CEncoder_Standard::GetParaStr(std::string paraStr, std::vector<unsigned char>& out) {
    return gpenc::detail::PrependParaStr(kGetParaStr, paraStr, out);
}

int CEncoder_Standard::DecToBCD(int value, unsigned char* out, int count) {
    // D27: a null output is not written through (docs/compat.md).
    if (out == nullptr) return 0;
    // Byte i - 1 for i from `count` down to 1: count - 1 would overflow for INT_MIN.
    for (int i = count; i > 0; --i) {
        // Q39: a negative value gives these nibbles, and the result is always 0 (docs/compat.md).
        // Truncating division: a negative value gives negative r and t, and
        // the nibble is taken modulo 16 the mathematical way (-1 gives 0x0F).
        const int r = value % 100;
        const int t = r / 10;
        const int nibble = ((t * 6 + r) % 16 + 16) % 16;
        out[i - 1] = static_cast<unsigned char>(nibble + 16 * t);
        value /= 100;
    }
    return 0;
}

bool CEncoder_Standard::Xor(std::vector<unsigned char> data, int first, int last, unsigned char& check) {
    return gpenc::detail::Public("CEncoder_Standard::Xor", [&] {
        return Logged([&](auto& log) { return StandardSteps::Xor(log, data, first, last, check); });
    });
}

// Q38: exported members kept: no flags, check code or escaping are ever written (docs/compat.md).
bool CEncoder_Standard::GetMsgHead() {
    m_stMsg.byStartFlag = 0x7E;
    m_stMsg.byEndFlag = 0x7E;
    m_stMsg.byCheckCode = 0;
    return true;
}

bool CEncoder_Standard::GetMsgbody() { return true; }

bool CEncoder_Standard::GetMsgEscape() { return true; }
