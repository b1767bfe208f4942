// The logging shell of Shell.h: the records of the reported steps and the
// handling of a framework exception thrown by one of them.
#include "core/Shell.h"

#include <charconv>
#include <utility>

namespace gpenc::detail {

std::string Context::Compose() const {
    switch (kind) {
    case kRaw: return std::string(prefix).append(text, size);
    case kCaller: return CallerText(text);
    case kNumber: return prefix + std::to_string(number);
    case kHex: {
        char hex[8];
        return std::string(hex, std::to_chars(hex, hex + sizeof hex, static_cast<unsigned int>(number), 16).ptr);
    }
    default: return std::string();
    }
}

bool Shell::Write(const Op& op, Level level, const char* a, const char* b, int line) {
    return Try([&] { op.Record(level, a, b, line); });
}

bool Shell::Failure(const char* text, int line) {
    const Op& op = *frames_[depth_ - 1].op;
    // ERROR "(name" close texts::kRunFailed, or "(name" `text`, then the exit record.
    if (Try([&] {
            if (!Enabled(kError)) return;
            if (text != nullptr) {
                op.Record(kError, op.name, std::initializer_list<std::string_view>{text}, line);
            } else {
                op.Record(kError, op.close, texts::kRunFailed, line);
            }
        }))
        Exit(line);
    return false;
}

bool Shell::Named(Level level, std::initializer_list<std::string_view> parts, int line) {
    const Op& op = *frames_[depth_ - 1].op;
    return Try([&] {
        if (Enabled(level)) op.Record(level, op.name, parts, line);
    });
}

bool Shell::Alone(const char* file, const char* text, int line) {
    return Try([&] { gpenc::detail::Write(kError, file, line, {text}); });
}

// Q10: the extra full-width entry record is what log searches match (docs/compat.md).
bool Shell::PreEnter(const Op& op, int line) {
    return Try([&] {
        if (Enabled(kDebug)) op.Record(kDebug, op.name, {texts::kFullWidthClose, texts::kEnter}, line);
    });
}

// The guarded region of every open step, innermost first: the first whose
// records of the exception are written takes it, and it and the steps inside
// it are done.
void Shell::Handle(CException* e) {
    for (int d = depth_; d > 0; --d) {
        Open_& f = frames_[d - 1];
        if (f.unwind != nullptr) std::exchange(f.unwind, nullptr)(f.unwindArg);
        try {
            f.op->Caught(e, Enabled(kError) ? f.context.Compose() : std::string(), f.line, &Fault);
            cut_ = d;
            return;
        } catch (CException* next) {
            e = next;  // Caught released the one before
        }
    }
    pending_ = e;
    cut_ = 0;
}

void Shell::Rethrow() {
    if (pending_ == nullptr) return;
    CException* e = pending_;
    pending_ = nullptr;
    throw e;
}

}  // namespace gpenc::detail
