// What the sources of CEncoder share: the file their records name, the
// description of one parameter that the builders hand to AppendParameters, and
// the parameter step of the command-0x33 frames.
#pragma once

#include "gpenc/Encoder.h"

#include "Log.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace gpenc::detail {

// Records of CEncoder name the source file as the original Windows build did,
// whichever source of the class writes them.
inline constexpr char kEncoderFile[] = ".\\Encoder.cpp";

constexpr Op EncoderOp(const char* name) { return Op(kEncoderFile, name); }

}  // namespace gpenc::detail

// One parameter as a builder emits it: key, value kind and a view of the value.
// It refers to the builder's texts and bytes, which must outlive the append.
struct CEncoder::ParamSource {
    int kind;
    unsigned int key;
    const std::string* text;
    int int32;
    unsigned char byte;
    const unsigned char* six;

    static ParamSource Text(unsigned int key, const std::string& t) { return {1, key, &t, 0, 0, nullptr}; }
    static ParamSource Int32(unsigned int key, int v) { return {6, key, nullptr, v, 0, nullptr}; }
    static ParamSource Byte(unsigned int key, unsigned char b) { return {9, key, nullptr, 0, b, nullptr}; }
    static ParamSource SixBytes(unsigned int key, const unsigned char (&b)[6]) {
        return {10, key, nullptr, 0, 0, b};
    }
};

template <class Record>
bool CEncoder::SetTunnelParameterData(const gpenc::detail::Op& op, Record* record,
                                      const std::string Record::*argument) {
    // A message id beyond 16 bits would go out as a text no JT/T 808 message has.
    const bool valid = record != nullptr && !record->terminalNo.empty() && !(record->*argument).empty() &&
                       record->msgId >= 0 && record->msgId <= 0xFFFF;
    return gpenc::detail::Checked(op, valid, [&] {
        char id[12];
        std::snprintf(id, sizeof id, "%x", static_cast<unsigned int>(record->msgId));
        const std::string msgId = id;
        const ParamSource params[] = {ParamSource::Text(0, record->terminalNo), ParamSource::Text(1, msgId),
                                      ParamSource::Text(2, record->*argument)};
        return AppendParameters(params, std::size(params));
    });
}
