// CEncoder: the object, parameter records, the GP frame and the login; the
// other builders are in Commands.cpp (platform commands) and Tunnel.cpp
// (808-tunnelled settings).
#include "gpenc/Encoder.h"

#include "Text.h"
#include "core/Failure.h"
#include "core/Log.h"
#include "core/ParaStr.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "gp/EncoderParts.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <utility>

using gpenc::detail::Bytes;
using gpenc::detail::Check;
using gpenc::detail::Logged;
using gpenc::detail::Op;
using gpenc::detail::ParamSource;
using gpenc::detail::Public;
using gpenc::detail::Refuse;
using gpenc::detail::Writer;

namespace {

constexpr Op Operation(const char* name) { return gpenc::detail::EncoderOp(name); }

// GetParaStr's records.
// Q7: kept as an exported step, though no builder calls it (docs/compat.md).
constexpr Op kGetParaStr = Operation("CEncoder::GetParaStr");

}  // namespace

// ---------------------------------------------------------------------------
// Object
// ---------------------------------------------------------------------------

CEncoder::CEncoder() : m_bySession{} {
    static constexpr Op op = Operation("CEncoder::CEncoder");
    gpenc::detail::ConstructorRecords(op, [](auto&) {});
}

CEncoder::CEncoder(const CEncoder& other) = default;
CEncoder& CEncoder::operator=(const CEncoder& other) = default;

// Runs while another exception may unwind: a record that throws is dropped,
// and the members go with the object whatever the records did.
// D6: never throws, so that destroying an encoder while unwinding cannot end the process (docs/compat.md).
CEncoder::~CEncoder() noexcept {
    static constexpr Op op = Operation("CEncoder::~CEncoder");
    gpenc::detail::DestructorRecords(op, [&](auto&) {
        Bytes().swap(m_vecParameter);
        Bytes().swap(m_vecBody);
        Bytes().swap(m_vecHeader);
    });
}

// ---------------------------------------------------------------------------
// Parameter records
// ---------------------------------------------------------------------------

// The exported steps, each over the library's own in EncoderParts.h.
bool CEncoder::initParameterConfig(ParameterConfig& config) {
    return Logged([&](auto& log) { return EncoderSteps::InitConfig(log, config); });
}

bool CEncoder::SetOnceParameterData(ParameterConfig config) {
    return Logged([&](auto& log) {
        return EncoderSteps::AppendRecord(log, *this,
                                          {config.paraType, config.paraKey, &config.paraText, config.paraInt32,
                                           config.paraByte, config.paraSixBytes});
    });
}

// Q7: kept as an exported step, though no builder calls it (docs/compat.md).
int CEncoder::GetParaStr(std::string paraStr, std::vector<unsigned char>& out) {
    return gpenc::detail::PrependParaStr(kGetParaStr, paraStr, out);
}

bool CEncoder::UnsignedIntToUInt16(unsigned int value, unsigned char* dest) {
    return Logged([&](auto& log) { return EncoderSteps::UInt16(log, value, dest); });
}

bool CEncoder::UnsignedIntToInt32(int value, unsigned char* dest) {
    return Logged([&](auto& log) { return EncoderSteps::UInt32(log, value, dest); });
}

bool CEncoder::ChangeOrder(int count, unsigned char* bytes) {
    return Logged([&](auto& log) { return EncoderSteps::ChangeOrder(log, count, bytes); });
}

// ---------------------------------------------------------------------------
// GP frame
// ---------------------------------------------------------------------------

int CEncoder::Change16To10(const char* text) {
    return Logged([&](auto& log) { return EncoderSteps::Change16To10(log, text); });
}

// Exported steps that no builder calls, kept over the builders' own.
bool CEncoder::SetBodyData(int command) {
    return Logged([&](auto& log) {
        Writer body(m_vecBody);
        return EncoderSteps::WriteBody(log, *this, command, body);
    });
}

bool CEncoder::SetHeaderData() {
    return Logged([&](auto& log) {
        if (!EncoderSteps::WriteHeader(log, m_vecBody.size())) return false;
        Writer(m_vecHeader).Raw(EncoderSteps::Header(m_vecBody.size()).bytes, wire::kHeaderSize);
        return true;
    });
}

bool CEncoder::VectorToHexChr(std::vector<unsigned char> bytes, std::string& text) {
    gpenc::detail::AppendHex(text, bytes.data(), bytes.size());
    return true;
}

GPENC_FLATTEN bool CEncoder::CommonData(int type, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::CommonData");
    return Public(op, [&] {
        const bool known = type == wire::kCommonData2 || type == wire::kCommonData4;
        // A frame without parameters.
        const bool valid = Check().That(known, "type", [&] { return "must be 2 or 4, got " + std::to_string(type); });
        return Logged([&](auto& log) {
            return EncoderSteps::SendFrame(
                log, *this, op, valid, type, [](auto&) { return true; }, out);
        });
    });
}

// ---------------------------------------------------------------------------
// User login
// ---------------------------------------------------------------------------

namespace {

// Texts 2, 4 and 6 are not checked up front; the parameter step refuses them
// when empty, after the parameters before them went out. A reason names the
// text, never its value: the login texts carry credentials.
// Q13: an empty text 2, 4 or 6 fails in the parameter step, with its three ERROR records (docs/compat.md).
bool LoginValid(const sUserLogin* login) {
    Check c("login");
    return c.NotNull(login) && c.NotEmpty(login->loginText0, "loginText0")
                                   .NotEmpty(login->loginText1, "loginText1")
                                   .NotEmpty(login->loginText3, "loginText3")
                                   .NotEmpty(login->loginText5, "loginText5")
                                   .NotEmpty(login->loginText7, "loginText7");
}

// SetLoginParameterData: the login's eight texts.
template <class Log>
bool LoginParameters(Log& log, CEncoder& e, sUserLogin* login) {
    static constexpr Op op = Operation("CEncoder::SetLoginParameterData");
    const bool valid = LoginValid(login);
    return EncoderSteps::ParameterStep(log, op, valid, [&] {
        const ParamSource params[] = {
            ParamSource::Text(0, login->loginText0),
            ParamSource::Text(1, login->loginText1),
            ParamSource::Text(2, login->loginText2).From("login.loginText2"),
            ParamSource::Text(3, login->loginText3),
            ParamSource::Text(4, login->loginText4).From("login.loginText4"),
            ParamSource::Text(5, login->loginText5),
            ParamSource::Text(6, login->loginText6).From("login.loginText6"),
            ParamSource::Text(7, login->loginText7),
        };
        return EncoderSteps::AppendParameters(log, e, params, std::size(params));
    });
}

}  // namespace

GPENC_FLATTEN bool CEncoder::UserLogin(sUserLogin* login, std::vector<unsigned char>& out) {
    static constexpr Op op = Operation("CEncoder::UserLogin");
    return Public(op, [&] {
        const bool valid = LoginValid(login);
        return Logged([&](auto& log) {
            return EncoderSteps::SendFrame(
                log, *this, op, valid, wire::kLogin, [&](auto& l) { return LoginParameters(l, *this, login); }, out);
        });
    });
}

bool CEncoder::SetLoginParameterData(sUserLogin* login) {
    return Logged([&](auto& log) { return LoginParameters(log, *this, login); });
}

std::string gpenc::LastFailure() { return gpenc::detail::LastFailureText(); }
