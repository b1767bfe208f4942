// The logging and failure frame that every encoder operation follows: entry and
// exit records at DEBUG, failure records at ERROR, and a guarded region that
// turns a caught framework exception into a logged failure value.
#pragma once

#include "core/Compiler.h"
#include "core/HostSeam.h"
#include "core/Texts.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

// Marks the steps every message runs through: what they call within their
// source is compiled into them, so that the small logged steps inside (a
// conversion with its entry and exit records) cost no calls of their own, and
// the level answers are read without reloading the thread's state after every
// call. A CommonData frame took 1,436 instructions with its body step not
// flattened and 984 with it; a Cmd_sTimeInterval frame 2,357 with only the
// steps flattened and 1,801 with the builder too.
#if GPENC_HAVE(FLATTEN)
#  define GPENC_FLATTEN __attribute__((flatten))
#else
#  define GPENC_FLATTEN
#endif

namespace gpenc::detail {

enum Level : int { kDebug = 10000, kError = 40000 };

class CaughtException;

// What this thread's calls into the library share.
struct ThreadState {
    int records = 0;       // records being written: more than 0 while an appender runs
    int scopeRecords = 0;  // records being written when the open level scope began
    // The open level scope's answers, kOpen with kDebug and kError as they
    // were answered; 0 while no scope is open. One byte, so that a level test
    // is one load.
    unsigned char answers = 0;
    static constexpr unsigned char kOpen = 1, kDebugOn = 2, kErrorOn = 4;
};
// Per-thread state that every step reads: trivial, so that a read costs no
// initialisation check, and (on ELF) in the initial-exec model, so that it is
// a load off the thread pointer rather than a call to __tls_get_addr, which
// cost about 740 instructions of a 2,600-instruction CommonData frame. The
// few dozen bytes fit the static TLS that glibc keeps for libraries opened
// later with dlopen.
// GCC's __constinit says it needs no initialisation either, which spares each
// read a check for an initialisation function.
#if GPENC_HAVE(TLS_MODEL) && GPENC_HAVE(GCC_CONSTINIT)
#  define GPENC_THREAD_LOCAL __constinit thread_local __attribute__((tls_model("initial-exec")))
#elif GPENC_HAVE(TLS_MODEL)
#  define GPENC_THREAD_LOCAL thread_local __attribute__((tls_model("initial-exec")))
#else
#  define GPENC_THREAD_LOCAL thread_local
#endif
extern GPENC_THREAD_LOCAL ThreadState t_thread;

// Whether a record of `level` is written: the answer of the open level scope,
// or the logger's own when none is open (a step called directly).
inline bool Enabled(Level level) {
    if (const unsigned char a = t_thread.answers)
        return (a & (level == kDebug ? ThreadState::kDebugOn : ThreadState::kErrorOn)) != 0;
    return NSLog::CLog::_logger.isEnabledFor(level);
}

// The level tests of one public call, answered once when it begins: every
// step it runs reads the answers instead of asking the logger again (a test
// costs about 25 instructions, and a frame of a list made over a hundred).
// Nested calls use the answers of the scope they run in; a call made while a
// record is being written (an appender that encodes) answers anew. So a level
// changed during a call takes effect from the next call, and a call writes all
// of its records of a level or none.
class LevelScope {
public:
    LevelScope() : savedAnswers_(t_thread.answers), savedRecords_(t_thread.scopeRecords) {
        ThreadState& t = t_thread;
        if (t.answers != 0 && t.records == t.scopeRecords) return;
        t.answers = 0;
        // A logger enabled for DEBUG is enabled for ERROR: one test when it is off.
        unsigned char answers = ThreadState::kOpen;
        if (Enabled(kError)) {
            answers |= ThreadState::kErrorOn;
            if (Enabled(kDebug)) answers |= ThreadState::kDebugOn;
        }
        t.answers = answers;
        t.scopeRecords = t.records;
    }
    LevelScope(const LevelScope&) = delete;
    LevelScope& operator=(const LevelScope&) = delete;
    ~LevelScope() {
        ThreadState& t = t_thread;
        t.answers = savedAnswers_;
        t.scopeRecords = savedRecords_;
    }

private:
    unsigned char savedAnswers_;
    int savedRecords_;
};

// A caller's narrow text as UTF-8, for a record. The library's own texts are
// UTF-8 already; the caller's are in the host's code page, which on Windows is
// its ANSI code page.
std::string CallerText(const char* text);

// How many records this thread is writing at the moment: more than 0 while an
// appender runs (and calls back into the library).
inline int RecordLevel() { return t_thread.records; }

// Writes one record made of `parts` if the logger is enabled for `level`.
// Nothing is composed when the level is off.
void Write(Level level, const char* file, int line, std::initializer_list<std::string_view> parts);

// The texts of one operation. Records read "(" name close mark, e.g.
// "(CEncoder::UserLogin)" texts::kEnter. A few operations log under another name
// or close it with texts::kFullWidthClose; those differences are set here, once
// per operation.
struct Op {
    const char* file;
    const char* name;
    const char* close = ")";
    const char* exitMark = texts::kExit;
    const char* guardName = nullptr;  // name in the exception record and the exit after it
    const char* guardClose = ")";     // bracket after it in the exception record

    constexpr Op(const char* f, const char* n) : file(f), name(n) {}
    constexpr Op WithClose(const char* c) const { return With(&Op::close, c); }
    constexpr Op WithExitMark(const char* m) const { return With(&Op::exitMark, m); }
    constexpr Op WithGuardName(const char* n) const { return With(&Op::guardName, n); }
    constexpr Op WithGuardClose(const char* c) const { return With(&Op::guardClose, c); }

    // DEBUG "(name" texts::kFullWidthClose texts::kEnter: the extra entry
    // record some operations write before their guarded region.
    // Q10: the extra full-width entry record is what log searches match (docs/compat.md).
    void PreEnter(int line = __builtin_LINE()) const { Debug({texts::kFullWidthClose, texts::kEnter}, line); }
    void Enter(int line = __builtin_LINE()) const {
        if (Enabled(kDebug)) Record(kDebug, close, texts::kEnter, line);
    }
    void Exit(int line = __builtin_LINE()) const {
        if (Enabled(kDebug)) Record(kDebug, close, exitMark, line);
    }

    // Exit record, then `result` (Return) or true (Done): the success path's last step.
    template <class R>
    R Return(R result, int line = __builtin_LINE()) const {
        Exit(line);
        return result;
    }
    bool Done(int line = __builtin_LINE()) const {
        Exit(line);
        return true;
    }
    // The success path of an operation with an output: the exit record, then
    // `commit`, which hands the result to the caller and cannot fail, then
    // true. The output changes only once nothing that can fail is left.
    template <class Hand>
    bool Commit(Hand&& commit, int line = __builtin_LINE()) const {
        Exit(line);
        std::forward<Hand>(commit)();
        return true;
    }

    // ERROR "(name" close texts::kRunFailed, the exit record, then `failure`.
    template <class R>
    R FailWith(R failure, int line = __builtin_LINE()) const {
        if (Enabled(kError)) Record(kError, close, texts::kRunFailed, line);
        Exit(line);
        return failure;
    }
    bool Fail(int line = __builtin_LINE()) const { return FailWith(false, line); }

    // Records with a particular text after "(name": `parts` follow the name.
    // Callers pass literals, whose views cost nothing to make.
    void Debug(std::initializer_list<std::string_view> parts, int line = __builtin_LINE()) const {
        if (Enabled(kDebug)) Record(kDebug, name, parts, line);
    }
    void Error(std::initializer_list<std::string_view> parts, int line = __builtin_LINE()) const {
        if (Enabled(kError)) Record(kError, name, parts, line);
    }

    // The exception handler's two records: ERROR "(guard name" guard close
    // texts::kRunFailedMessage + the exception's message + `context`, then the
    // exit record under the guard name. Releases `e` between the two; should a
    // record throw, `e` is released all the same and the new exception leaves.
    // Returns the message.
    std::string Caught(CaughtException& e, std::string_view context, int line) const;

private:
    // A copy of this Op with one of its texts changed.
    constexpr Op With(const char* Op::*text, const char* value) const {
        Op o = *this;
        o.*text = value;
        return o;
    }
    // Composes "(" `n` `parts` and writes it at `level`. The caller has made
    // the level test: with the level off not even the views of the parts are
    // made, since a record's one level test is all a disabled level may cost.
    void Record(Level level, const char* n, std::initializer_list<std::string_view> parts, int line) const;
    // "(" name `a` `b`: the entry, exit and failure records. Out of line, so
    // that an operation with its level off does not make room for a record.
    void Record(Level level, const char* a, const char* b, int line) const;
};

// A caught framework exception, released exactly once: by Release(), or when
// the handler ends in whichever way (a record of the handler may throw anew).
// D5: released exactly once, also when a record of the handler throws (docs/compat.md).
class CaughtException {
public:
    explicit CaughtException(CException* e) noexcept : e_(e) {}
    CaughtException(const CaughtException&) = delete;
    CaughtException& operator=(const CaughtException&) = delete;
    ~CaughtException() { Release(); }
    CException* get() const noexcept { return e_; }
    void Release() noexcept {
        if (e_ != nullptr) std::exchange(e_, nullptr)->Delete();
    }

private:
    CException* e_;
};

// What an internal step came to, for the step that called it: done; refused
// for its own value (the caller may drop the part and go on); or faulted, a
// framework exception caught inside it (the part is lost, and with it the
// whole). The steps the classes name keep their bool and wrap the outcome.
class Outcome {
public:
    enum class Kind : unsigned char { kDone, kRefused, kFaulted };

    static Outcome Done() { return Outcome(Kind::kDone, nullptr); }
    // `what`: the rule the value broke ("must not be empty"), when the step says.
    static Outcome Refused(std::string what = {}) { return Outcome(Kind::kRefused, Text(std::move(what))); }
    // `message`: the caught exception's message.
    static Outcome Faulted(std::string message) { return Outcome(Kind::kFaulted, Text(std::move(message))); }
    // Done when `ok`, else refused: a check's answer.
    static Outcome Check(bool ok) { return ok ? Done() : Refused(); }

    Kind kind() const { return kind_; }
    bool done() const { return kind_ == Kind::kDone; }
    bool faulted() const { return kind_ == Kind::kFaulted; }
    const std::string& detail() const {
        static const std::string none;
        return detail_ ? *detail_ : none;
    }

private:
    // The detail lives apart, so that a step that succeeds (nearly all do)
    // passes back a kind and a null pointer through every layer it returns
    // through, not a text.
    static std::unique_ptr<std::string> Text(std::string text) {
        return text.empty() ? nullptr : std::make_unique<std::string>(std::move(text));
    }
    Outcome(Kind kind, std::unique_ptr<std::string> detail) : kind_(kind), detail_(std::move(detail)) {}
    Kind kind_;
    std::unique_ptr<std::string> detail_;
};

// Runs `work` for a destructor, which must neither throw nor end the process,
// also while another exception unwinds: a framework exception from its records
// is released and dropped, and so is any other (there is no caller to tell).
template <class Work>
// D6: the destructors run their records through this and never throw (docs/compat.md).
void NoThrow(Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
    } catch (CException* e) { CaughtException(e).Release(); } catch (...) {
    }
}

// Runs `body` inside the guarded region of `op`: writes the entry record, runs
// the work and returns its result. A CException* thrown inside is released,
// logged with `context()` appended to its message, and turned into `failure`.
// Any other exception passes to the caller.
template <class R, class Body, class Context>
R Guarded(const Op& op, R failure, Body&& body, Context&& context, int line = __builtin_LINE()) {
    try {
        op.Enter(line);
        return std::forward<Body>(body)();
    } catch (CException* e) {
        CaughtException caught(e);
        std::string message = Enabled(kError) ? op.Caught(caught, context(), line) : op.Caught(caught, {}, line);
        if constexpr (std::is_same_v<R, Outcome>) {
            return Outcome::Faulted(std::move(message));
        } else {
            return std::move(failure);
        }
    }
}

template <class R, class Body>
R Guarded(const Op& op, R failure, Body&& body, int line = __builtin_LINE()) {
    return Guarded(
        op, std::move(failure), std::forward<Body>(body), [] { return std::string_view{}; }, line);
}

// Guarded for a step whose `body` returns an Outcome: a caught framework
// exception becomes Outcome::Faulted with its message.
template <class Body>
Outcome GuardedStep(const Op& op, Body&& body, int line = __builtin_LINE()) {
    return Guarded(op, Outcome::Faulted({}), std::forward<Body>(body), line);
}

// The usual shape of a boolean operation: inside the guarded region of `op`,
// a false `valid` or a false `work()` writes the failure record and the exit
// record and gives false; otherwise the exit record and true. `valid` is the
// operation's own check of its arguments; `work` runs only when it holds, and
// the operations it calls log their own failures first. Every record carries
// the line of the call.
// With `commit`, success ends as Op::Commit ends it.
template <class Work, class Commit>
[[nodiscard]] bool Checked(const Op& op, bool valid, Work&& work, Commit&& commit, int line = __builtin_LINE()) {
    return Guarded(
        op, false,
        [&] {
            if (!valid || !std::forward<Work>(work)()) return op.Fail(line);
            return op.Commit(std::forward<Commit>(commit), line);
        },
        line);
}

template <class Work>
[[nodiscard]] bool Checked(const Op& op, bool valid, Work&& work, int line = __builtin_LINE()) {
    return Checked(
        op, valid, std::forward<Work>(work), [] {}, line);
}

}  // namespace gpenc::detail
