// The logging shell of Shell.h: the records of the reported steps and the
// handling of a framework exception thrown by one of them.
#include "core/Shell.h"

#include <exception>

namespace gpenc::detail {

std::string Context::Compose() const {
    switch (kind) {
    case kRaw: return std::string(prefix).append(text);
    case kCaller: return CallerText(std::string(text).c_str());
    case kNumber: return prefix + std::to_string(number);
    default: return std::string();
    }
}

template <class Write>
bool Shell::Record(Write&& write) {
    if (!Live()) return false;
    try {
        write();
        return true;
    } catch (CException* e) {
        Handle(e);
        return false;
    }
}

Shell::Frame Shell::Open(const Op& op, Context context, int line) {
    // The steps nest a few deep; a deeper nesting is a fault of the library's own.
    if (depth_ == kMaxDepth) std::terminate();
    frames_[depth_++] = {&op, context, line};
    Record([&] { op.Enter(line); });
    return Frame(*this);
}

bool Shell::Exit(int line) {
    const Op& op = *frames_[depth_ - 1].op;
    return Record([&] { op.Exit(line); });
}

bool Shell::Failure(const char* text, int line) {
    const Op& op = *frames_[depth_ - 1].op;
    Record([&] { text != nullptr ? op.Fail(text, line) : op.Fail(line); });
    return false;
}

bool Shell::Named(Level level, std::initializer_list<std::string_view> parts, int line) {
    const Op& op = *frames_[depth_ - 1].op;
    return Record([&] { level == kDebug ? op.Debug(parts, line) : op.Error(parts, line); });
}

bool Shell::PreEnter(const Op& op, int line) {
    return Record([&] { op.PreEnter(line); });
}

// The guarded region of every open step, innermost first: the first whose
// records of the exception are written takes it, and it and the steps inside
// it are done.
void Shell::Handle(CException* e) {
    for (int d = depth_; d > 0; --d) {
        const Open_& f = frames_[d - 1];
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

void Shell::Close() {
    --depth_;
    if (cut_ > depth_) cut_ = -1;
}

void Shell::Rethrow() {
    if (pending_ == nullptr) return;
    CException* e = pending_;
    pending_ = nullptr;
    throw e;
}

}  // namespace gpenc::detail
