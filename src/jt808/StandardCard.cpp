// CEncoder_Standard: the IC-card information setting (0x8900, downlink
// pass-through) in its standard and extension layouts.
#include "gpenc/Encoder_Standard.h"

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "jt808/StandardParts.h"

#include <ctime>
#include <initializer_list>
#include <string>

using gpenc::detail::Bytes;
using gpenc::detail::Logged;
using gpenc::detail::Op;
using gpenc::detail::Writer;
using namespace gpenc::detail::standard;

namespace {

// The card date in the process's local time zone; all zero when it cannot be
// converted.
struct CardDate {
    bool converted = false;
    int year = 0;
    int month = 0;
    int day = 0;
};

CardDate LocalDate(std::int64_t seconds) {
    CardDate date;
    std::tm local{};
    // Pick up the zone as it stands now, not as it stood at the first conversion.
#if defined(_WIN32)
    // time_t has 32 bits in 32-bit MinGW builds (and with _USE_32BIT_TIME_T):
    // the 64-bit call sees dates past 2038 and refuses what it cannot convert.
    const __time64_t t = seconds;
    _tzset();
    const bool converted = _localtime64_s(&local, &t) == 0;
#else
    const std::time_t t = static_cast<std::time_t>(seconds);
    tzset();
    const bool converted = localtime_r(&t, &local) != nullptr;
#endif
    if (converted) {
        date.converted = true;
        date.year = local.tm_year + 1900;
        date.month = local.tm_mon + 1;
        date.day = local.tm_mday;
    }
    return date;
}

using wire::card::CheckRange;

// Computes and writes the check bytes of a message whose body holds at least
// `bodySize` bytes, in order, each after the one before has been written (a
// later range may cover an earlier check byte). The ranges count from the
// body, which starts after the head of the call's edition.
template <class Log>
[[nodiscard]] bool WriteChecks(Log& log, Bytes& msg, std::size_t bodySize, std::initializer_list<CheckRange> ranges) {
    const std::size_t head = HeadSize(HeadOfCall());
    if (msg.size() < head + bodySize) return false;
    const int at = static_cast<int>(head);
    for (const CheckRange& r : ranges) {
        unsigned char check = 0;
        if (!StandardSteps::Xor(log, msg, at + r.first, at + r.last, check)) return false;
        Writer(msg).Patch(static_cast<std::size_t>(at + r.last) + 1, check);
    }
    return true;
}

}  // namespace

bool CEncoder_Standard::SetOncePageData(MsgData_EquipParmSet_ParmListConfig& value) {
    return Logged([&](auto& log) { return StandardSteps::AppendPage(log, *this, Value::Of(value, value.byValue)); });
}

bool CEncoder_Standard::ParmSet_SetICInfoSet_stringAdd0(std::string& text, int width) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_SetICInfoSet_stringAdd0", [&] {
        StandardSteps::Fit(text, width);
        return true;
    });
}

namespace {

// The terminal reads "H" followed by two NULs as the fill pattern.
// Q40: a longer text loses its front, a shorter one gets this fill (docs/compat.md).
void Fill(char* begin, char* end) {
    std::fill(begin, end, '\0');
    for (char* p = begin; p < end; p += 3) *p = 'H';
}

std::size_t Width(int width) { return width > 0 ? static_cast<std::size_t>(width) : 0; }

// `text` fitted to `width` bytes as Fit fits it: a view of its tail when it
// is longer, else `buffer` (room for `width` bytes) holding it and the fill.
std::string_view FitInto(const std::string& text, int width, char* buffer) {
    const std::size_t w = Width(width);
    if (text.size() > w) return std::string_view(text).substr(text.size() - w);
    std::copy(text.begin(), text.end(), buffer);
    Fill(buffer + text.size(), buffer + w);
    return {buffer, w};
}

}  // namespace

void StandardSteps::Fit(std::string& text, int width) {
    const std::size_t w = Width(width);
    if (text.size() > w) {
        text.erase(0, text.size() - w);
    } else {
        const std::size_t from = text.size();
        text.resize(w);
        Fill(&text[0] + from, &text[0] + w);
    }
}

template <class Log>
bool StandardSteps::AppendCardPages(Log& log, CEncoder_Standard& e, const struct_EquipControl_SetIC& card,
                                    std::uint16_t dataLength) {
    const CardDate date = LocalDate(card.tmCardDate);
    // D12: a year outside 2000-2099 is refused: its BCD byte would name another year (docs/compat.md).
    if (date.year < wire::card::kFirstYear || date.year > wire::card::kLastYear) {
        gpenc::detail::Refuse("card.tmCardDate", "must be in the years 2000 to 2099 (local time), got " +
                                                     (date.converted ? std::to_string(date.year)
                                                                     : "no date: " + std::to_string(card.tmCardDate)));
        return false;
    }
    // Room for the whole body at once: the packet's head of 5 bytes and the
    // data its length word counts.
    Bytes().swap(e.m_stCurParm.vecParmValue);
    Writer(e.m_stCurParm.vecParmValue).Room(5u + dataLength);
    unsigned char year = 0, month = 0, day = 0;
    e.DecToBCD(date.year - wire::card::kFirstYear, &year, 1);
    e.DecToBCD(date.month, &month, 1);
    e.DecToBCD(date.day, &day, 1);

    // A page that fails is logged by the page step. None is refused for its
    // value (every text is fitted to its width), so a failed page is one lost
    // to a fault, which would shift every byte after it.
    // D3: a page lost to a caught exception fails the card (docs/compat.md).
    bool faulted = false;
    auto page = [&](const Value& value) { faulted |= !AppendPage(log, e, value); };
    // Room for the widest fitted text, each page written before the next is fitted.
    char fitted[wire::card::kText4Width];
    static_assert(wire::card::kText4Width >= wire::card::kText1Width &&
                      wire::card::kText4Width >= wire::card::kText2Width &&
                      wire::card::kText4Width >= wire::card::kText3Width,
                  "text 4 is the widest");
    auto text = [&](const std::string& value, int width) { page(Value::Text(FitInto(value, width, fitted))); };
    page(Value::Byte(wire::card::kTag));
    page(Value::Word(0));
    page(Value::Word(dataLength));
    text(card.strCardText1, wire::card::kText1Width);
    text(card.strCardText2, wire::card::kText2Width);
    page(Value::Byte(year));
    page(Value::Byte(month));
    page(Value::Byte(day));
    text(card.strCardText3, wire::card::kText3Width);
    text(card.strCardText4, wire::card::kText4Width);
    // Q41: holds the place the first check byte then overwrites (docs/compat.md).
    page(Value::Byte(card.byCardCheck));
    return !faulted;
}

bool CEncoder_Standard::ParmSet_SetICInfoSetStandard(struct_EquipControl_SetIC card) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_SetICInfoSetStandard", [&] {
        return Logged([&](auto& log) { return StandardSteps::SetStandardCard(log, *this, card); });
    });
}

template <class Log>
bool StandardSteps::SetStandardCard(Log& log, CEncoder_Standard& e, const struct_EquipControl_SetIC& card) {
    // Q32: both layouts log as ParmSet_SetICInfoSet, the name log searches use (docs/compat.md).
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetICInfoSet");
    auto frame = log.Open(op);
    if (!frame) return false;
    if (!AppendCardPages(log, e, card, wire::card::kStandardLength) ||
        !Head(log, e, wire::jt808::kPassThrough, card.strPhoneNo))
        return log.Fail();
    return log.Exit();
}

bool CEncoder_Standard::ParmSet_SetICInfoSetExtension(struct_EquipControl_SetIC card) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_SetICInfoSetExtension", [&] {
        return Logged([&](auto& log) { return StandardSteps::SetExtensionCard(log, *this, card); });
    });
}

template <class Log>
bool StandardSteps::SetExtensionCard(Log& log, CEncoder_Standard& e, const struct_EquipControl_SetIC& card) {
    // Q32: both layouts log as ParmSet_SetICInfoSet, the name log searches use (docs/compat.md).
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetICInfoSet");
    auto frame = log.Open(op);
    if (!frame) return false;
    // D13: texts that do not fit would push the tail check byte out of its place (docs/compat.md).
    const std::size_t textBytes = 3 + card.strExtText1.size() + card.strExtText2.size() + card.strExtText3.size();
    if (textBytes > wire::card::kExtensionTextRoom) {
        gpenc::detail::Refuse(
            "card", "strExtText1 to 3 must take at most 119 bytes together, got " + std::to_string(textBytes - 3));
        return log.Fail();
    }

    if (!AppendCardPages(log, e, card, wire::card::kExtensionLength)) return log.Fail();
    const Value pages[] = {
        Value::Byte(wire::card::kExtensionMark[0]),
        Value::Byte(wire::card::kExtensionMark[1]),
        Value::Byte(card.byExt1),
        Value::Byte(card.byExt2),
        Value::Byte(card.byExtCheck),
        Value::Byte(static_cast<unsigned char>(card.strExtText1.size())),
        Value::Text(card.strExtText1),
        Value::Byte(static_cast<unsigned char>(card.strExtText2.size())),
        Value::Text(card.strExtText2),
        Value::Byte(static_cast<unsigned char>(card.strExtText3.size())),
        Value::Text(card.strExtText3),
    };
    // An empty text is refused by the page step and leaves its length byte
    // 0 alone; a page lost to a fault fails the card.
    // Q36: an empty text is logged as refused and the card still goes (docs/compat.md).
    // D3: a page lost to a caught exception fails the card (docs/compat.md).
    bool faulted = false;
    for (const auto& page : pages) faulted |= !AppendPage(log, e, page, true);
    const Value zero = Value::Byte(0);
    while (e.m_stCurParm.vecParmValue.size() < wire::card::kExtensionBody - 1) {
        if (!AppendPage(log, e, zero)) return log.Fail();
    }
    // Q41: holds the place the third check byte then overwrites (docs/compat.md).
    faulted |= !AppendPage(log, e, Value::Byte(card.byExtCheckTail));
    if (faulted || !Head(log, e, wire::jt808::kPassThrough, card.strPhoneNo)) return log.Fail();
    return log.Exit();
}

GPENC_FLATTEN bool CEncoder_Standard::ParmSet_ICInfoSetStandard(struct_EquipControl_SetIC card,
                                                                std::vector<unsigned char>& msg) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_ICInfoSetStandard");
    return gpenc::detail::Public(op, [&] {
        return Logged([&](auto& log) {
            return StandardSteps::BuildMessage(
                log, *this, op, true, wire::jt808::kPassThrough, {"card", "card.strPhoneNo"}, msg,
                [&] { return StandardSteps::SetStandardCard(log, *this, card); },
                [&](Bytes& m) { return WriteChecks(log, m, wire::card::kStandardBody, {wire::card::kCardCheck}); });
        });
    });
}

GPENC_FLATTEN bool CEncoder_Standard::ParmSet_ICInfoSetExtension(struct_EquipControl_SetIC card,
                                                                 std::vector<unsigned char>& msg) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_ICInfoSetExtension");
    return gpenc::detail::Public(op, [&] {
        return Logged([&](auto& log) {
            return StandardSteps::BuildMessage(
                log, *this, op, true, wire::jt808::kPassThrough, {"card", "card.strPhoneNo"}, msg,
                [&] { return StandardSteps::SetExtensionCard(log, *this, card); },
                [&](Bytes& m) {
                    return WriteChecks(
                        log, m, wire::card::kExtensionBody,
                        {wire::card::kCardCheck, wire::card::kExtensionHeadCheck, wire::card::kExtensionCheck});
                });
        });
    });
}

// ---------------------------------------------------------------------------
// The same builders with the head the caller asks for
// ---------------------------------------------------------------------------

bool CEncoder_Standard::ParmSet_ICInfoSetStandard(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg,
                                                  Jt808Head head) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_ICInfoSetStandard", [&] {
        const HeadScope scope(head);
        return ParmSet_ICInfoSetStandard(std::move(card), msg);
    });
}

bool CEncoder_Standard::ParmSet_ICInfoSetExtension(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg,
                                                   Jt808Head head) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_ICInfoSetExtension", [&] {
        const HeadScope scope(head);
        return ParmSet_ICInfoSetExtension(std::move(card), msg);
    });
}
