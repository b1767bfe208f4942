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
// number as 12 BCD digits, serial number. The encoder's own: its builders set
// it and GetMsgData writes it, big-endian. Under the 2019 head (Jt808Head)
// the body properties gain bit 14, the version byte follows them and the
// phone number takes 20 digits; this record stays as it is.
struct StandardMsgHead {
    std::uint16_t wMsgId = 0;         // message id, bytes 0-1; keeps the last id across resets
    std::uint16_t wBodyProperty = 0;  // body properties, bytes 2-3: the body length; no other bit is held here
    std::string strPhoneNo;           // at most 12 digits (20 under the 2019 head), BCD, '0'-filled on the left
    std::uint16_t wSerialNo = 0;      // message serial number, bytes 10-11 (15-16 under 2019); 1 in every message
};

// The JT/T 808 message head a builder writes, chosen per call: a client that
// keeps each terminal's edition passes it with every message for that
// terminal, and nothing of it stays with the object. A builder given none
// writes the 2013 head. The 2019 head (JT/T 808-2019, 4.4.3) sets bit 14 of
// the body properties, puts `version` after them and takes a phone number of
// up to 20 decimal digits as 10 BCD bytes, '0'-filled on the left; a longer
// number, or one with a character that is not a digit, is refused, never cut.
// The 0x8103 builders then also know the parameters the 2019 edition adds
// (ParmSet_Get808ParmType). An edition other than 2013 or 2019, or version 0
// under 2019, fails the builder with the reason.
// D32: chosen per call, version 1 by default (docs/compat.md).
struct Jt808Head {
    int edition = 2013;         // 2013 or 2019
    unsigned char version = 1;  // the 2019 head's protocol version byte, 1 to 255; not sent under 2013

    // The 2019 head with protocol version `v`.
    static constexpr Jt808Head Edition2019(unsigned char v = 1) { return Jt808Head{2019, v}; }
};

// A framed 808 message (flags and check code). Kept for completeness: the
// encoder emits head and body only, and nothing serialises this record.
// Q38: kept as a member of the exported class (docs/compat.md).
struct StandardMsg {
    unsigned char byStartFlag = 0;       // start flag, 0x7E once GetMsgHead ran; not read
    StandardMsgHead stHead;              // not read
    std::vector<unsigned char> vecBody;  // not read
    unsigned char byCheckCode = 0;       // check code, 0; not read
    unsigned char byEndFlag = 0;         // end flag, 0x7E once GetMsgHead ran; not read
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
    PARM_HEARTBEAT_INTERVAL = 0x0001,   // heartbeat interval, DWORD, seconds
    PARM_MAIN_SERVER_ADDRESS = 0x0013,  // main server address, STRING: IP address or domain name
};

// A terminal parameter of the caller's own, beyond the ids the encoder
// knows: a vendor's id with its type (BYTE, WORD, DWORD, STRING or BYTE[n])
// and the most bytes its value may take, 1 to 255.
struct Jt808ParmDeclaration {
    std::uint32_t id = 0;
    EequipParmDataType type = DATATYPE_NONE;
    unsigned int maxLength = 0;
};

// What a 0x8103 call knows beyond JT/T 808 and JT/T 1078's parameters, for
// that call only. `activeSafety` adds 0xF364-0xF367 in the layouts of
// Jiangsu's active-safety extension (T/JSATL12-2017): ADAS, driver monitoring,
// tyre pressure and blind spot, each BYTE[n] of its fixed length. `declared`
// adds the caller's own ids; one that is already known (under the call's
// head, or opted in) or declared twice fails the call with the reason, and so
// does a type that is none or a maximum length outside 1 to 255.
struct Jt808ParmTypes {
    bool activeSafety = false;
    std::vector<Jt808ParmDeclaration> declared;
};

// One terminal parameter as the caller gives it, read by ParmSet_GetHeadInterval,
// ParmSet_GetMainSericeIP and ParmSet_Get808ParmSetVector. The value member read
// is the one of `eDataType`: WORD, DWORD and BYTE take `dwValue`, BYTE[n]
// `vecValueBytes`, STRING `strValue`. In a list only the first record's
// `strPhoneNo` is used.
struct EquipParmSet_EquipConfig {
    std::string strPhoneNo;     // phone number for the message head, decimal digits, at most 12
    std::uint32_t dwValue = 0;  // WORD, DWORD or BYTE value (low 16 or 8 bits); heartbeat: seconds
    // BYTE[n] value, sent as given, at most 255 bytes; not read by ParmSet_GetMainSericeIP.
    std::vector<unsigned char> vecValueBytes;
    std::string strValue;  // STRING value, its bytes as stored, 1 to 255
    // Value type, as ParmSet_Get808ParmType gives it; not read by ParmSet_GetHeadInterval (DWORD).
    EequipParmDataType eDataType = DATATYPE_NONE;
    // 808 parameter id, 4 bytes on the wire; not read by ParmSet_GetHeadInterval (0x0001).
    EequipParameterMark eParmMark = static_cast<EequipParameterMark>(0);
};

// One value to encode, read by the value steps SetOnceParameterData (an entry
// of the 0x8103 list) and SetOncePageData (a page of the IC-card body).
struct MsgData_EquipParmSet_ParmListConfig {
    // Value type: selects the member encoded; any type but 1, 2, 3, 8 and 9 is refused.
    EequipParmDataType eDataType = DATATYPE_NONE;
    std::uint32_t dwParmId = 0;  // 808 parameter id of an entry; not read by SetOncePageData
    std::string strValue;        // STRING value, its bytes as stored, 1 to 255
    std::uint32_t dwValue = 0;   // WORD or DWORD value, and an entry's BYTE value (its low byte)
    // BYTE[n] value, sent as given, at most 255 bytes.
    std::vector<unsigned char> vecValueBytes;
    unsigned char byValue = 0;      // BYTE value of an IC-card page; not read by SetOnceParameterData
    unsigned char bySpare[6] = {};  // not read
};

// One encoded parameter entry: id, value length, value. The encoder's own.
struct MsgData_EquipParmSet_ParmList {
    std::uint32_t dwParmId = 0;               // parameter id, 4 bytes big-endian
    unsigned char byParmLen = 0;              // value length in bytes
    std::vector<unsigned char> vecParmValue;  // the encoded value (for a card: the whole 0x8900 body)
};

// IC-card information for the 0x8900 pass-through message, read by
// ParmSet_ICInfoSetStandard and ParmSet_ICInfoSetExtension (through
// EquipSet_ICInfoSet). Texts 1 to 4 are fitted to fixed fields (32, 18, 18, 56
// bytes); the extension texts are sent with a length byte each and must take
// at most 119 bytes together. The check members only hold places that the
// encoder's check bytes replace; the spare members are not sent. What the
// texts and the extension bytes hold is left to the client and the terminal.
struct struct_EquipControl_SetIC {
    std::string strPhoneNo;        // phone number for the message head, decimal digits, at most 12
    unsigned char byStandard = 0;  // 1 standard layout, else extension; read by EquipSet_ICInfoSet only
    std::string strCardText1;      // card text 1, fitted to 32 bytes
    std::string strCardText2;      // card text 2, fitted to 18 bytes
    // Card date, seconds since 1970-01-01 UTC; sent as its local date, BCD YY MM DD, in 2000-2099.
    std::int64_t tmCardDate = 0;
    std::string strCardText3;  // card text 3, fitted to 18 bytes
    std::string strCardText4;  // card text 4, fitted to 56 bytes
    // Q41: the check members hold places that the check bytes overwrite (docs/compat.md).
    unsigned char byCardCheck = 0;   // place of check byte 1, which overwrites it; its value is never sent
    unsigned char byCardSpare1 = 0;  // not read
    unsigned char byCardSpare2 = 0;  // not read
    unsigned char byExt1 = 0;        // extension byte 1, sent as given after A5 5A (extension layout)
    unsigned char byExt2 = 0;        // extension byte 2, sent as given (extension layout)
    unsigned char byExtCheck = 0;    // place of check byte 2, which overwrites it; its value is never sent
    std::uint16_t wExtSpare = 0;     // not read
    std::uint32_t dwExtSpare = 0;    // not read
    std::string strExtText1;         // extension text 1, sent as given after its length byte
    std::string strExtText2;         // extension text 2, sent as given after its length byte
    std::string strExtSpare1;        // not read
    std::int64_t tmExtSpare = static_cast<std::int64_t>(std::time(nullptr));  // not read
    std::string strExtText3;           // extension text 3, sent as given after its length byte
    std::string strExtSpare2;          // not read
    unsigned char byExtCheckTail = 0;  // place of check byte 3, which overwrites it; its value is never sent
};

// One circular area, read by ParmSet_Get808AlarmSetData_Circular (through
// EquipAlarmSet) as one group of items of the setting text. Bit 0 of
// `wAreaAttr` adds the time window, bit 1 the speed limit with its over-speed
// duration.
struct MsgData_AlarmSet_CircularArea {
    std::uint32_t dwAreaId = 0;   // area id, unsigned decimal
    std::uint16_t wAreaAttr = 0;  // area attribute (JT/T 808 bits), decimal; bits 0 and 1 as above
    double dLatitude = 0;         // centre latitude, degrees, not converted; six decimals, must be finite
    double dLongitude = 0;        // centre longitude, degrees, not converted; six decimals, must be finite
    std::uint32_t dwRadius = 0;   // radius, metres; unsigned decimal
    // Start of the time window, BCD YY MM DD hh mm ss; sent with bit 0, as "yy-mm-dd-hh-mi-ss".
    unsigned char byStartTime[6] = {};
    // End of the time window, BCD YY MM DD hh mm ss; sent with bit 0, as "yy-mm-dd-hh-mi-ss".
    unsigned char byEndTime[6] = {};
    std::uint16_t wMaxSpeed = 0;  // top speed, km/h; decimal, sent with bit 1
    // D11: the over-speed duration of JT/T 808, sent after the speed limit (docs/compat.md).
    unsigned char byOverSpeedDuration = 0;  // seconds above `wMaxSpeed` before the alarm; sent with bit 1
};

// A circular-area alarm setting, read by ParmSet_Get808AlarmSetData_Circular.
// `byAreaCount` is sent as given, whatever the length of `vecAreas`.
// Q42: the count is not compared with the areas (docs/compat.md).
struct MsgData_AlarmSet_Circular {
    unsigned char bySetAttr = 0;    // setting attribute (JT/T 808: 0 update, 1 append, 2 modify); text item 1
    unsigned char byAreaCount = 0;  // number of areas as the caller states it; text item 2
    std::vector<MsgData_AlarmSet_CircularArea> vecAreas;  // the areas, in order; one group of items each
};

// == JT/T 808 side: downlink messages built by CEncoder_Standard

#if defined(_MSC_VER)
// C4251 on the members of standard-library and record types: the library and its client
// share one C++ runtime and toolset (docs/host.md), so they mean the same on both sides.
#  pragma warning(push)
#  pragma warning(disable : 4251)
#endif
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

    // The same builders with the message head of `head` (Jt808Head): the
    // 2013 head, as the forms above write it, or the 2019 head. The type
    // table under 2019 also lists the parameters that edition adds.
    bool ParmSet_GetHeadInterval(EquipParmSet_EquipConfig config, std::vector<unsigned char>& msg, Jt808Head head);
    bool ParmSet_GetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& msg,
                                 Jt808Head head);
    bool ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& msg,
                                     Jt808Head head);
    EequipParmDataType ParmSet_Get808ParmType(EequipParameterMark mark, Jt808Head head);
    // The same with `types` (Jt808ParmTypes): the parameters the call opts
    // into or declares are typed too. A value of a structured parameter (JT/T
    // 1078's, the active-safety ones) that does not fit its layout, or of a
    // declared one longer than declared, fails the call with the reason.
    bool ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& msg,
                                     Jt808Head head, Jt808ParmTypes types);
    EequipParmDataType ParmSet_Get808ParmType(EequipParameterMark mark, Jt808Head head, const Jt808ParmTypes& types);

    // The 0x8900 IC-card messages: 145 bytes (standard) or 273 bytes
    // (extension) with their inner check bytes in place. A card date outside
    // 2000 to 2099 is refused.
    bool ParmSet_ICInfoSetStandard(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg);
    bool ParmSet_ICInfoSetExtension(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg);
    // The same with the message head of `head`: under 2019 the message is 5
    // bytes longer (150 or 278) and every check range moves with the body.
    bool ParmSet_ICInfoSetStandard(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg, Jt808Head head);
    bool ParmSet_ICInfoSetExtension(struct_EquipControl_SetIC card, std::vector<unsigned char>& msg, Jt808Head head);
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
#if defined(_MSC_VER)
#  pragma warning(pop)
#endif
