// gpenc: the JT/T 808 downlink messages that CEncoder_Standard builds, with
// their records. Included by gpenc/Encoder.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#if !defined(GPENC_API)
#  if defined(_WIN32)
#    if defined(GPENC_BUILDING)
#      define GPENC_API __declspec(dllexport)
#    else
#      define GPENC_API __declspec(dllimport)
#    endif
#  else
#    define GPENC_API __attribute__((visibility("default")))
#  endif
#endif

// == Records of the JT/T 808 side (CEncoder_Standard, below)

// The 808 message head as it goes on the wire: id, body properties, phone
// number as 12 BCD digits, serial number.
struct StandardMsgHead {
    std::uint16_t wMsgId = 0;
    std::uint16_t wBodyProperty = 0;  // the body length; no other bit is set
    std::string strPhoneNo;           // decimal digits, at most 12
    std::uint16_t wSerialNo = 0;
};

// A framed 808 message (flags and check code). Kept for completeness: the
// encoder emits head and body only, and nothing serialises this record.
// Q38: kept as a member of the exported class (docs/compat.md).
struct StandardMsg {
    unsigned char byStartFlag = 0;
    StandardMsgHead stHead;
    std::vector<unsigned char> vecBody;
    unsigned char byCheckCode = 0;
    unsigned char byEndFlag = 0;
};

// The value type of a terminal parameter. Only 1, 2, 3, 8 and 9 are types;
// DATATYPE_NONE is what the parameter table answers for an unknown id.
enum EequipParmDataType : std::uint32_t {
    DATATYPE_NONE = 0,
    DATATYPE_STRING = 1,  // the text's bytes, no terminator, at least one byte
    DATATYPE_WORD = 2,    // 2 bytes, big-endian
    DATATYPE_DWORD = 3,   // 4 bytes, big-endian
    DATATYPE_BYTES = 8,   // a byte array, as given
    DATATYPE_BYTE = 9,    // 1 byte
};

// A terminal parameter; its value is the 808 parameter id that goes on the
// wire. Any id may be cast to it; the named ones are those the builders use.
// Q29: the exported name as the client spells it (docs/compat.md).
enum EequipParameterMark : std::uint32_t {
    PARM_HEARTBEAT_INTERVAL = 0x0001,
    PARM_MAIN_SERVER_ADDRESS = 0x0013,
};

// One terminal parameter as the caller gives it. The value member read is the
// one of `eDataType`: WORD, DWORD and BYTE take `dwValue`, BYTE[n]
// `vecValueBytes`, STRING `strValue`. In a list only the first record's
// `strPhoneNo` is used.
struct EquipParmSet_EquipConfig {
    std::string strPhoneNo;
    std::uint32_t dwValue = 0;
    std::vector<unsigned char> vecValueBytes;
    std::string strValue;
    EequipParmDataType eDataType = DATATYPE_NONE;
    EequipParameterMark eParmMark = static_cast<EequipParameterMark>(0);
};

// One value to encode. `byValue` is the BYTE value of an IC-card page;
// `bySpare` is never read.
struct MsgData_EquipParmSet_ParmListConfig {
    EequipParmDataType eDataType = DATATYPE_NONE;
    std::uint32_t dwParmId = 0;
    std::string strValue;
    std::uint32_t dwValue = 0;
    std::vector<unsigned char> vecValueBytes;
    unsigned char byValue = 0;
    unsigned char bySpare[6] = {};
};

// One encoded parameter entry: id, value length, value.
struct MsgData_EquipParmSet_ParmList {
    std::uint32_t dwParmId = 0;
    unsigned char byParmLen = 0;
    std::vector<unsigned char> vecParmValue;
};

// IC-card information for the 0x8900 pass-through message. Texts 1 to 4 are
// fitted to fixed fields (32, 18, 18, 56 bytes); the extension texts are sent
// with a length byte each and must take at most 119 bytes together. The check
// members only hold places that the encoder's check bytes replace; the spare
// members are not sent. `byStandard` is read by the caller (1: standard layout).
struct struct_EquipControl_SetIC {
    std::string strPhoneNo;
    unsigned char byStandard = 0;
    std::string strCardText1;
    std::string strCardText2;
    std::int64_t tmCardDate = 0;  // seconds since 1970-01-01 UTC; sent as local date, in 2000-2099
    std::string strCardText3;
    std::string strCardText4;
    // Q41: the check members hold places that the check bytes overwrite (docs/compat.md).
    unsigned char byCardCheck = 0;
    unsigned char byCardSpare1 = 0;
    unsigned char byCardSpare2 = 0;
    unsigned char byExt1 = 0;
    unsigned char byExt2 = 0;
    unsigned char byExtCheck = 0;
    std::uint16_t wExtSpare = 0;
    std::uint32_t dwExtSpare = 0;
    std::string strExtText1;
    std::string strExtText2;
    std::string strExtSpare1;
    std::int64_t tmExtSpare = static_cast<std::int64_t>(std::time(nullptr));
    std::string strExtText3;
    std::string strExtSpare2;
    unsigned char byExtCheckTail = 0;
};

// One circular area. Bit 0 of `wAreaAttr` adds the time window, bit 1 the
// speed limit with its over-speed duration.
struct MsgData_AlarmSet_CircularArea {
    std::uint32_t dwAreaId = 0;
    std::uint16_t wAreaAttr = 0;
    double dLatitude = 0;  // must be finite, as the longitude
    double dLongitude = 0;
    std::uint32_t dwRadius = 0;
    unsigned char byStartTime[6] = {};  // BCD year, month, day, hour, minute, second
    unsigned char byEndTime[6] = {};
    std::uint16_t wMaxSpeed = 0;
    // D11: the over-speed duration of JT/T 808, sent after the speed limit (docs/compat.md).
    unsigned char byOverSpeedDuration = 0;  // seconds above `wMaxSpeed` before the alarm
};

// A circular-area alarm setting. `byAreaCount` is sent as given, whatever the
// length of `vecAreas`.
// Q42: the count is not compared with the areas (docs/compat.md).
struct MsgData_AlarmSet_Circular {
    unsigned char bySetAttr = 0;
    unsigned char byAreaCount = 0;
    std::vector<MsgData_AlarmSet_CircularArea> vecAreas;
};

// == JT/T 808 side: downlink messages built by CEncoder_Standard

// Builds JT/T 808 downlink messages as head and body only: no flag bytes, no
// escaping, no 808 check code. Every message carries serial number 1. Each
// public builder resets the object before and after (on success), so one
// object may build several messages; `msg` holds the message alone when the
// builder returns true and is left as it was when it fails, at whatever step
// (a log record that throws included). An entry or a card page lost to a
// caught framework exception fails the builder. Bodies of 1024 bytes or more
// are refused.
//
// Not safe for use by two threads at once.
class GPENC_API CEncoder_Standard {
public:
    CEncoder_Standard();
    CEncoder_Standard(const CEncoder_Standard& other);
    CEncoder_Standard& operator=(const CEncoder_Standard& other);
    // D6: the destructor never throws (docs/compat.md).
    ~CEncoder_Standard() noexcept;  // never throws, also while another exception unwinds

    // 0x8103 with the single DWORD parameter 0x0001 (heartbeat interval) =
    // `config.dwValue`. The record's type and mark are not read.
    bool ParmSet_GetHeadInterval(EquipParmSet_EquipConfig config, std::vector<unsigned char>& msg);
    // 0x8103 with one entry per record; only STRING and DWORD values are
    // carried (other types go out zero or empty). Fails on an empty list.
    // Q29: the exported name as the client spells it (docs/compat.md).
    bool ParmSet_GetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& msg);
    // 0x8103 with one entry per record, of every type. Fails on an empty list
    // or an empty first phone number. A record whose value cannot be encoded
    // is left out, and the count byte counts only the entries sent.
    bool ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& msg);
    // The value type of a terminal parameter; DATATYPE_NONE for an id the
    // terminal parameter table does not list.
    EequipParmDataType ParmSet_Get808ParmType(EequipParameterMark mark);

    // The 0x8900 IC-card messages: 145 bytes (standard) or 273 bytes
    // (extension) with their inner check bytes in place. A card date outside
    // 2000 to 2099 is refused.
    bool ParmSet_ICInfoSetStandard(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg);
    bool ParmSet_ICInfoSetExtension(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg);
    // Stage the IC-card body and the head; the check bytes are left to the
    // builders above. Both fail on a card date whose local year is outside
    // 2000 to 2099 and when a page was lost to a caught framework exception;
    // the extension also when its texts do not fit.
    bool ParmSet_SetICInfoSetStandard(struct_EquipControl_SetIC card);
    bool ParmSet_SetICInfoSetExtension(struct_EquipControl_SetIC card);
    // Fits `text` to `width` bytes: a longer text keeps its last `width`
    // bytes, a shorter one is filled with "H", NUL, NUL, "H", ... Always true.
    bool ParmSet_SetICInfoSet_stringAdd0(std::string& text, int width);

    // Appends the setting as "attr;count;" and per area "id,attr,lat,lon,
    // radius," [time window] [speed,duration,], without the last separator.
    // An area whose latitude or longitude is not finite is refused, and a
    // caught framework exception fails it: false, `text` unchanged.
    bool ParmSet_Get808AlarmSetData_Circular(MsgData_AlarmSet_Circular setting, std::string& text);

    // Writes the low 2 * `count` decimal digits of `value` as packed BCD into
    // out[0..count), most significant pair first. Always 0.
    int DecToBCD(int value, unsigned char* out, int count);
    // The XOR of data[first..last], both included. False (check unchanged)
    // unless 0 <= first < last < data.size().
    bool Xor(std::vector<unsigned char> data, int first, int last, unsigned char& check);

private:
    friend struct GpencTestAccess;  // the unit tests reach the private steps
    friend struct StandardSteps;    // the library's own steps, in its sources

    void InitStandardMsgHead();
    bool SetMsgData_StandardMsgHead(std::uint16_t msgId, std::string phoneNo);
    bool GetMsgData(std::uint32_t msgId, std::vector<unsigned char>& msg);
    // Q29: the exported names as the client spells them (docs/compat.md).
    bool charTohex(std::string text, int& value);
    int GetParaStr(std::string paraStr, std::vector<unsigned char>& out);
    bool GetMsgHead();
    bool GetMsgbody();
    bool GetMsgEscape();

    bool ParmSet_SetHeadInterval(EquipParmSet_EquipConfig config);
    bool ParmSet_SetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list);
    bool ParmSet_Set808ParmInfo(std::vector<EquipParmSet_EquipConfig> list);
    bool SetOnceParameterData(MsgData_EquipParmSet_ParmListConfig value);
    bool SetMsgData_EquipParmSet(MsgData_EquipParmSet_ParmList entry);
    bool SetOncePageData(MsgData_EquipParmSet_ParmListConfig& value);

    StandardMsgHead m_stMsgHead;
    StandardMsg m_stMsg;
    unsigned char m_byParmCount;
    std::vector<unsigned char> m_vecParmList;
    MsgData_EquipParmSet_ParmList m_stCurParm;
};
