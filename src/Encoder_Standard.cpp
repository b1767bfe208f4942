// CEncoder_Standard: JT/T 808 downlink messages (terminal parameters 0x8103,
// IC-card pass-through 0x8900) and the circular-area alarm setting text.
#include "gpenc/Encoder.h"

#include "Bytes.h"
#include "Log.h"
#include "ParaStr.h"
#include "StandardParts.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <initializer_list>
#include <charconv>
#include <string>

using gpenc::detail::Bytes;
using gpenc::detail::FaultWatch;
using gpenc::detail::Guarded;
using gpenc::detail::NoThrow;
using gpenc::detail::Op;
using gpenc::detail::PutBE;
using gpenc::detail::StoreBE;
using namespace gpenc::detail::standard;

namespace {



bool Finished(const Bytes&) { return true; }

// The terminal parameter table of JT/T 808: each id range and its value type.
// Ids outside every range have no type.
struct TypeRange {
    std::uint32_t first;
    std::uint32_t last;
    EequipParmDataType type;
};

constexpr TypeRange kParmTypes[] = {
    {0x0001, 0x0007, DATATYPE_DWORD},   // heartbeat, TCP/UDP/SMS time-outs and retries
    {0x0010, 0x0017, DATATYPE_STRING},  // main and backup server APN, user, password, address
    {0x0018, 0x0019, DATATYPE_DWORD},   // server TCP and UDP port
    {0x001A, 0x001A, DATATYPE_STRING},  // IC-card authentication main server
    {0x001B, 0x001C, DATATYPE_DWORD},   // its TCP and UDP port
    {0x001D, 0x001D, DATATYPE_STRING},  // IC-card authentication backup server
    {0x0020, 0x0022, DATATYPE_DWORD},   // report strategy, scheme, interval without driver
    {0x0027, 0x0029, DATATYPE_DWORD},   // report intervals: sleeping, emergency, default
    {0x002C, 0x0030, DATATYPE_DWORD},   // report distances, turn angle
    {0x0031, 0x0031, DATATYPE_WORD},    // electronic fence radius
    {0x0040, 0x0044, DATATYPE_STRING},  // platform phone numbers
    {0x0045, 0x0047, DATATYPE_DWORD},   // call answering strategy and limits
    {0x0048, 0x0049, DATATYPE_STRING},  // monitoring and privileged SMS numbers
    {0x0050, 0x005A, DATATYPE_DWORD},   // alarm masks and switches, speed and driving limits
    {0x005B, 0x005E, DATATYPE_WORD},    // warning differences, collision and roll-over
    {0x0064, 0x0065, DATATYPE_DWORD},   // timed and distance photograph control
    {0x0070, 0x0074, DATATYPE_DWORD},   // image quality, brightness, contrast, saturation, chroma
    {0x0080, 0x0080, DATATYPE_DWORD},   // odometer
    {0x0081, 0x0082, DATATYPE_WORD},    // province and city id
    {0x0083, 0x0083, DATATYPE_STRING},  // licence plate
    {0x0084, 0x0084, DATATYPE_BYTE},    // plate colour
    {0x0090, 0x0092, DATATYPE_BYTE},    // GNSS mode, baud rate, output frequency
    {0x0093, 0x0093, DATATYPE_DWORD},   // GNSS sampling frequency
    {0x0094, 0x0094, DATATYPE_BYTE},    // GNSS upload mode
    {0x0095, 0x0095, DATATYPE_DWORD},   // GNSS upload setting
    {0x0100, 0x0100, DATATYPE_DWORD},   // CAN channel 1 collection interval
    {0x0101, 0x0101, DATATYPE_WORD},    // CAN channel 1 upload interval
    {0x0102, 0x0102, DATATYPE_DWORD},   // CAN channel 2 collection interval
    {0x0103, 0x0103, DATATYPE_WORD},    // CAN channel 2 upload interval
    {0x0110, 0x01FF, DATATYPE_BYTES},   // CAN bus id collection settings
};

// The value of one list record, as a parameter entry to encode. With
// `stringAndDwordOnly` the other types keep an empty value.
MsgData_EquipParmSet_ParmListConfig EntryOf(const EquipParmSet_EquipConfig& record,
                                            bool stringAndDwordOnly) {
    MsgData_EquipParmSet_ParmListConfig value = Page(record.eDataType);
    value.dwParmId = record.eParmMark;
    switch (record.eDataType) {
    case DATATYPE_STRING: value.strValue = record.strValue; break;
    case DATATYPE_DWORD: value.dwValue = record.dwValue; break;
    case DATATYPE_WORD:
    case DATATYPE_BYTE:
        if (!stringAndDwordOnly) value.dwValue = record.dwValue;
        break;
    case DATATYPE_BYTES:
        if (!stringAndDwordOnly) value.vecValueBytes = record.vecValueBytes;
        break;
    default: break;
    }
    return value;
}

// Room in `entries` for those of `list` at once: each takes its id and length
// and at most four bytes, its text or its byte array.
void ReserveEntries(Bytes& entries, const std::vector<EquipParmSet_EquipConfig>& list) {
    std::size_t size = entries.size();
    for (const auto& r : list) size += 5 + std::max<std::size_t>({4, r.strValue.size(), r.vecValueBytes.size()});
    entries.reserve(size);
}

// The card date in the process's local time zone; all zero when it cannot be
// converted.
struct CardDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

CardDate LocalDate(std::int64_t seconds) {
    CardDate date;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    // Pick up the zone as it stands now, not as it stood at the first conversion.
#if defined(_WIN32)
    _tzset();
    const bool converted = localtime_s(&local, &t) == 0;
#else
    tzset();
    const bool converted = localtime_r(&t, &local) != nullptr;
#endif
    if (converted) {
        date.year = local.tm_year + 1900;
        date.month = local.tm_mon + 1;
        date.day = local.tm_mday;
    }
    return date;
}

// The separators of the setting text are "," and ";", so a number must never
// take a comma for its decimal point: to_chars writes what "%f" writes in the
// classic locale, whatever the locale, and without a stream to set up.
std::string Fixed6(double value) {
    char digits[320];  // the largest double: 309 digits, sign, point and six decimals
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6).ptr);
}

void AppendHex2(std::string& text, unsigned char b) {
    static const char kDigits[] = "0123456789abcdef";
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
}

// "yy-mm-dd-hh-mi-ss," from six BCD bytes.
void AppendBcdTime(std::string& text, const unsigned char (&time)[6]) {
    for (int i = 0; i < 6; ++i) {
        AppendHex2(text, time[i]);
        text += i < 5 ? '-' : ',';
    }
}

void AppendUnsigned(std::string& text, unsigned long value, char separator) {
    text += std::to_string(value);
    text += separator;
}

using wire::card::CheckRange;

// Computes and writes the check bytes in order, each after the one before has
// been written (a later range may cover an earlier check byte).
bool WriteChecks(CEncoder_Standard& encoder, Bytes& msg, std::initializer_list<CheckRange> ranges) {
    for (const CheckRange& r : ranges) {
        unsigned char check = 0;
        if (!encoder.Xor(msg, r.first, r.last, check)) return false;
        msg[static_cast<std::size_t>(r.last) + 1] = check;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Object
// ---------------------------------------------------------------------------

CEncoder_Standard::CEncoder_Standard() : m_byParmCount(0) {
    static constexpr Op op = Plain("CEncoder_Standard::CEncoder_Standard");
    Guarded(op, false, [&] {
        InitStandardMsgHead();
        return op.Done();
    });
}

CEncoder_Standard::CEncoder_Standard(const CEncoder_Standard& other) = default;
CEncoder_Standard& CEncoder_Standard::operator=(const CEncoder_Standard& other) = default;

// Runs while another exception may unwind, as ~CEncoder does.
CEncoder_Standard::~CEncoder_Standard() noexcept {
    static constexpr Op op = Plain("CEncoder_Standard::~CEncoder_Standard");
    NoThrow([&] { op.PreEnter(); });
    NoThrow([&] {
        Guarded(op, false, [&] {
            Bytes().swap(m_vecParmList);
            Bytes().swap(m_stCurParm.vecParmValue);
            Bytes().swap(m_stMsg.vecBody);
            return op.Done();
        });
    });
}

void CEncoder_Standard::InitStandardMsgHead() {
    static constexpr Op op = Plain("CEncoder_Standard::InitStandardMsgHead");
    op.PreEnter();
    Guarded(op, false, [&] {
        m_stMsg.byStartFlag = 0;
        m_stMsg.byCheckCode = 0;
        m_stMsg.byEndFlag = 0;
        m_stMsg.stHead = StandardMsgHead();
        Bytes().swap(m_stMsg.vecBody);
        // wMsgId stays: it is the last message id until the next head is set.
        m_stMsgHead.wBodyProperty = 0;
        m_stMsgHead.wSerialNo = 0;
        std::string().swap(m_stMsgHead.strPhoneNo);
        m_byParmCount = 0;
        m_stCurParm.dwParmId = 0;
        m_stCurParm.byParmLen = 0;
        Bytes().swap(m_vecParmList);
        Bytes().swap(m_stCurParm.vecParmValue);
        return op.Done();
    });
}

// ---------------------------------------------------------------------------
// Message head and layout
// ---------------------------------------------------------------------------

bool CEncoder_Standard::SetMsgData_StandardMsgHead(std::uint16_t msgId, std::string phoneNo) {
    static constexpr Op op = Marked("CEncoder_Standard::SetMsgData_StandardMsgHead");
    return Guarded(op, false, [&] {
        ++m_stMsgHead.wSerialNo;
        m_stMsgHead.wMsgId = msgId;
        m_stMsgHead.strPhoneNo = std::move(phoneNo);
        // GetMsgData refuses what does not fit the ten length bits.
        m_stMsgHead.wBodyProperty = static_cast<std::uint16_t>(StandardSteps::BodyLength(*this, msgId));
        return op.Done();
    });
}

bool CEncoder_Standard::GetMsgData(std::uint32_t msgId, std::vector<unsigned char>& msg) {
    Bytes().swap(msg);
    if (StandardSteps::BodyLength(*this, msgId) > wire::jt808::kMaxBodyLength) return false;
    msg.reserve(wire::jt808::kHeadSize + StandardSteps::BodyLength(*this, msgId));  // head and body: one allocation
    PutBE<2>(msg, m_stMsgHead.wMsgId);
    PutBE<2>(msg, m_stMsgHead.wBodyProperty);

    // The phone number is right-aligned in 12 digits, filled with '0' on the left.
    constexpr std::size_t kDigits = wire::jt808::kPhoneDigits;
    const std::string& phone = m_stMsgHead.strPhoneNo;
    if (phone.size() > kDigits) return false;
    char digits[kDigits];
    std::fill(digits, digits + kDigits - phone.size(), '0');
    std::copy(phone.begin(), phone.end(), digits + kDigits - phone.size());
    for (std::size_t i = 0; i < kDigits; i += 2) {
        int pair = 0;
        if (!charTohex(std::string(digits + i, 2), pair)) return false;
        msg.push_back(static_cast<unsigned char>(pair));
    }
    PutBE<2>(msg, m_stMsgHead.wSerialNo);

    if (msgId == wire::jt808::kParmSet) {
        msg.push_back(m_byParmCount);
        gpenc::detail::Append(msg, m_vecParmList);
    } else if (msgId == wire::jt808::kPassThrough) {
        gpenc::detail::Append(msg, m_stCurParm.vecParmValue);
    }
    return true;
}

bool CEncoder_Standard::charTohex(std::string text, int& value) {
    // Exactly two digits: a sign or a blank would otherwise be read as part of
    // a number and put garbage into the BCD head.
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0'
             : c >= 'a' && c <= 'f' ? c - 'a' + 10
             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                    : -1;
    };
    if (text.size() != 2) return false;
    const int high = digit(text[0]);
    const int low = digit(text[1]);
    if (high < 0 || low < 0) return false;
    value = high * 16 + low;
    return true;
}

int CEncoder_Standard::GetParaStr(std::string paraStr, std::vector<unsigned char>& out) {
    return gpenc::detail::PrependParaStr(kGetParaStr, paraStr, out);
}

int CEncoder_Standard::DecToBCD(int value, unsigned char* out, int count) {
    if (out == nullptr) return 0;
    // Byte i - 1 for i from `count` down to 1: count - 1 would overflow for INT_MIN.
    for (int i = count; i > 0; --i) {
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
    static constexpr Op op = Marked("CEncoder_Standard::Xor");
    return Guarded(op, false, [&] {
        if (first < 0 || first >= last || static_cast<std::size_t>(last) >= data.size()) {
            op.Debug({"）", " 校验失败>>>>>"});
            return op.Return(false);
        }
        unsigned char x = 0;
        for (int i = first; i <= last; ++i) x ^= data[static_cast<std::size_t>(i)];
        return op.Commit([&] { check = x; });
    });
}

bool CEncoder_Standard::GetMsgHead() {
    m_stMsg.byStartFlag = 0x7E;
    m_stMsg.byEndFlag = 0x7E;
    m_stMsg.byCheckCode = 0;
    return true;
}

bool CEncoder_Standard::GetMsgbody() { return true; }

bool CEncoder_Standard::GetMsgEscape() { return true; }

// ---------------------------------------------------------------------------
// Terminal parameters (0x8103)
// ---------------------------------------------------------------------------

EequipParmDataType CEncoder_Standard::ParmSet_Get808ParmType(EequipParameterMark mark) {
    const std::uint32_t id = mark;
    const auto* it = std::find_if(std::begin(kParmTypes), std::end(kParmTypes),
                                  [id](const TypeRange& r) { return r.first <= id && id <= r.last; });
    return it != std::end(kParmTypes) ? it->type : DATATYPE_NONE;
}

bool StandardSteps::EncodeValue(const MsgData_EquipParmSet_ParmListConfig& value, unsigned char byteValue,
                                Bytes& out) {
    const std::size_t start = out.size();
    const std::string& text = value.strValue;
    // Range inserts, which size a fresh vector once where a byte at a time
    // would grow it again and again.
    unsigned char number[4];
    StoreBE<4>(number, value.dwValue);
    bool encoded = true;
    switch (value.eDataType) {
    case DATATYPE_STRING:
        // GetParaStr's step, with the bytes appended where they go instead of
        // through a copy of the text.
        encoded = !text.empty() && gpenc::detail::ParaStrStep(kGetParaStr, text, [&] {
            out.insert(out.end(), text.begin(), text.end());
            return static_cast<int>(text.size());
        }) != 0;
        break;
    case DATATYPE_WORD: out.insert(out.end(), number + 2, number + 4); break;
    case DATATYPE_DWORD: out.insert(out.end(), number, number + 4); break;
    case DATATYPE_BYTES: gpenc::detail::Append(out, value.vecValueBytes); break;
    case DATATYPE_BYTE: out.push_back(byteValue); break;
    default: encoded = false; break;
    }
    // The length travels in one byte. A refused value takes back what it
    // appended, the bytes of a text step interrupted after the insert too.
    if (encoded && out.size() - start <= 255) return true;
    out.resize(start);
    return false;
}

bool CEncoder_Standard::SetOnceParameterData(MsgData_EquipParmSet_ParmListConfig value) {
    static constexpr Op op = Plain("CEncoder_Standard::SetOnceParameterData");
    return Guarded(op, false, [&] {
        Bytes encoded;
        if (!StandardSteps::EncodeValue(value, static_cast<unsigned char>(value.dwValue), encoded)) return op.Fail();
        m_stCurParm.dwParmId = value.dwParmId;
        m_stCurParm.byParmLen = static_cast<unsigned char>(encoded.size());
        m_stCurParm.vecParmValue = std::move(encoded);
        SetMsgData_EquipParmSet(m_stCurParm);
        return op.Done();
    });
}

bool CEncoder_Standard::SetMsgData_EquipParmSet(MsgData_EquipParmSet_ParmList entry) {
    ++m_byParmCount;
    // Room for the entry at once; doubling keeps a long list from growing
    // entry by entry.
    const std::size_t needed = m_vecParmList.size() + 5 + entry.vecParmValue.size();
    if (needed > m_vecParmList.capacity()) m_vecParmList.reserve(std::max(needed, 2 * m_vecParmList.capacity()));
    PutBE<4>(m_vecParmList, entry.dwParmId);
    m_vecParmList.push_back(entry.byParmLen);
    gpenc::detail::Append(m_vecParmList, entry.vecParmValue);
    return true;
}

bool CEncoder_Standard::SetOncePageData(MsgData_EquipParmSet_ParmListConfig& value) {
    // Pages log under the parameter step's name: they are its twin.
    static constexpr Op op = Plain("CEncoder_Standard::SetOnceParameterData");
    return Guarded(op, false, [&] {
        // Encoded straight onto the end of the body, which a refusal leaves as it was.
        Bytes& body = m_stCurParm.vecParmValue;
        const std::size_t before = body.size();
        if (!StandardSteps::EncodeValue(value, value.byValue, body)) return op.Fail();
        m_stCurParm.byParmLen = static_cast<unsigned char>(m_stCurParm.byParmLen + (body.size() - before));
        return op.Done();
    });
}

bool StandardSteps::StageEntries(CEncoder_Standard& e, const Op& op, const std::vector<EquipParmSet_EquipConfig>& list,
                                 bool stringAndDwordOnly) {
    if (list.empty()) {
        op.Error({"）", " 传入参数数据错误>>>>>"});
        return false;
    }
    ReserveEntries(e.m_vecParmList, list);
    // An entry refused for its value is left out; one lost to a fault fails
    // the list, which would otherwise go out with a hole.
    const FaultWatch watch;
    for (const auto& record : list) e.SetOnceParameterData(EntryOf(record, stringAndDwordOnly));
    if (watch.Caught()) {
        op.Error({"）运行失败"});
        return false;
    }
    return true;
}

bool CEncoder_Standard::ParmSet_Set808ParmInfo(std::vector<EquipParmSet_EquipConfig> list) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_Set808ParmInfo");
    return Guarded(op, false, [&] {
        if (!StandardSteps::StageEntries(*this, op, list, false)) return op.Return(false);
        return op.Done();
    });
}

bool CEncoder_Standard::ParmSet_SetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetMainSericeIP");
    return Guarded(op, false, [&] {
        if (!StandardSteps::StageEntries(*this, op, list, true)) return op.Return(false);
        if (!SetMsgData_StandardMsgHead(wire::jt808::kParmSet, list.front().strPhoneNo)) return op.Fail();
        return op.Done();
    });
}

bool CEncoder_Standard::ParmSet_SetHeadInterval(EquipParmSet_EquipConfig config) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetHeadInterval");
    return Guarded(op, false, [&] {
        MsgData_EquipParmSet_ParmListConfig value = Page(DATATYPE_DWORD);
        value.dwParmId = PARM_HEARTBEAT_INTERVAL;
        value.dwValue = config.dwValue;
        // A heartbeat message without its heartbeat would be sent as a success.
        if (!SetOnceParameterData(std::move(value)) ||
            !SetMsgData_StandardMsgHead(wire::jt808::kParmSet, config.strPhoneNo))
            return op.Fail();
        return op.Done();
    });
}

bool CEncoder_Standard::ParmSet_GetHeadInterval(EquipParmSet_EquipConfig config,
                                                std::vector<unsigned char>& msg) {
    // This builder logs under the reset's name.
    static constexpr Op op = Marked("CEncoder_Standard::InitStandardMsgHead");
    return StandardSteps::BuildMessage(
        *this, op, true, wire::jt808::kParmSet, msg, [&] { return ParmSet_SetHeadInterval(std::move(config)); }, Finished);
}

bool CEncoder_Standard::ParmSet_GetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list,
                                                std::vector<unsigned char>& msg) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_GetMainSericeIP");
    return StandardSteps::BuildMessage(
        *this, op, true, wire::jt808::kParmSet, msg, [&] { return ParmSet_SetMainSericeIP(std::move(list)); }, Finished);
}

bool CEncoder_Standard::ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list,
                                                    std::vector<unsigned char>& msg) {
    // This builder shares the main-server builder's name in its records.
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_GetMainSericeIP");
    const bool ready = !list.empty() && !list.front().strPhoneNo.empty();
    return StandardSteps::BuildMessage(
        *this, op, ready, wire::jt808::kParmSet, msg,
        [&] {
            const std::string phone = list.front().strPhoneNo;
            return ParmSet_Set808ParmInfo(std::move(list)) && SetMsgData_StandardMsgHead(wire::jt808::kParmSet, phone);
        },
        Finished);
}

// ---------------------------------------------------------------------------
// IC-card information (0x8900)
// ---------------------------------------------------------------------------

bool CEncoder_Standard::ParmSet_SetICInfoSet_stringAdd0(std::string& text, int width) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (text.size() > w) {
        text.erase(0, text.size() - w);
    } else {
        // The terminal reads "H" followed by two NULs as the fill pattern.
        for (std::size_t i = 0; text.size() < w; ++i) text += i % 3 == 0 ? 'H' : '\0';
    }
    return true;
}

bool StandardSteps::AppendCardPages(CEncoder_Standard& e, const struct_EquipControl_SetIC& card,
                                    std::uint16_t dataLength) {
    const CardDate date = LocalDate(card.tmCardDate);
    if (date.year < wire::card::kFirstYear || date.year > wire::card::kLastYear) return false;
    auto fitted = [&e](std::string text, int width) {
        e.ParmSet_SetICInfoSet_stringAdd0(text, width);
        return TextValue(std::move(text));
    };
    // Room for the whole body at once: the packet's head of 5 bytes and the
    // data its length word counts.
    Bytes().swap(e.m_stCurParm.vecParmValue);
    e.m_stCurParm.vecParmValue.reserve(5 + dataLength);
    unsigned char year = 0, month = 0, day = 0;
    e.DecToBCD(date.year - wire::card::kFirstYear, &year, 1);
    e.DecToBCD(date.month, &month, 1);
    e.DecToBCD(date.day, &day, 1);

    MsgData_EquipParmSet_ParmListConfig pages[] = {
        ByteValue(wire::card::kTag),
        WordValue(0),
        WordValue(dataLength),
        fitted(card.strCardText1, wire::card::kText1Width),
        fitted(card.strCardText2, wire::card::kText2Width),
        ByteValue(year),
        ByteValue(month),
        ByteValue(day),
        fitted(card.strCardText3, wire::card::kText3Width),
        fitted(card.strCardText4, wire::card::kText4Width),
        ByteValue(card.byCardCheck),
    };
    // A page that fails is logged by the page step. None is refused for its
    // value (every text is fitted to its width), so a failed page is one lost
    // to a fault, which would shift every byte after it.
    const FaultWatch watch;
    for (auto& page : pages) e.SetOncePageData(page);
    return !watch.Caught();
}

bool CEncoder_Standard::ParmSet_SetICInfoSetStandard(struct_EquipControl_SetIC card) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetICInfoSet");
    return Guarded(op, false, [&] {
        if (!StandardSteps::AppendCardPages(*this, card, wire::card::kStandardLength) || !SetMsgData_StandardMsgHead(wire::jt808::kPassThrough, card.strPhoneNo))
            return op.Fail();
        return op.Done();
    });
}

bool CEncoder_Standard::ParmSet_SetICInfoSetExtension(struct_EquipControl_SetIC card) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetICInfoSet");
    return Guarded(op, false, [&] {
        // Texts that do not fit would push the tail check byte out of its place.
        const std::size_t textBytes =
            3 + card.strExtText1.size() + card.strExtText2.size() + card.strExtText3.size();
        if (textBytes > wire::card::kExtensionTextRoom) return op.Fail();

        if (!StandardSteps::AppendCardPages(*this, card, wire::card::kExtensionLength)) return op.Fail();
        MsgData_EquipParmSet_ParmListConfig pages[] = {
            ByteValue(wire::card::kExtensionMark[0]),
            ByteValue(wire::card::kExtensionMark[1]),
            ByteValue(card.byExt1),
            ByteValue(card.byExt2),
            ByteValue(card.byExtCheck),
            ByteValue(static_cast<unsigned char>(card.strExtText1.size())),
            TextValue(card.strExtText1),
            ByteValue(static_cast<unsigned char>(card.strExtText2.size())),
            TextValue(card.strExtText2),
            ByteValue(static_cast<unsigned char>(card.strExtText3.size())),
            TextValue(card.strExtText3),
        };
        // An empty text is refused by the page step and leaves its length byte
        // 0 alone; a page lost to a fault fails the card.
        const FaultWatch watch;
        for (auto& page : pages) SetOncePageData(page);
        MsgData_EquipParmSet_ParmListConfig zero = ByteValue(0);
        while (m_stCurParm.vecParmValue.size() < wire::card::kExtensionBody - 1) {
            if (!SetOncePageData(zero)) return op.Fail();
        }
        MsgData_EquipParmSet_ParmListConfig tail = ByteValue(card.byExtCheckTail);
        SetOncePageData(tail);
        if (watch.Caught() || !SetMsgData_StandardMsgHead(wire::jt808::kPassThrough, card.strPhoneNo)) return op.Fail();
        return op.Done();
    });
}

bool CEncoder_Standard::ParmSet_ICInfoSetStandard(struct_EquipControl_SetIC card,
                                                  std::vector<unsigned char>& msg) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_ICInfoSetStandard");
    return StandardSteps::BuildMessage(
        *this, op, true, wire::jt808::kPassThrough, msg, [&] { return ParmSet_SetICInfoSetStandard(std::move(card)); },
        [&](Bytes& m) { return m.size() >= wire::card::kStandardSize && WriteChecks(*this, m, {wire::card::kCardCheck}); });
}

bool CEncoder_Standard::ParmSet_ICInfoSetExtension(struct_EquipControl_SetIC card,
                                                   std::vector<unsigned char>& msg) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_ICInfoSetExtension");
    return StandardSteps::BuildMessage(
        *this, op, true, wire::jt808::kPassThrough, msg, [&] { return ParmSet_SetICInfoSetExtension(std::move(card)); },
        [&](Bytes& m) {
            return m.size() >= wire::card::kExtensionSize &&
                   WriteChecks(*this, m,
                               {wire::card::kCardCheck, wire::card::kExtensionHeadCheck, wire::card::kExtensionCheck});
        });
}

// ---------------------------------------------------------------------------
// Circular area alarm setting text (0x8600)
// ---------------------------------------------------------------------------

bool CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular(MsgData_AlarmSet_Circular setting,
                                                            std::string& text) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular");
    return Guarded(op, false, [&] {
        // "nan" or "inf" in place of a coordinate is no position the receiver could read.
        const bool finite = std::all_of(setting.vecAreas.begin(), setting.vecAreas.end(), [](const auto& a) {
            return std::isfinite(a.dLatitude) && std::isfinite(a.dLongitude);
        });
        if (!finite) return op.Fail();
        std::string added;
        AppendUnsigned(added, setting.bySetAttr, ';');
        AppendUnsigned(added, setting.byAreaCount, ';');
        for (const auto& area : setting.vecAreas) {
            AppendUnsigned(added, area.dwAreaId, ',');
            AppendUnsigned(added, area.wAreaAttr, ',');
            added += Fixed6(area.dLatitude) + ',';
            added += Fixed6(area.dLongitude) + ',';
            AppendUnsigned(added, area.dwRadius, ',');
            if (area.wAreaAttr & wire::jt808::kAreaTimeWindow) {
                AppendBcdTime(added, area.byStartTime);
                AppendBcdTime(added, area.byEndTime);
            }
            if (area.wAreaAttr & wire::jt808::kAreaSpeedLimit) {
                AppendUnsigned(added, area.wMaxSpeed, ',');
                AppendUnsigned(added, area.byOverSpeedDuration, ',');
            }
        }
        added.pop_back();  // the separator after the last item
        // Room made first, so that the append after the exit record cannot
        // fail (and only when short: reserve may give back spare room).
        if (text.capacity() < text.size() + added.size()) text.reserve(text.size() + added.size());
        return op.Commit([&] { text += added; });
    });
}
