// What the sources of CEncoder share: the file their records name, the
// description of one parameter that the builders hand to AppendParameters, and
// the parameter step of the command-0x33 frames.
#pragma once

#include "gpenc/Encoder.h"

#include "Log.h"

#include <charconv>
#include <cstddef>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// Marks the steps every frame runs through (a record, the body, the header):
// what they call within the library is compiled into them, so that the
// operations inside a record cost no calls of their own. Records and level
// tests stay as they are.
#if defined(__GNUC__)
#define GPENC_FLATTEN __attribute__((flatten))
#else
#define GPENC_FLATTEN
#endif

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

    // Bytes of the value, and of the whole record, that the kind encodes (a
    // kind that is refused encodes none).
    std::size_t ValueSize() const {
        switch (kind) {
        case 1: return text->size();
        case 6: return 4;
        case 9: return 1;
        case 10: return 6;
        default: return 0;
        }
    }
    std::size_t RecordSize() const { return 7 + ValueSize(); }
};

template <class Record>
bool CEncoder::SetTunnelParameterData(const gpenc::detail::Op& op, Record* record,
                                      const std::string Record::*argument) {
    // A message id beyond 16 bits would go out as a text no JT/T 808 message has.
    const bool valid = record != nullptr && !record->terminalNo.empty() && !(record->*argument).empty() &&
                       record->msgId >= 0 && record->msgId <= 0xFFFF;
    return gpenc::detail::Checked(op, valid, [&] {
        char id[8];
        const std::string msgId(id, std::to_chars(id, id + sizeof id, static_cast<unsigned int>(record->msgId), 16).ptr);
        const ParamSource params[] = {ParamSource::Text(0, record->terminalNo), ParamSource::Text(1, msgId),
                                      ParamSource::Text(2, record->*argument)};
        return AppendParameters(params, std::size(params));
    });
}

template <class Params>
bool CEncoder::SendFrame(const gpenc::detail::Op& op, bool valid, int command, Params&& params,
                         std::vector<unsigned char>& out, int line) {
    std::vector<unsigned char> frame;
    return gpenc::detail::Checked(
        op, valid, [&] { return std::forward<Params>(params)() && FinishFrame(command, out, frame); },
        [&] { out.swap(frame); }, line);
}
