// gpenc: encodes the vehicle-monitoring client's requests as GP frames, the
// platform's own framed protocol, and as JT/T 808 downlink messages.
//
// The usual call (a whole program: examples/login_demo.cpp, which the build
// compiles):
//
//     CEncoder encoder;                          // one object, any number of messages
//     std::vector<unsigned char> frame;          // empty: the frame is appended
//     if (!encoder.UserLogin(&login, frame))     // false: the ERROR records and
//         return false;                          // gpenc::LastFailure() say why
//     SendToPlatform(frame.data(), frame.size());
//
// An operation catches only the framework's exception (`CException*`,
// gpenc/Host.h): it is logged at ERROR, released and turned into false. Any
// other exception, `std::bad_alloc` included, passes through to the caller, as
// the logging convention lets exceptions other than the framework's pass. (The
// destructors alone throw nothing at all.)
//
// Every builder takes a plain input record and the caller's byte vector and
// returns true when the finished frame is in the vector. Failures are reported
// as false and logged through the shared logger of gpenc/Host.h.
//
// An operation asks the logger whether DEBUG and ERROR are enabled once, when
// it begins, and every step inside it uses those answers: a call writes all of
// its records of a level or none, and a level changed while it runs (by
// another thread, or by an appender) takes effect from the next call. An
// operation called from inside a log record (an appender that encodes) asks
// anew.
#pragma once

#include <gpenc/Encoder_Standard.h>

#include <array>
#include <string>
#include <vector>

// == Parameter records of the GP frame

// One key/kind/value parameter, as the parameter step SetOnceParameterData
// encodes it. Only the member of the value kind is encoded.
struct ParameterConfig {
    int paraType = 0;                    // value kind: 1 text, 6 Int32, 9 byte, 10 six bytes
    unsigned int paraKey = 0;            // parameter key; only the low 16 bits go on the wire
    std::string paraText;                // kind 1: the text's bytes, no terminator, at least one
    int paraInt32 = 0;                   // kind 6: 4 bytes, two's complement, big-endian
    unsigned char paraByte = 0;          // kind 9: the byte
    unsigned char paraSixBytes[6] = {};  // kind 10: the six bytes in stored order
    // Q9: carried with the record but never encoded (docs/compat.md).
    std::vector<unsigned char> paraBytes;  // not read
};

// == Input records of CEncoder

// User login (command 1): eight texts, sent as keys 0 to 7. All must be non-empty.
// What each text means is the platform's business: each is sent as given.
struct sUserLogin {
    std::string loginText0;  // login text, sent as given; read by UserLogin as key 0 (text)
    std::string loginText1;  // login text, sent as given; read by UserLogin as key 1 (text)
    std::string loginText2;  // login text, sent as given; read by UserLogin as key 2 (text)
    std::string loginText3;  // login text, sent as given; read by UserLogin as key 3 (text)
    std::string loginText4;  // login text, sent as given; read by UserLogin as key 4 (text)
    std::string loginText5;  // login text, sent as given; read by UserLogin as key 5 (text)
    std::string loginText6;  // login text, sent as given; read by UserLogin as key 6 (text)
    std::string loginText7;  // login text, sent as given; read by UserLogin as key 7 (text)
};

// The interval and setting records. Each field goes out under the key its name
// ends in; a text field must be non-empty unless its comment says otherwise.
// The platform reads the fields by key: the library gives them no meaning of
// its own and sends them as given.

// Command 0x22.
struct sCommitInterval {
    unsigned char byte0 = 0;  // sent as given, non-zero; read by Cmd_sCommitInterval as key 0 (byte)
    std::string text1;        // sent as given; read by Cmd_sCommitInterval as key 1 (text)
    std::string text2;        // sent as given; read by Cmd_sCommitInterval as key 2 (text)
    std::string text3;        // sent as given; read by Cmd_sCommitInterval as key 3 (text)
    std::string text4;        // sent as given; read by Cmd_sCommitInterval as key 4 (text)
    std::string text5;        // sent as given; read by Cmd_sCommitInterval as key 5 (text)
    std::string text6;        // sent as given; read by Cmd_sCommitInterval as key 6 (text)
};

// Command 0x06.
struct sSoundSowing {
    std::string text0;  // sent as given; read by Cmd_SoundSowing as key 0 (text)
    std::string text1;  // sent as given; read by Cmd_SoundSowing as key 1 (text)
};

// Command 0x20.
// Q21: fields in the client's declared order, not key order (docs/compat.md).
struct sListening {
    std::string text2;        // sent as given; read by Cmd_sListening as key 2 (text)
    std::string text0;        // sent as given; read by Cmd_sListening as key 0 (text)
    unsigned char byte1 = 0;  // sent as given, any value; read by Cmd_sListening as key 1 (byte)
};

// Command 0x23.
struct sSimSetInterval {
    std::string text0;  // sent as given; read by Cmd_sSimSet as key 0 (text)
    std::string text1;  // sent as given; read by Cmd_sSimSet as key 1 (text)
};

// Command 0x25.
struct sBlackoutInterval {
    std::string text0;  // sent as given; read by Cmd_sBlackout as key 0 (text)
    std::string text1;  // sent as given; read by Cmd_sBlackout as key 1 (text)
};

// Command 0x19.
struct sVideo {
    std::string text4;        // sent as given; read by Cmd_sVideo as key 4 (text)
    std::string text0;        // sent as given; read by Cmd_sVideo as key 0 (text)
    unsigned char byte1 = 0;  // sent as given, any value; read by Cmd_sVideo as key 1 (byte)
    std::string text2;        // sent as given; read by Cmd_sVideo as key 2 (text)
    int int3 = 0;             // sent as given, non-zero; read by Cmd_sVideo as key 3 (Int32)
};

// Command 0x07.
struct sAlarmHandle {
    std::string text0;  // sent as given; read by Cmd_AlarmHandle as key 0 (text)
    std::string text1;  // sent as given; read by Cmd_AlarmHandle as key 1 (text)
    // Alarm-handling code, 0 to 9; read by Cmd_AlarmHandle as key 2, a one-byte text (3 as 0x03, not "3").
    unsigned char byte2 = 0;
    std::string text3;  // sent as given; read by Cmd_AlarmHandle as key 3 (text)
};

// Command 0x18.
struct sTimeInterval {
    std::string text0;  // sent as given; read by Cmd_sTimeInterval as key 0 (text)
    int int1 = 0;       // sent as given (negative too), non-zero; read by Cmd_sTimeInterval as key 1 (Int32)
};

// Command 0x21: `text0`, `count1`, then the first `count1` names, each under key 2.
// A `count1` of -1 or 0, or above names2.size(), is refused; a negative count
// other than -1 sends no names.
struct sPreset {
    std::string text0;  // sent as given; read by Cmd_sPreset as key 0 (text)
    int count1 = 0;     // number of names to send (above); read by Cmd_sPreset as key 1 (Int32)
    // The names, sent as given; the first `count1` read by Cmd_sPreset, each as key 2 (text).
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
    std::string terminalNo;   // terminal number; read by Cmd_EquipSetQuery as key 0 (text)
    std::string strReserved;  // not read
    int msgId = 0;            // JT/T 808 message id; not read (Cmd_EquipSetQuery sends 0x8104 as key 1)
    std::string strMsgText;   // argument text; not read (Cmd_EquipSetQuery sends "0" as key 2)
};

// JT/T 808 0x8201, position information query.
struct sEquipPositionInfoQuery {
    std::string terminalNo;  // terminal number; read by Cmd_EquipPositionInfoQuery as key 0 (text)
};

// JT/T 808 0x8203, manual alarm confirmation; always sent with the argument "1".
struct sAffirmAlarmInform {
    std::string terminalNo;  // terminal number; read by Cmd_AffirmAlarmInform as key 0 (text)
};

// JT/T 808 0x8202, temporary position tracking: sent as "nInterval,nValidity",
// both in decimal, as key 2.
struct sEquipTempPositionTrack {
    std::string terminalNo;  // terminal number; read by Cmd_EquipTempPositionTrack as key 0 (text)
    std::string strPhoneNo;  // phone number of the 808 head, filled in by the platform; not read
    int nSerialNo = 0;       // serial number of the 808 head, filled in by the platform; not read
    // Time interval, in seconds, 0 stops the tracking; read by Cmd_EquipTempPositionTrack into key 2.
    int nInterval = 0;
    // Tracking validity period, in seconds; read by Cmd_EquipTempPositionTrack into key 2.
    int nValidity = 0;
};

// JT/T 808 0x8105, terminal control. The argument (key 2) is the command word,
// and for words 1 and 2 the command parameters, as "1,url;apn;...;limit": the
// texts of the word's array joined by ";", empty ones included. Command word:
// 1 wireless upgrade, 2 connect to a given server, 3 power off, 4 reset,
// 5 restore factory settings, 6 turn off data communication, 7 turn off all
// wireless communication. Any other word is refused.
// `strUpgradeArgs` (word 1): URL, dial point name, dial user name, dial
// password, address, TCP port, UDP port, manufacturer id, hardware version,
// firmware version, time limit for connecting to the server.
// `strConnectArgs` (word 2): connection control (0 switch to the given server,
// 1 back to the default one: then only "2,1" is sent), supervision platform
// authentication code, dial point name, dial user name, dial password,
// address, TCP port, UDP port, time limit for connecting to the server.
struct sEquipControl {
    std::string terminalNo;        // terminal number; read by Cmd_EquipControl as key 0 (text)
    std::string strPhoneNo;        // phone number of the 808 head, filled in by the platform; not read
    int nSerialNo = 0;             // serial number of the 808 head, filled in by the platform; not read
    int nCommand = 0;              // command word, 1 to 7 (above); read by Cmd_EquipControl into key 2
    std::string strCommandParams;  // not read: Cmd_EquipControl composes key 2 from the texts below
    // Command word 1's parameters (above), as given; read by Cmd_EquipControl, joined by ";" into key 2.
    std::array<std::string, 11> strUpgradeArgs;
    // Command word 2's parameters (above), as given; read by Cmd_EquipControl, joined by ";" into key 2.
    std::array<std::string, 9> strConnectArgs;
};

// Track playback (command 0x11): the recorded track of one terminal between
// two times, each carried as its six bytes as stored (neither converted nor
// compared). Neither time may be six zero bytes.
struct sTrackPlayback {
    std::string terminalNo;  // terminal number; read by TrackPlayback as key 0 (text)
    // Start of the period, six bytes sent as stored; read by TrackPlayback as key 1 (six bytes).
    unsigned char byStartTime[6] = {};
    // End of the period, six bytes sent as stored; read by TrackPlayback as key 2 (six bytes).
    unsigned char byEndTime[6] = {};
};

// The 808-tunnelled settings (command 0x33): CEncoder_Standard builds the
// JT/T 808 message or setting text, which goes out as key 2 beside the
// terminal number (key 0) and the JT/T 808 message id in lower-case
// hexadecimal (key 1). The terminal's JT/T 808 phone number is the last 12
// characters of `terminalNo`, or all of a shorter one (the IC card's message
// takes `stSetIC.strPhoneNo` instead); under the 2019 head (the overloads
// with a Jt808Head) it is the whole `terminalNo`, at most 20 digits. Each
// record's `terminalNo` must be non-empty (in a list, the first record's).

// Terminal parameters, JT/T 808 0x8103. The single-record form of EquipSet
// sets the heartbeat interval or the main server address; the list form any
// parameter of the terminal parameter table, one record each.
// `strValue` holds a numeric value in decimal, read as atoi reads it
// (-2147483648 to 4294967295, a negative one as its 32-bit two's complement;
// a WORD parameter takes -32768 to 65535 and a BYTE one -128 to 255, a
// negative one as its two's complement in that width), and a text parameter's
// value as the text itself.
struct sEquipset {
    std::string terminalNo;  // terminal number; read by EquipSet as key 0 (text), a list sends the first's
    std::string strPhoneNo;  // not read; the single-record EquipSet writes the 808 phone number into it
    int nReserved = 0;       // not read
    std::string strValue;    // the parameter's value as text (above); read by both forms of EquipSet
    // 808 message, lower-case hex text; the single-record EquipSet appends to it and sends all as key 2.
    std::string strMsgHex;
    // Value of a byte-array parameter (0x0110 to 0x01FF), sent as given; read by the list form of EquipSet.
    std::vector<unsigned char> vecValueBytes;
    // 1 heartbeat interval, 0x13 main server address, else no message; read by the single-record EquipSet.
    int nSetParm = 0;
    // The 808 parameter id this record sets; read by the list form of EquipSet.
    EequipParameterMark eParmMark = static_cast<EequipParameterMark>(0);
    // Q25: the single-record form does not set it for the caller (docs/compat.md).
    int msgId = 0;  // 808 message id: the single-record form's key 1, 0 to 0xFFFF; a list sends 0x8103
};

// IC-card information, JT/T 808 0x8900 (downlink pass-through). EquipSet_ICInfoSet
// sends the message it builds and 0x8900; SetEquipSet_ICInfoSetParameterData
// sends `strMsgHex` and `msgId` as they stand.
struct sEquipControl_SetIC {
    std::string terminalNo;  // terminal number; read by EquipSet_ICInfoSet as key 0 (text)
    std::string strPhoneNo;  // not read; the message head takes stSetIC.strPhoneNo
    // 808 message as hex text: key 2 of SetEquipSet_ICInfoSetParameterData; EquipSet_ICInfoSet: not read.
    std::string strMsgHex;
    int msgId = 0;  // 808 message id: the parameter step's key 1, 0 to 0xFFFF; EquipSet_ICInfoSet: not read
    // The card, read by EquipSet_ICInfoSet: `byStandard` 1 standard layout, any other the extension.
    struct_EquipControl_SetIC stSetIC;
};

// Circular-area alarm setting, JT/T 808 0x8600, sent as its setting text.
// EquipAlarmSet writes `strPhoneNo`, appends to `strMsgText` and sets `msgId`.
struct sEquip_AlarmSet {
    std::string terminalNo;  // terminal number; read by EquipAlarmSet as key 0 (text)
    std::string strPhoneNo;  // not read; EquipAlarmSet writes the 808 phone number into it
    std::string strMsgText;  // setting text; EquipAlarmSet appends the new text and sends all of it as key 2
    // Q21: an unread member, kept for the client's record layout (docs/compat.md).
    unsigned char byReserved[16] = {};  // not read
    // Setting attribute (JT/T 808: 0 update, 1 append, 2 modify); read by EquipAlarmSet as text item 1.
    unsigned char bySetAttr = 0;
    // Number of areas, sent as given whatever `vecAreas` holds; read by EquipAlarmSet as text item 2.
    unsigned char byAreaCount = 0;
    // The circular areas, in order; read by EquipAlarmSet, one group of items each.
    std::vector<MsgData_AlarmSet_CircularArea> vecAreas;
    int msgId = 0;  // not read; EquipAlarmSet sets it to 0x8600, which it sends as key 1
};

// == CEncoder: the GP frame and its command builders

#if defined(_MSC_VER)
// C4251 on the standard-library members: the library and its client share one C++
// runtime and toolset (docs/host.md), so the members mean the same on both sides.
#  pragma warning(push)
#  pragma warning(disable : 4251)
#endif
// Builds one GP frame: header ("GP", body length), 26-byte body (version,
// session id, command number, parameter length, reserved word) and the
// parameter records. Every builder starts from the object's empty buffers, so
// one object builds any number of messages one after another (parameters left
// by a direct call of SetEquipSet_ICInfoSetParameterData are dropped by the
// next builder); the session id, once fetched, stays with the object. A
// builder appends its whole frame at the end of `out` and leaves what was
// there alone, so `out` may collect several frames. A builder that fails, at
// whatever step (a log record that throws included), leaves `out` and the
// caller's record as they were.
//
// Not safe for use by two threads at once; distinct objects share only the
// logger and the session store.
class GPENC_API CEncoder {
public:
    CEncoder();
    CEncoder(const CEncoder& other);
    CEncoder& operator=(const CEncoder& other);
    // D6: the destructor never throws (docs/compat.md).
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
    // The three settings above with the JT/T 808 message head of `head`
    // (Jt808Head), chosen per terminal. Under the 2019 head the phone number is
    // the whole terminal number (the card's `strPhoneNo` for the IC card), up
    // to 20 digits; a longer one or one with a non-digit fails the setting.
    bool EquipSet(sEquipset* equipSet, std::vector<unsigned char>& out, Jt808Head head);
    bool EquipSet(std::vector<sEquipset> equipSets, std::vector<unsigned char>& out, Jt808Head head);
    // The list form with the parameters the call opts into or declares
    // (Jt808ParmTypes), as CEncoder_Standard::ParmSet_Get808ParmSetVector takes them.
    bool EquipSet(std::vector<sEquipset> equipSets, std::vector<unsigned char>& out, Jt808Head head,
                  Jt808ParmTypes types);
    bool EquipSet_ICInfoSet(sEquipControl_SetIC setIC, std::vector<unsigned char>& out, Jt808Head head);
    // Logs under "CEncoder::EquipSet", as its log readers know it. On success
    // writes `strPhoneNo`, `strMsgText` and `msgId` in the caller's record.
    // Q22: the tag log readers know it by (docs/compat.md).
    bool EquipAlarmSet(sEquip_AlarmSet* alarmSet, std::vector<unsigned char>& out);

    // The parameter step of EquipSet_ICInfoSet: appends the three parameters
    // of `setIC` as it stands. Fails, appending nothing, when `setIC` is null,
    // its terminal number or `strMsgHex` is empty or its `msgId` is outside 0
    // to 0xFFFF.
    // Q21: the one public parameter step, as the client calls it (docs/compat.md).
    bool SetEquipSet_ICInfoSetParameterData(sEquipControl_SetIC* setIC);

private:
    friend struct GpencTestAccess;  // the unit tests reach the private steps
    friend struct EncoderSteps;     // the library's own steps, in its sources

    bool initParameterConfig(ParameterConfig& config);
    bool SetOnceParameterData(ParameterConfig config);
    int GetParaStr(std::string paraStr, std::vector<unsigned char>& out);
    // Write the low 16 (all 32) bits of `value` most significant first into
    // the 2 (4) bytes at `dest`. A zero writes nothing: `dest` must be zeroed.
    bool UnsignedIntToUInt16(unsigned int value, unsigned char* dest);
    bool UnsignedIntToInt32(int value, unsigned char* dest);
    // Turns the `count` bytes of a field from the host's order into the
    // wire's, most significant first; `count` 1 to 8.
    bool ChangeOrder(int count, unsigned char* bytes);

    bool SetBodyData(int command);
    bool SetHeaderData();
    int Change16To10(const char* text);
    bool VectorToHexChr(std::vector<unsigned char> bytes, std::string& text);

    // The parameter steps: each repeats its builder's check and appends the
    // parameters in ascending key order.
    bool SetLoginParameterData(sUserLogin* login);
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

    std::vector<unsigned char> m_vecParameter;
    std::vector<unsigned char> m_vecBody;
    std::vector<unsigned char> m_vecHeader;
    unsigned char m_bySession[16];
};
#if defined(_MSC_VER)
#  pragma warning(pop)
#endif

namespace gpenc {

// Why the last public operation of CEncoder or CEncoder_Standard that this
// thread called returned false, as errno and GetLastError keep theirs: the
// operation, the field as a path into the caller's input, the rule it broke
// and the value it had, or the message of a caught framework exception and
// the step that caught it. UTF-8, English; caller texts cut to 40 characters,
// the login texts never shown. Empty after an operation that returned true.
// An operation called from inside a log record (an appender that encodes)
// has its own; the call it interrupted sets the thread's when it ends.
//
//     CEncoder encoder;
//     if (!encoder.Cmd_sTimeInterval(&interval, frame))
//         std::fprintf(stderr, "%s\n", gpenc::LastFailure().c_str());
//         // "CEncoder::Cmd_sTimeInterval: interval.int1: must not be 0"
GPENC_API std::string LastFailure();

}  // namespace gpenc
