// The text step both encoders share: a text value goes on the wire as its
// bytes, exactly as stored, without terminator or length of its own.
#pragma once

#include "Bytes.h"
#include "Log.h"

#include <string>

namespace gpenc::detail {

// Inserts the bytes of `text` at the front of `out` and returns out's size
// afterwards (the text's length for an empty `out`). An empty text is logged
// at ERROR as "(name)目标字符串为空。" and yields 0. Logs under `op`, every
// record carrying the caller's `line`; a caught framework exception is logged
// with the text and yields 0.
inline int PrependParaStr(const Op& op, const std::string& text, Bytes& out, int line = __builtin_LINE()) {
    return Guarded(
        op, 0,
        [&] {
            if (text.empty()) {
                op.Error({")目标字符串为空。"}, line);
                return op.Return(0, line);
            }
            out.insert(out.begin(), text.begin(), text.end());
            return op.Return(static_cast<int>(out.size()), line);
        },
        [&] { return "(要转换的字符串为paraStr= " + text; }, line);
}

}  // namespace gpenc::detail
