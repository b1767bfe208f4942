// The floors: sized first, then written front to back through one cursor, no checks beyond what the
// bytes need.
#include "Floor.h"

#include <cstring>

namespace gpenc::reference {
namespace {

// Writes big-endian integers and bytes into room sized beforehand.
struct Cursor {
    unsigned char* at;

    void Byte(std::uint32_t v) { *at++ = static_cast<unsigned char>(v); }
    void Word(std::uint32_t v) {
        Byte(v >> 8);
        Byte(v);
    }
    void Dword(std::uint32_t v) {
        Word(v >> 16);
        Word(v);
    }
    void Copy(const void* from, std::size_t n) {
        if (n != 0) std::memcpy(at, from, n);
        at += n;
    }
};

// The bytes of an entry's value, and whether the entry is sent at all.
std::size_t ValueSize(const EquipParmSet_EquipConfig& e, bool& sent) {
    sent = true;
    switch (e.eDataType) {
    case DATATYPE_BYTE: return 1;
    case DATATYPE_WORD: return 2;
    case DATATYPE_DWORD: return 4;
    case DATATYPE_STRING: sent = !e.strValue.empty(); return e.strValue.size();
    case DATATYPE_BYTES: return e.vecValueBytes.size();
    default: sent = false; return 0;
    }
}

}  // namespace

bool ParameterSettingFloor(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& out) {
    if (list.empty()) return false;
    const std::string& phone = list.front().strPhoneNo;
    if (phone.empty() || phone.size() > 12) return false;
    std::size_t body = 1;
    bool sent;
    for (const EquipParmSet_EquipConfig& e : list) {
        const std::size_t value = ValueSize(e, sent);
        if (sent) body += 5 + value;
    }
    out.resize(12 + body);
    Cursor c{out.data()};
    c.Word(0x8103);
    c.Word(static_cast<std::uint32_t>(body));
    // Twelve BCD digits, right-aligned, filled with '0' in front.
    char digits[12];
    std::memset(digits, '0', sizeof digits);
    std::memcpy(digits + sizeof digits - phone.size(), phone.data(), phone.size());
    for (std::size_t i = 0; i < sizeof digits; i += 2)
        c.Byte(static_cast<std::uint32_t>((digits[i] - '0') << 4 | (digits[i + 1] - '0')));
    c.Word(1);
    unsigned char* count = c.at++;
    unsigned entries = 0;
    for (const EquipParmSet_EquipConfig& e : list) {
        const std::size_t value = ValueSize(e, sent);
        if (!sent) continue;
        ++entries;
        c.Dword(e.eParmMark);
        c.Byte(static_cast<std::uint32_t>(value));
        switch (e.eDataType) {
        case DATATYPE_BYTE: c.Byte(e.dwValue); break;
        case DATATYPE_WORD: c.Word(e.dwValue); break;
        case DATATYPE_DWORD: c.Dword(e.dwValue); break;
        case DATATYPE_STRING: c.Copy(e.strValue.data(), value); break;
        default: c.Copy(e.vecValueBytes.data(), value); break;
        }
    }
    *count = static_cast<unsigned char>(entries);
    return true;
}

void CommonDataFloor(std::uint16_t command, const unsigned char (&session)[16], std::vector<unsigned char>& out) {
    unsigned char frame[30];
    Cursor c{frame};
    c.Word(0x4750);  // "GP"
    c.Word(26);
    c.Word(1);
    c.Copy(session, sizeof session);
    c.Word(command);
    c.Dword(0);
    c.Word(0);
    out.assign(frame, c.at);
}

}  // namespace gpenc::reference
