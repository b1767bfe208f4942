// gpenc: encodes the vehicle-monitoring client's requests as GP frames, the
// platform's own framed protocol, and as JT/T 808 downlink messages.
//
// Every builder takes a plain input record and the caller's byte vector and
// returns true when the finished frame is in the vector. Failures are reported
// as false and logged through the shared logger of gpenc/Host.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#if defined(_WIN32)
#  if defined(GPENC_BUILDING)
#    define GPENC_API __declspec(dllexport)
#  else
#    define GPENC_API __declspec(dllimport)
#  endif
#else
#  define GPENC_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// Parameter records of the GP frame
// ---------------------------------------------------------------------------

// One key/kind/value parameter. Only the member of the value kind is encoded:
// kind 1 `paraText` (at least one byte), 6 `paraInt32`, 9 `paraByte`,
// 10 `paraSixBytes`. `paraBytes` travels with the record but no kind encodes it.
struct ParameterConfig {
    int paraType = 0;
    unsigned int paraKey = 0;          // only the low 16 bits go on the wire
    std::string paraText;
    int paraInt32 = 0;
    unsigned char paraByte = 0;
    unsigned char paraSixBytes[6] = {};
    std::vector<unsigned char> paraBytes;
};

// ---------------------------------------------------------------------------
// Records of the JT/T 808 side (CEncoder_Standard, below)
// ---------------------------------------------------------------------------

// The 808 message head as it goes on the wire: id, body properties, phone
// number as 12 BCD digits, serial number.
struct StandardMsgHead {
    std::uint16_t wMsgId = 0;
    std::uint16_t wBodyProperty = 0;   // the body length; no other bit is set
    std::string strPhoneNo;            // decimal digits, at most 12
    std::uint16_t wSerialNo = 0;
};

// A framed 808 message (flags and check code). Kept for completeness: the
// encoder emits head and body only, and nothing serialises this record.
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
    DATATYPE_STRING = 1,   // the text's bytes, no terminator, at least one byte
    DATATYPE_WORD = 2,     // 2 bytes, big-endian
    DATATYPE_DWORD = 3,    // 4 bytes, big-endian
    DATATYPE_BYTES = 8,    // a byte array, as given
    DATATYPE_BYTE = 9,     // 1 byte
};

// A terminal parameter; its value is the 808 parameter id that goes on the
// wire. Any id may be cast to it; the named ones are those the builders use.
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
    std::int64_t tmCardDate = 0;       // seconds since 1970-01-01 UTC; sent as local date, in 2000-2099
    std::string strCardText3;
    std::string strCardText4;
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
    double dLatitude = 0;   // must be finite, as the longitude
    double dLongitude = 0;
    std::uint32_t dwRadius = 0;
    unsigned char byStartTime[6] = {};   // BCD year, month, day, hour, minute, second
    unsigned char byEndTime[6] = {};
    std::uint16_t wMaxSpeed = 0;
    unsigned char byOverSpeedDuration = 0;  // seconds above `wMaxSpeed` before the alarm
};

// A circular-area alarm setting. `byAreaCount` is sent as given, whatever the
// length of `vecAreas`.
struct MsgData_AlarmSet_Circular {
    unsigned char bySetAttr = 0;
    unsigned char byAreaCount = 0;
    std::vector<MsgData_AlarmSet_CircularArea> vecAreas;
};

// ---------------------------------------------------------------------------
// Input records of CEncoder
// ---------------------------------------------------------------------------

// User login (command 1): eight texts, sent as keys 0 to 7. All must be non-empty.
struct sUserLogin {
    std::string loginText0;
    std::string loginText1;
    std::string loginText2;
    std::string loginText3;
    std::string loginText4;
    std::string loginText5;
    std::string loginText6;
    std::string loginText7;
};

// The interval and setting records. Each field goes out under the key its name
// ends in; a text field must be non-empty unless its comment says otherwise.

// Command 0x22.
struct sCommitInterval {
    unsigned char byte0 = 0;  // must be non-zero
    std::string text1;
    std::string text2;
    std::string text3;
    std::string text4;
    std::string text5;
    std::string text6;
};

// Command 0x06.
struct sSoundSowing {
    std::string text0;
    std::string text1;
};

// Command 0x20.
struct sListening {
    std::string text2;
    std::string text0;
    unsigned char byte1 = 0;  // any value
};

// Command 0x23.
struct sSimSetInterval {
    std::string text0;
    std::string text1;
};

// Command 0x25.
struct sBlackoutInterval {
    std::string text0;
    std::string text1;
};

// Command 0x19.
struct sVideo {
    std::string text4;
    std::string text0;
    unsigned char byte1 = 0;  // any value
    std::string text2;
    int int3 = 0;  // must be non-zero
};

// Command 0x07.
struct sAlarmHandle {
    std::string text0;
    std::string text1;
    // 0 to 9; goes out as a one-byte text holding this value (3 as 0x03, not "3").
    unsigned char byte2 = 0;
    std::string text3;
};

// Command 0x18.
struct sTimeInterval {
    std::string text0;
    int int1 = 0;  // must be non-zero; a negative value is sent as it is
};

// Command 0x21: `text0`, `count1`, then the first `count1` names, each under key 2.
// A `count1` of -1 or 0, or above names2.size(), is refused; a negative count
// other than -1 sends no names.
struct sPreset {
    std::string text0;
    int count1 = 0;
    std::vector<std::string> names2;
};

// The equipment requests (command 0x33): a JT/T 808 downlink request carried
// as three texts, the terminal number (key 0), the JT/T 808 message id in
// lower-case hexadecimal (key 1) and an argument text (key 2). The platform
// builds the JT/T 808 message from them. Every record's `terminalNo` must be
// non-empty.

// The working record of every equipment request; as input of Cmd_EquipSetQuery
// (0x8104, query terminal parameters) only `terminalNo` is read.
struct sEquipsetQuery {
    std::string terminalNo;
    std::string strReserved;  // not read
    int msgId = 0;            // JT/T 808 message id, at most 0xFFFF
    std::string strMsgText;   // the argument text
};

// JT/T 808 0x8201, position information query.
struct sEquipPositionInfoQuery {
    std::string terminalNo;
};

// JT/T 808 0x8203, manual alarm confirmation; always sent with the argument "1".
struct sAffirmAlarmInform {
    std::string terminalNo;
};

// JT/T 808 0x8202, temporary position tracking: sent as "nInterval,nValidity".
struct sEquipTempPositionTrack {
    std::string terminalNo;
    // Fields of the JT/T 808 message head that the platform fills in itself;
    // not read.
    std::string strPhoneNo;  // the terminal's phone number
    int nSerialNo = 0;       // message serial number
    int nInterval = 0;       // time interval, in seconds; 0 stops the tracking
    int nValidity = 0;       // tracking validity period, in seconds
};

// JT/T 808 0x8105, terminal control. The argument is the command word, and for
// words 1 and 2 the command parameters, as "1,url;apn;...;limit": the texts
// below joined by ";", empty ones included.
struct sEquipControl {
    std::string terminalNo;
    // Fields of the JT/T 808 message head that the platform fills in itself;
    // not read.
    std::string strPhoneNo;  // the terminal's phone number
    int nSerialNo = 0;       // message serial number
    // Command word: 1 wireless upgrade, 2 connect to a given server, 3 power
    // off, 4 reset, 5 restore factory settings, 6 turn off data communication,
    // 7 turn off all wireless communication. Any other word is refused.
    int nCommand = 0;
    std::string strCommandParams;  // not read: composed from the texts below
    // Command word 1: URL, dial point name, dial user name, dial password,
    // address, TCP port, UDP port, manufacturer id, hardware version, firmware
    // version, time limit for connecting to the server.
    std::array<std::string, 11> strUpgradeArgs;
    // Command word 2: connection control (0 switch to the given server, 1 back
    // to the default one: then only "2,1" is sent), supervision platform
    // authentication code, dial point name, dial user name, dial password,
    // address, TCP port, UDP port, time limit for connecting to the server.
    std::array<std::string, 9> strConnectArgs;
};

// Track playback (command 0x11): the recorded track of one terminal between
// two times, each carried as its six bytes as stored (neither converted nor
// compared). Neither time may be six zero bytes.
struct sTrackPlayback {
    std::string terminalNo;
    unsigned char byStartTime[6] = {};
    unsigned char byEndTime[6] = {};
};

// The 808-tunnelled settings (command 0x33): CEncoder_Standard builds the
// JT/T 808 message or setting text, which goes out as key 2 beside the
// terminal number (key 0) and the JT/T 808 message id in lower-case
// hexadecimal (key 1). The terminal's JT/T 808 phone number is the last 12
// characters of `terminalNo`, or all of a shorter one.

// Terminal parameters, JT/T 808 0x8103. The single-record form of EquipSet
// sets the heartbeat interval or the main server address; the list form any
// parameter of the terminal parameter table, one record each.
struct sEquipset {
    std::string terminalNo;  // must be non-empty (in a list: the first record's)
    // Single-record form: set to the phone number of `terminalNo`.
    std::string strPhoneNo;
    int nReserved = 0;  // not read
    // The value as text: decimal for a numeric parameter (read as atoi reads
    // it, -2147483648 to 4294967295, a negative one as its 32-bit two's
    // complement; a WORD parameter takes -32768 to 65535 and a BYTE one -128
    // to 255, a negative one as its two's complement in that width), the text
    // itself for a text parameter.
    std::string strValue;
    // The JT/T 808 message as hexadecimal text. The single-record form appends
    // to it and sends all of it; a caller's own text goes out when that form
    // builds no message.
    std::string strMsgHex;
    // List form: the value of a byte-array parameter (0x0110 to 0x01FF).
    std::vector<unsigned char> vecValueBytes;
    // Single-record form: 1 heartbeat interval, 0x13 main server address;
    // any other value builds no message.
    int nSetParm = 0;
    // List form: the parameter this record sets.
    EequipParameterMark eParmMark = static_cast<EequipParameterMark>(0);
    // Single-record form: sent as key 1 as it stands, 0 to 0xFFFF; the list
    // form sends 0x8103.
    int msgId = 0;
};

// IC-card information, JT/T 808 0x8900 (downlink pass-through).
struct sEquipControl_SetIC {
    std::string terminalNo;  // must be non-empty
    std::string strPhoneNo;  // not read; the message head takes stSetIC.strPhoneNo
    // The message as hexadecimal text and its JT/T 808 id, as the parameter
    // step sends them. EquipSet_ICInfoSet does not read them: it sends the
    // fresh message and 0x8900.
    std::string strMsgHex;
    int msgId = 0;
    // `byStandard` 1 picks the standard layout, anything else the extension.
    struct_EquipControl_SetIC stSetIC;
};

// Circular-area alarm setting, JT/T 808 0x8600, sent as its setting text.
// EquipAlarmSet writes `strPhoneNo`, appends to `strMsgText` and sets `msgId`.
struct sEquip_AlarmSet {
    std::string terminalNo;  // must be non-empty
    std::string strPhoneNo;
    // The setting text; the new text is appended and all of it is sent.
    std::string strMsgText;
    unsigned char byReserved[16] = {};  // not read
    unsigned char bySetAttr = 0;
    unsigned char byAreaCount = 0;  // sent as given, whatever the number of areas
    std::vector<MsgData_AlarmSet_CircularArea> vecAreas;
    int msgId = 0;
};

// ---------------------------------------------------------------------------
// CEncoder: the GP frame and its command builders
// ---------------------------------------------------------------------------

namespace gpenc::detail {
struct Op;  // the texts one operation logs under; see the library's Log.h
}

// Builds one GP frame: header ("GP", body length), 26-byte body (version,
// session id, command number, parameter length, reserved word) and the
// parameter records. One object builds one message: its buffers are never
// emptied before the destructor, so a second builder on the same object
// carries the first one's bytes along. A builder does not empty `out`: the
// header goes in front of anything already there, body and parameters after it.
// A builder that fails, at whatever step (a log record that throws included),
// leaves `out` and the caller's record as they were.
//
// Not safe for use by two threads at once; distinct objects share only the
// logger and the session store.
class GPENC_API CEncoder {
public:
    CEncoder();
    CEncoder(const CEncoder& other);
    CEncoder& operator=(const CEncoder& other);
    ~CEncoder() noexcept;  // never throws, also while another exception unwinds

    // The parameterless frames: `type` 2 or 4 is the command number.
    bool CommonData(int type, std::vector<unsigned char>& out);

    // Command 1. Never fetches a session id: a login on a fresh object
    // carries sixteen zero bytes.
    bool UserLogin(sUserLogin* login, std::vector<unsigned char>& out);

    // The platform commands. Each checks its input as its record describes,
    // appends one parameter per field and returns true when the frame is in
    // `out`. A null record, or one that fails its check, gives false with
    // nothing appended; `out` changes only on success.

    bool Cmd_sCommitInterval(sCommitInterval* interval, std::vector<unsigned char>& out);
    bool Cmd_SoundSowing(sSoundSowing* sowing, std::vector<unsigned char>& out);
    bool Cmd_sListening(sListening* listening, std::vector<unsigned char>& out);
    bool Cmd_sSimSet(sSimSetInterval* simSet, std::vector<unsigned char>& out);
    bool Cmd_sBlackout(sBlackoutInterval* blackout, std::vector<unsigned char>& out);
    bool Cmd_sVideo(sVideo* video, std::vector<unsigned char>& out);
    bool Cmd_AlarmHandle(sAlarmHandle* alarm, std::vector<unsigned char>& out);
    bool Cmd_sTimeInterval(sTimeInterval* interval, std::vector<unsigned char>& out);
    bool Cmd_sPreset(sPreset* preset, std::vector<unsigned char>& out);

    bool Cmd_EquipSetQuery(sEquipsetQuery* query, std::vector<unsigned char>& out);
    bool Cmd_EquipPositionInfoQuery(sEquipPositionInfoQuery* query, std::vector<unsigned char>& out);
    bool Cmd_AffirmAlarmInform(sAffirmAlarmInform* inform, std::vector<unsigned char>& out);
    bool Cmd_EquipTempPositionTrack(sEquipTempPositionTrack* track, std::vector<unsigned char>& out);
    bool Cmd_EquipControl(sEquipControl* control, std::vector<unsigned char>& out);

    // Command 3: the subscription number (non-zero, key 0) and, in the first
    // form, a non-empty text (key 1).
    bool Subscription(int number, std::string text, std::vector<unsigned char>& out);
    bool Subscription(int number, std::vector<unsigned char>& out);

    // Command 0x50: realtime data of one terminal (non-empty number, key 0).
    bool Realtime(std::string terminalNo, std::vector<unsigned char>& out);
    // Command 5: a photograph from one terminal; `byPhotoParam` (key 1) is
    // carried unchanged.
    bool Photograph(std::string terminalNo, unsigned char byPhotoParam, std::vector<unsigned char>& out);

    bool TrackPlayback(sTrackPlayback* playback, std::vector<unsigned char>& out);

    // The 808-tunnelled settings (command 0x33). Each fails, with `out`
    // unchanged, on an empty terminal number, on a setting the JT/T 808 encoder
    // refuses, on a number out of range, on a message id outside 0 to 0xFFFF and
    // on a parameter setting that would set no parameter (every value one the
    // encoder leaves out); it gives false without a failure record when there
    // is no setting text to send.

    // One heartbeat interval or main server address (`nSetParm`). On success
    // writes `strPhoneNo` and appends to `strMsgHex` in the caller's record.
    bool EquipSet(sEquipset* equipSet, std::vector<unsigned char>& out);
    // Any terminal parameters in one message, one record each, for the first
    // record's terminal. An empty list fails; the caller's records are not changed.
    bool EquipSet(std::vector<sEquipset> equipSets, std::vector<unsigned char>& out);
    bool EquipSet_ICInfoSet(sEquipControl_SetIC setIC, std::vector<unsigned char>& out);
    // Logs under "CEncoder::EquipSet", as its log readers know it. On success
    // writes `strPhoneNo`, `strMsgText` and `msgId` in the caller's record.
    bool EquipAlarmSet(sEquip_AlarmSet* alarmSet, std::vector<unsigned char>& out);

    // The parameter step of EquipSet_ICInfoSet: appends the three parameters
    // of `setIC` as it stands. Fails, appending nothing, when `setIC` is null,
    // its terminal number or `strMsgHex` is empty or its `msgId` is outside 0
    // to 0xFFFF.
    bool SetEquipSet_ICInfoSetParameterData(sEquipControl_SetIC* setIC);

private:
    friend struct GpencTestAccess;  // the unit tests reach the private steps

    // One parameter as a setter emits it; defined in EncoderParts.h.
    struct ParamSource;

    bool initParameterConfig(ParameterConfig& config);
    bool SetOnceParameterData(ParameterConfig config);
    // SetOnceParameterData, reading the value from where the builder keeps it.
    bool AppendRecord(const ParamSource& param);
    int GetParaStr(std::string paraStr, std::vector<unsigned char>& out);
    bool UnsignedIntToUInt16(unsigned int value, unsigned char* dest);
    bool UnsignedIntToInt32(int value, unsigned char* dest);
    bool ChangeOrder(int count, unsigned char* bytes);

    bool SetBodyData(int command);
    bool SetHeaderData();
    int Change16To10(const char* text);
    bool VectorToHexChr(std::vector<unsigned char> bytes, std::string& text);

    bool SetLoginParameterData(sUserLogin* login);

    // The parameter steps of the platform commands: each repeats its builder's
    // check and appends the parameters in ascending key order.
    bool SetCommitParameterData(sCommitInterval* interval);
    bool SetSoundSowingParameterData(sSoundSowing* sowing);
    bool SetListeningParameterData(sListening* listening);
    bool SetSimSetParameterData(sSimSetInterval* simSet);
    bool SetBlackoutParameterData(sBlackoutInterval* blackout);
    bool SetVideoParameterData(sVideo* video);
    bool SetAlarmHandleParameterData(sAlarmHandle* alarm);
    bool SetTimeIntervalParameterData(sTimeInterval* interval);
    bool SetPresetParameterData(sPreset* preset);
    bool SetEquipSetQueryParameterData(sEquipsetQuery* query);
    bool SetSubscriptionParameterData(int number, std::string text);
    bool SetSubscriptionParameterData(int number);
    bool SetRealtimeParameterData(std::string terminalNo);
    bool SetPhotographParameterData(std::string terminalNo, unsigned char byPhotoParam);
    bool SetTrackPlaybackParameterData(sTrackPlayback* playback);
    bool SetEquipSetParameterData(sEquipset* equipSet);
    bool SetEquipSetAlarmSetData(sEquip_AlarmSet* alarmSet);

    // The parameter step of every command-0x33 frame, logging under `op`:
    // key 0 `terminalNo`, key 1 `msgId` in lower-case hexadecimal, key 2
    // `record->*argument`. Fails, appending nothing, when `record` is null,
    // either text is empty or `msgId` is no 16-bit message id; parameters
    // appended before a later failure stay.
    template <class Record>
    bool SetTunnelParameterData(const gpenc::detail::Op& op, Record* record,
                                const std::string Record::*argument);

    // The path of the 808-tunnelled settings, inside the guarded region of
    // `op`: unless `valid`, the failure record. Otherwise " 生成808数据开始<<<<<",
    // then `produce(standard)` with the one CEncoder_Standard of the build, which
    // puts the setting text into the record to send and says how that went. A
    // text that came out empty ends the build with false and no further record,
    // not even the exit record. Otherwise " 生成808数据结束<<<<<", `send()` (the
    // parameter step) and the command-0x33 frame; on success the exit record,
    // the frame into `out` and `commit()`, which hands over what the build
    // wrote into its copy of the caller's record and cannot fail.
    template <class Produce, class Send, class Commit>
    bool SendSetting(const gpenc::detail::Op& op, bool valid, Produce&& produce, Send&& send,
                     Commit&& commit, std::vector<unsigned char>& out);

    // The equipment requests: checks `request`, then sends its terminal number,
    // `msgId` and the argument text `compose(*request)` as command 0x33.
    template <class Request, class Compose>
    bool SendEquipRequest(const gpenc::detail::Op& op, Request* request, int msgId, Compose compose,
                          std::vector<unsigned char>& out);

    // Appends `count` parameters in order through one ParameterConfig, resetting
    // it with initParameterConfig between two of them (and before the first when
    // `continued`, for a setter that has already emitted some). Stops at the
    // first failure; what was appended before it stays.
    bool AppendParameters(const ParamSource* params, std::size_t count, bool continued = false);

    // SetBodyData(command), SetHeaderData(), then the frame copy as it is to
    // leave `out` (header at the front, body and, `withParameters`, the
    // parameters at the end) into `frame`, which the builder swaps into `out`
    // as its very last step, after its exit record.
    bool FinishFrame(int command, const std::vector<unsigned char>& out, std::vector<unsigned char>& frame,
                     bool withParameters = true);

    // The usual builder, inside the guarded region of `op`: unless `valid`
    // and `params()` (the parameter step) and the frame of `command` succeed,
    // the failure record and false; otherwise the exit record, and then the
    // frame into `out`. The records carry the caller's `line`.
    template <class Params>
    bool SendFrame(const gpenc::detail::Op& op, bool valid, int command, Params&& params,
                   std::vector<unsigned char>& out, int line = __builtin_LINE());

    std::vector<unsigned char> m_vecParameter;
    std::vector<unsigned char> m_vecBody;
    std::vector<unsigned char> m_vecHeader;
    unsigned char m_bySession[16];
};

// ---------------------------------------------------------------------------
// JT/T 808 side: downlink messages built by CEncoder_Standard
// ---------------------------------------------------------------------------

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
    ~CEncoder_Standard() noexcept;  // never throws, also while another exception unwinds

    // 0x8103 with the single DWORD parameter 0x0001 (heartbeat interval) =
    // `config.dwValue`. The record's type and mark are not read.
    bool ParmSet_GetHeadInterval(EquipParmSet_EquipConfig config, std::vector<unsigned char>& msg);
    // 0x8103 with one entry per record; only STRING and DWORD values are
    // carried (other types go out zero or empty). Fails on an empty list.
    bool ParmSet_GetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list,
                                 std::vector<unsigned char>& msg);
    // 0x8103 with one entry per record, of every type. Fails on an empty list
    // or an empty first phone number. A record whose value cannot be encoded
    // is left out, and the count byte counts only the entries sent.
    bool ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list,
                                     std::vector<unsigned char>& msg);
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

    void InitStandardMsgHead();
    bool SetMsgData_StandardMsgHead(std::uint16_t msgId, std::string phoneNo);
    bool GetMsgData(std::uint32_t msgId, std::vector<unsigned char>& msg);
    bool charTohex(std::string text, int& value);
    int GetParaStr(std::string paraStr, std::vector<unsigned char>& out);
    bool GetMsgHead();
    bool GetMsgbody();
    bool GetMsgEscape();

    bool ParmSet_SetHeadInterval(EquipParmSet_EquipConfig config);
    bool ParmSet_SetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list);
    bool ParmSet_Set808ParmInfo(std::vector<EquipParmSet_EquipConfig> list);
    // The staging both operations above share: refuses an empty list under
    // `op`, then encodes every record into the parameter list (an entry that
    // cannot be encoded is logged and left out; one lost to a caught framework
    // exception fails the list with "运行失败" under `op`). With
    // `stringAndDwordOnly` other types keep an empty value. Writes no exit record.
    bool StageEntries(const gpenc::detail::Op& op, const std::vector<EquipParmSet_EquipConfig>& list,
                      bool stringAndDwordOnly);
    bool SetOnceParameterData(MsgData_EquipParmSet_ParmListConfig value);
    bool SetMsgData_EquipParmSet(MsgData_EquipParmSet_ParmList entry);
    bool SetOncePageData(MsgData_EquipParmSet_ParmListConfig& value);

    // Appends the value bytes of `value` by its type to `out`, BYTE taking
    // `byteValue`. False, with `out` as it was, for a type that is none, an
    // empty text or more than 255 bytes.
    bool EncodeValue(const MsgData_EquipParmSet_ParmListConfig& value, unsigned char byteValue,
                     std::vector<unsigned char>& out);
    // Empties the body and appends the IC-card pages both layouts share, up to
    // the card check byte; `dataLength` is the inner packet's length word.
    // False, with the body as it was, for a card date whose year is outside
    // 2000 to 2099 (its BCD byte holds only the years of that century); false
    // also when a page was lost to a caught framework exception.
    bool AppendCardPages(const struct_EquipControl_SetIC& card, std::uint16_t dataLength);
    // The frame of every message builder, logging under `op` at the caller's
    // `line`: unless `ready`, logs "设置信息失败" and stops; resets, runs
    // `stage`, serialises message `msgId` aside and runs `finish` on it,
    // logging "设置信息失败" or "得到信息失败" for the first two steps when they
    // fail; on success puts the message in `msg` and resets again.
    template <class Operation, class Stage, class Finish>
    bool BuildMessage(const Operation& op, bool ready, std::uint16_t msgId, std::vector<unsigned char>& msg,
                      Stage&& stage, Finish&& finish, int line = __builtin_LINE());
    // The number of body bytes GetMsgData appends for `msgId`.
    std::size_t BodyLength(std::uint32_t msgId) const;

    StandardMsgHead m_stMsgHead;
    StandardMsg m_stMsg;
    unsigned char m_byParmCount;
    std::vector<unsigned char> m_vecParmList;
    MsgData_EquipParmSet_ParmList m_stCurParm;
};
