// The logging layer: the records every encoder operation writes (entry and
// exit at DEBUG, failure at ERROR), each behind one level test of the open
// call's answers. Failure.h, the layer above, says when an operation fails.
#pragma once

// Every record's line number comes from __builtin_LINE, which Visual C++ has
// since 19.26; clang-cl answers to the version it is told to be.
#if defined(_MSC_VER) && _MSC_VER < 1926
#  error gpenc needs Visual C++ 19.26 (Visual Studio 2019 16.6) or later (clang-cl: -fms-compatibility-version=19.26 or later)
#endif

#include "core/Call.h"
#include "core/Compiler.h"
#include "core/HostSeam.h"
#include "core/Texts.h"

#include <initializer_list>
#include <string>
#include <string_view>
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

class Shell;

enum Level : int { kDebug = 10000, kError = 40000 };

// Whether a record of `level` is written: the answer of the open call, or the
// logger's own when none is open (a step called directly).
inline bool Enabled(Level level) {
    if (const std::uintptr_t call = t_call) return (call & (level == kDebug ? Call::kDebugOn : Call::kErrorOn)) != 0;
    return NSLog::CLog::_logger.isEnabledFor(level);
}

// A caller's narrow text as UTF-8, for a record. The library's own texts are
// UTF-8 already; the caller's are in the host's code page, which on Windows is
// its ANSI code page.
std::string CallerText(const char* text);

// Writes one record made of `parts` if the logger is enabled for `level`.
// Nothing is composed when the level is off.
void Write(Level level, const char* file, int line, std::initializer_list<std::string_view> parts);

// The texts of one operation. Records read "(" name close mark, e.g.
// "(CEncoder::UserLogin)" texts::kEnter. A few operations log under another name
// or close it with texts::kFullWidthClose; those differences are set here, once
// per operation. The Shell (Shell.h) writes them.
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

    // The handling of a caught framework exception `e`: hands its message to
    // `noted` with the guard name, then writes ERROR "(guard name" guard close
    // texts::kRunFailedMessage + the message + `context` and the exit record
    // under the guard name, releasing `e` between the two. Should anything
    // throw, `e` is released all the same and the new exception leaves.
    void Caught(CException* e, std::string_view context, int line,
                void (*noted)(std::string_view step, std::string_view message)) const;

private:
    friend class Shell;  // writes the records of the steps it is told of
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

// Runs `work` for a destructor, which must neither throw nor end the process,
// also while another exception unwinds: a framework exception from its records
// is released and dropped, and so is any other (there is no caller to tell).
template <class Work>
// D6: the destructors run their records through this and never throw (docs/compat.md).
void NoThrow(Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
    } catch (CException* e) { e->Delete(); } catch (...) {
    }
}

}  // namespace gpenc::detail
