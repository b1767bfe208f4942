// Record composition for the logging layer declared in Log.h.
#include "core/Log.h"
#include "Text.h"

#include <cwchar>
#include <type_traits>

#if defined(_WIN32)
#  if !defined(WIN32_LEAN_AND_MEAN)
#    define WIN32_LEAN_AND_MEAN
#  endif
#  if !defined(NOMINMAX)
#    define NOMINMAX
#  endif
#  include <windows.h>
#endif

namespace gpenc::detail {
namespace {

// Appends UTF-8 text to what log4cplus takes. This is the one place that knows
// whether log4cplus was built narrow or wide.
#if defined(UNICODE) || defined(LOG4CPLUS_UNICODE)
void AppendLogText(log4cplus::tstring& out, std::string_view utf8) { AppendWide(out, utf8); }
#else
void AppendLogText(log4cplus::tstring& out, std::string_view utf8) { out.append(utf8); }
#endif

// Appends "(" `name` `parts` (or `parts` alone, for an empty name) to `text`.
void Compose(log4cplus::tstring& text, std::string_view name, std::initializer_list<std::string_view> parts) {
    std::size_t size = text.size() + (name.empty() ? 0 : 1 + name.size());
    for (auto p : parts) size += p.size();
    text.reserve(size);  // exact when log4cplus is narrow, a first guess when wide
    if (!name.empty()) {
        AppendLogText(text, "(");
        AppendLogText(text, name);
    }
    for (auto p : parts) AppendLogText(text, p);
}

// Composes the record and writes it. log4cplus copies the text into its own
// event before any appender runs, so each thread composes into one text that
// it keeps from record to record: a record costs no allocation of ours once
// the text has grown to the longest record. A record written while another is
// being written on the same thread (an appender that encodes) gets a text of
// its own. While a record is written no call is open: a call an appender
// makes opens its own, and the open one is back when the record is written.
void ComposeAndLog(Level level, const char* file, int line, std::string_view name,
                   std::initializer_list<std::string_view> parts) {
    // Past this size the kept text is given back after the record: exception
    // records carry the caller's texts, which may be long.
    constexpr std::size_t kKeep = 1024;
    thread_local log4cplus::tstring t_text;
    struct Writing {
        const std::uintptr_t call = t_call;
        Writing() { t_call = 0; }
        ~Writing() { t_call = call; }
    } writing;
    // The kept text holds a record only while one is being written.
    if (!t_text.empty()) {
        log4cplus::tstring text;
        Compose(text, name, parts);
        NSLog::CLog::_logger.forcedLog(level, text, file, line);
        return;
    }
    struct Busy {
        ~Busy() {
            t_text.clear();
            if (t_text.capacity() > kKeep) t_text.shrink_to_fit();
        }
    } busy;
    Compose(t_text, name, parts);
    NSLog::CLog::_logger.forcedLog(level, t_text, file, line);
}

}  // namespace

GPENC_THREAD_LOCAL std::uintptr_t t_call;

#if defined(_WIN32)
std::string CallerText(const char* text) {
    // The host's narrow texts are in its ANSI code page (936 on a Chinese system).
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return text;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    return WideToUtf8(wide.c_str());
}
#else
std::string CallerText(const char* text) { return text; }
#endif

void Write(Level level, const char* file, int line, std::initializer_list<std::string_view> parts) {
    if (Enabled(level)) ComposeAndLog(level, file, line, {}, parts);
}

void Op::Record(Level level, const char* n, std::initializer_list<std::string_view> parts, int line) const {
    ComposeAndLog(level, file, line, n, parts);
}

void Op::Record(Level level, const char* a, const char* b, int line) const {
    ComposeAndLog(level, file, line, name, {a, b});
}

namespace {

// The character type of the buffer that GetErrorMessage fills: the framework
// takes TCHAR text (wide under UNICODE) and answers BOOL, the bundled stand-in
// takes wchar_t and answers bool. Read off the member, so one source serves both.
template <class R, class C, class Char, class Size, class Help>
Char BufferCharOf(R (C::*)(Char*, Size, Help) const);

// The exception's message as UTF-8; empty when the exception gives none.
template <class Exception>
std::string MessageOf(const Exception& e) {
    using Char = decltype(BufferCharOf(&Exception::GetErrorMessage));
    Char message[512] = {};
    if (!e.GetErrorMessage(message, 512)) return {};
    message[511] = 0;
    if constexpr (std::is_same_v<Char, wchar_t>) {
        return WideToUtf8(message);
    } else {
        return CallerText(message);  // TCHAR without UNICODE: the host's narrow text
    }
}

}  // namespace

void Op::Caught(CException* e, std::string_view context, int line,
                void (*noted)(std::string_view step, std::string_view message)) const {
    // D5: released exactly once, also when what follows throws (docs/compat.md).
    struct Release {
        CException* e;
        ~Release() { Now(); }
        void Now() noexcept {
            if (e != nullptr) std::exchange(e, nullptr)->Delete();
        }
    } caught{e};
    const char* n = guardName != nullptr ? guardName : name;
    const std::string message = MessageOf(*e);
    noted(n, message);
    if (Enabled(kError)) Record(kError, n, {guardClose, texts::kRunFailedMessage, message, context}, line);
    caught.Now();
    if (Enabled(kDebug)) Record(kDebug, n, {close, exitMark}, line);
}

}  // namespace gpenc::detail
