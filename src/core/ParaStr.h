// The text step both encoders share: a text value goes on the wire as its
// bytes, exactly as stored, without terminator or length of its own.
#pragma once

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Writer.h"

#include <string>
#include <string_view>

namespace gpenc::detail {

// The records of the text step around `insert`, which places the bytes. An
// empty text is logged at ERROR as "(name" texts::kEmptyText and refused without
// calling `insert`. Logs under `op`, every record carrying the caller's `line`;
// a caught framework exception is logged with the text. False when the text is
// refused or the step faulted: for a text that is not empty, only the latter.
template <class Insert>
bool ParaStrStep(const Op& op, std::string_view text, Insert&& insert, int line = __builtin_LINE()) {
    return Guarded(
        op, false,
        [&] {
            if (text.empty()) {
                op.Error({texts::kEmptyText}, line);
                return op.Return(false, line);
            }
            insert();
            return op.Done(line);
        },
        // Q8: the context is left unclosed, as log searches match it (docs/compat.md).
        [&] { return std::string(texts::kParaStrContext).append(text); }, line);
}

// Inserts the bytes of `text` at the front of `out` and returns out's size
// afterwards (the text's length for an empty `out`), or 0 when the step fails.
inline int PrependParaStr(const Op& op, const std::string& text, Bytes& out, int line = __builtin_LINE()) {
    const bool done = ParaStrStep(
        op, text, [&] { Writer(out).Front(text); }, line);
    return done ? static_cast<int>(out.size()) : 0;
}

}  // namespace gpenc::detail
