// The text step both encoders share: a text value goes on the wire as its
// bytes, exactly as stored, without terminator or length of its own.
#pragma once

#include "Bytes.h"
#include "Log.h"

#include <string>

namespace gpenc::detail {

// The records of the text step around `insert`, which places the bytes and
// returns the resulting size. An empty text is logged at ERROR as
// "(name)目标字符串为空。" and yields 0 without calling `insert`. Logs under
// `op`, every record carrying the caller's `line`; a caught framework exception
// is logged with the text and yields 0.
template <class Insert>
int ParaStrStep(const Op& op, const std::string& text, Insert&& insert, int line = __builtin_LINE()) {
    return Guarded(
        op, 0,
        [&] {
            if (text.empty()) {
                op.Error({")目标字符串为空。"}, line);
                return op.Return(0, line);
            }
            return op.Return(insert(), line);
        },
        [&] { return "(要转换的字符串为paraStr= " + text; }, line);
}

// Inserts the bytes of `text` at the front of `out` and returns out's size
// afterwards (the text's length for an empty `out`).
inline int PrependParaStr(const Op& op, const std::string& text, Bytes& out, int line = __builtin_LINE()) {
    return ParaStrStep(
        op, text,
        [&] {
            out.insert(out.begin(), text.begin(), text.end());
            return static_cast<int>(out.size());
        },
        line);
}

}  // namespace gpenc::detail
