// The text step both encoders share: a text value goes on the wire as its
// bytes, exactly as stored, without terminator or length of its own.
#pragma once

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Shell.h"
#include "core/Writer.h"

#include <string>
#include <string_view>

namespace gpenc::detail {

// The records of the text step around `insert`, which places the bytes,
// reported to `log` under `op`. An empty text is logged at ERROR as "(name"
// texts::kEmptyText and refused without calling `insert`; a caught framework
// exception is logged with the text. False when the text is refused or the
// step faulted: for a text that is not empty, only the latter.
template <class Log, class Insert>
bool ParaStr(Log& log, const Op& op, std::string_view text, Insert&& insert) {
    // Q8: the context is left unclosed, as log searches match it (docs/compat.md).
    auto frame = log.Open(op, Context::Raw(texts::kParaStrContext, text));
    if (!frame) return false;
    if (text.empty()) {
        if (log.Error({texts::kEmptyText})) log.Exit();
        return false;
    }
    insert();
    return log.Exit();
}

// The step as a step of its own, for a caller outside the shell: its records
// under the levels of the open call.
template <class Insert>
bool ParaStrStep(const Op& op, std::string_view text, Insert&& insert) {
    return Logged([&](auto& log) { return ParaStr(log, op, text, insert); });
}

// Inserts the bytes of `text` at the front of `out` and returns out's size
// afterwards (the text's length for an empty `out`), or 0 when the step fails.
inline int PrependParaStr(const Op& op, const std::string& text, Bytes& out) {
    const bool done = ParaStrStep(op, text, [&] { Writer(out).Front(text); });
    return done ? static_cast<int>(out.size()) : 0;
}

}  // namespace gpenc::detail
