// gpenc: encodes the vehicle-monitoring client's requests as GP frames, the
// platform's own framed protocol, and as JT/T 808 downlink messages.
//
// Every builder takes a plain input record and the caller's byte vector and
// returns true when the finished frame is in the vector. Failures are reported
// as false and logged through the shared logger of gpenc/Host.h.
#pragma once

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

// ---------------------------------------------------------------------------
// CEncoder: the GP frame and its command builders
// ---------------------------------------------------------------------------

// Builds one GP frame: header ("GP", body length), 26-byte body (version,
// session id, command number, parameter length, reserved word) and the
// parameter records. One object builds one message: its buffers are never
// emptied before the destructor, so a second builder on the same object
// carries the first one's bytes along. A builder does not empty `out`: the
// header goes in front of anything already there, body and parameters after it.
//
// Not safe for use by two threads at once; distinct objects share only the
// logger and the session store.
class GPENC_API CEncoder {
public:
    CEncoder();
    CEncoder(const CEncoder& other);
    CEncoder& operator=(const CEncoder& other);
    ~CEncoder();

    // The parameterless frames: `type` 2 or 4 is the command number.
    bool CommonData(int type, std::vector<unsigned char>& out);

    // Command 1. Never fetches a session id: a login on a fresh object
    // carries sixteen zero bytes.
    bool UserLogin(sUserLogin* login, std::vector<unsigned char>& out);

private:
    friend struct GpencTestAccess;  // the unit tests reach the private steps

    // One parameter as a setter emits it; defined in Encoder.cpp.
    struct ParamSource;

    bool initParameterConfig(ParameterConfig& config);
    bool SetOnceParameterData(ParameterConfig config);
    int GetParaStr(std::string paraStr, std::vector<unsigned char>& out);
    bool UnsignedIntToUInt16(unsigned int value, unsigned char* dest);
    bool UnsignedIntToInt32(int value, unsigned char* dest);
    bool ChangeOrder(int count, unsigned char* bytes);

    bool SetBodyData(int command);
    bool SetHeaderData();
    int Change16To10(const char* text);
    bool VectorToHexChr(std::vector<unsigned char> bytes, std::string& text);

    bool SetLoginParameterData(sUserLogin* login);

    // Appends `count` parameters in order through one ParameterConfig, resetting
    // it with initParameterConfig between two of them (and before the first when
    // `continued`, for a setter that has already emitted some). Stops at the
    // first failure; what was appended before it stays.
    bool AppendParameters(const ParamSource* params, std::size_t count, bool continued = false);

    // SetBodyData(command), SetHeaderData(), then the frame copy into `out`:
    // header at the front, body and parameters at the end. `out` is written
    // only when both succeed.
    bool FinishFrame(int command, std::vector<unsigned char>& out);

    std::vector<unsigned char> m_vecParameter;
    std::vector<unsigned char> m_vecBody;
    std::vector<unsigned char> m_vecHeader;
    unsigned char m_bySession[16];
};
