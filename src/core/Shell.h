// The logging shell around the encoder. The encoder reports the steps it takes
// to a `Shell` or, with the logger off, to `Quiet`, a template parameter that
// costs nothing; the shell writes the records the convention requires and is
// the one place a framework exception thrown by a record is handled.
#pragma once

#include "core/Failure.h"
#include "core/Log.h"

#include <cstddef>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace gpenc::detail {

// What the record of a caught exception adds to its message: the text or
// number the step was working on, composed only when that record is written.
// Trivial, so that a shell's frames cost nothing until a step opens one; a
// value-initialised one adds nothing.
struct Context {
    enum Kind : unsigned char { kNone, kRaw, kCaller, kNumber, kHex };
    Kind kind;
    const char* prefix;
    const char* text;
    std::size_t size;  // of `text`
    long long number;

    static Context Raw(const char* prefix, std::string_view t) { return {kRaw, prefix, t.data(), t.size(), 0}; }
    static Context Caller(const char* t) { return {kCaller, "", t != nullptr ? t : "", 0, 0}; }
    static Context Number(const char* prefix, long long n) { return {kNumber, prefix, "", 0, n}; }
    // The lower-case hexadecimal text of `n`.
    static Context Hex(unsigned int n) { return {kHex, "", "", 0, n}; }
    std::string Compose() const;
};

// Writes the records of the steps an encoder reports, each step's frame open
// from Open to the end of the scope that holds what Open gave. A record that
// throws a framework exception is handled at once, as the guarded region of
// every open step would: the innermost step logs and releases it and is done;
// should that record throw too, the next step out does, and so on. A step
// that is done (and every step inside it) writes nothing more, and each of
// its reports answers false, until its frame closes; its caller goes on as
// after any failure. An exception no open step takes leaves the call (Rethrow).
class Shell {
public:
    Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // A step's frame; converts to whether the step runs on.
    class [[nodiscard]] Frame {
    public:
        explicit Frame(Shell& s) : shell_(s) {}
        Frame(const Frame&) = delete;
        Frame& operator=(const Frame&) = delete;
        ~Frame() {
            --shell_.depth_;
            if (shell_.cut_ > shell_.depth_) shell_.cut_ = -1;
        }
        explicit operator bool() const { return shell_.Live(); }

    private:
        Shell& shell_;
    };

    // Opens the frame of `op` and writes its entry record.
    Frame Open(const Op& op, Context context = {}, int line = __builtin_LINE()) {
        // The steps nest a few deep; a deeper nesting is a fault of the library's own.
        if (depth_ == kMaxDepth) std::terminate();
        frames_[depth_++] = {&op, context, line, nullptr, nullptr};
        if (Live() && Enabled(kDebug)) Write(op, kDebug, op.close, texts::kEnter, line);
        return Frame(*this);
    }

    // The records of the innermost step, `op` that of its frame. Exit and
    // Done answer whether the step succeeded; Fail writes the failure record
    // and the exit record and answers false; Debug and Error whether the step
    // runs on.
    bool Exit(int line = __builtin_LINE()) {
        if (!Live()) return false;
        if (!Enabled(kDebug)) return true;
        const Op& op = *frames_[depth_ - 1].op;
        return Write(op, kDebug, op.close, op.exitMark, line);
    }
    bool Fail(int line = __builtin_LINE()) { return Failure(nullptr, line); }
    bool Fail(const char* text, int line = __builtin_LINE()) { return Failure(text, line); }
    bool Debug(std::initializer_list<std::string_view> parts, int line = __builtin_LINE()) {
        return Named(kDebug, parts, line);
    }
    bool Error(std::initializer_list<std::string_view> parts, int line = __builtin_LINE()) {
        return Named(kError, parts, line);
    }
    // ERROR `text` alone, without a step's name, in `file`.
    bool Alone(const char* file, const char* text, int line = __builtin_LINE());
    // DEBUG "(name" texts::kFullWidthClose texts::kEnter of `op`, written in
    // the frame of its caller, before its own opens.
    bool PreEnter(const Op& op, int line = __builtin_LINE());

    // Runs `call`, a call to the host or to another public member, in the
    // innermost step's frame: a framework exception from it is handled as one
    // from a record. `op` is that step's (Quiet needs it).
    template <class Call>
    bool Host(const Op&, Call&& call) {
        return Try(call);
    }

    // Whether the innermost step runs on.
    bool Live() const { return cut_ < 0 || depth_ < cut_; }

    // Makes `unwind` (which must not throw, and outlives the innermost step's
    // frame) what a framework exception that reaches that step does first,
    // before the step logs it: what the step holds that writes records of its
    // own when it goes goes first, as it would when unwinding.
    template <class Unwind>
    void OnUnwind(Unwind& unwind) {
        Open_& f = frames_[depth_ - 1];
        f.unwind = [](void* u) { (*static_cast<Unwind*>(u))(); };
        f.unwindArg = &unwind;
    }

    // At the end of the call: throws the exception that no step took.
    void Rethrow();

private:
    struct Open_ {
        const Op* op;
        Context context;
        int line;
        void (*unwind)(void*);
        void* unwindArg;
    };
    static constexpr int kMaxDepth = 16;

    bool Failure(const char* text, int line);
    bool Named(Level level, std::initializer_list<std::string_view> parts, int line);
    // Runs `work` (a record, or a call that may throw as one) in the
    // innermost step's frame; false when that step is done or `work` threw,
    // the exception handled.
    template <class Work>
    bool Try(Work&& work) {
        if (!Live()) return false;
        try {
            work();
            return true;
        } catch (CException* e) {
            Handle(e);
            return false;
        }
    }
    bool Write(const Op& op, Level level, const char* a, const char* b, int line);
    void Handle(CException* e);

    Open_ frames_[kMaxDepth];
    int depth_ = 0;
    // The depth of the step that took the last exception (0: none did): it
    // and the steps inside it are done. -1 while every step runs on.
    int cut_ = -1;
    CException* pending_ = nullptr;
};

// The shell with the logger off: every step runs on, no record is written.
struct Quiet {
    struct Frame {
        explicit operator bool() const { return true; }
    };
    Frame Open(const Op&, Context = {}) { return {}; }
    bool Exit() { return true; }
    bool Fail(const char* = nullptr) { return false; }
    bool Debug(std::initializer_list<std::string_view>) { return true; }
    bool Error(std::initializer_list<std::string_view>) { return true; }
    bool Alone(const char*, const char*) { return true; }
    // A framework exception from the host is the failure of the step `op`,
    // which states it as its reason, as a Shell's would.
    template <class Call>
    bool Host(const Op& op, Call&& call) {
        try {
            call();
            return true;
        } catch (CException* e) {
            op.Caught(e, {}, 0, &Fault);
            return false;
        }
    }
    bool PreEnter(const Op&) { return true; }
    bool Live() const { return true; }
    template <class Unwind>
    void OnUnwind(Unwind&) {}
};

// Runs `steps(shell)` with the shell the open call's levels ask for: Quiet
// when ERROR is off (and with it DEBUG), else a Shell, whose exception that
// no step took leaves here.
template <class Steps>
auto Logged(Steps&& steps) {
    if (!Enabled(kError)) {
        Quiet quiet;
        return steps(quiet);
    }
    Shell shell;
    auto result = steps(shell);
    shell.Rethrow();
    return result;
}

// The frame of `op` around `work(log)`: the one step of a constructor or
// destructor.
template <class Log, class Work>
bool Lifetime(Log& log, const Op& op, Work& work) {
    auto frame = log.Open(op);
    if (!frame) return false;
    work(log);
    return log.Exit();
}

// The records of a constructor around `work(log)`, in a call of its own that
// keeps no last failure.
template <class Work>
void ConstructorRecords(const Op& op, Work&& work) {
    // With ERROR off there is no record to write and no call to open.
    if (!Enabled(kError)) {
        Quiet quiet;
        work(quiet);
        return;
    }
    Public(nullptr, [&] { return Logged([&](auto& log) { return Lifetime(log, op, work); }); });
}

// The records of a destructor around `work(log)`: its extra entry record,
// then its frame, each through NoThrow (it runs while another exception may
// unwind); the members go with the object whatever the records did.
template <class Work>
void DestructorRecords(const Op& op, Work&& work) noexcept {
    // log4cplus answers the levels without throwing.
    if (!Enabled(kError)) {
        Quiet quiet;
        work(quiet);
        return;
    }
    Public(nullptr, [&] {
        NoThrow([&] { Logged([&](auto& log) { return log.PreEnter(op); }); });
        NoThrow([&] { Logged([&](auto& log) { return Lifetime(log, op, work); }); });
        return true;
    });
}

}  // namespace gpenc::detail
