// Record composition for the logging frame declared in Log.h.
#include "Log.h"

#include <cwchar>
#include <type_traits>

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  define NOMINMAX
#  include <windows.h>
#endif

namespace gpenc::detail {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += "\xEF\xBF\xBD";  // U+FFFD
    }
}

constexpr bool kWide16 = sizeof(wchar_t) == 2;  // UTF-16, as on Windows

// The framework hands out its messages as wide text; records are UTF-8.
// Where wchar_t is 16 bits, a surrogate pair is one character.
std::string WideToUtf8(const wchar_t* text) {
    std::string out;
    for (; *text != L'\0'; ++text) {
        auto c = static_cast<char32_t>(*text);
        const auto next = static_cast<char32_t>(text[1]);
        if (kWide16 && c >= 0xD800 && c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++text;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// Appends UTF-8 text to what log4cplus takes. This is the one place that knows
// whether log4cplus was built narrow or wide.
#if defined(UNICODE) || defined(LOG4CPLUS_UNICODE)
void AppendLogText(log4cplus::tstring& out, std::string_view utf8) {
    // Decodes UTF-8; a byte that does not start a valid sequence stands for itself.
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + len <= utf8.size();
        for (int k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<unsigned char>(utf8[i + k]);
            ok = (cb & 0xC0) == 0x80;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += static_cast<wchar_t>(b);
        } else if (kWide16 && c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += ok ? len : 1;
    }
}
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
// its own.
void ComposeAndLog(Level level, const char* file, int line, std::string_view name,
                   std::initializer_list<std::string_view> parts) {
    // Past this size the kept text is given back after the record: exception
    // records carry the caller's texts, which may be long.
    constexpr std::size_t kKeep = 1024;
    thread_local log4cplus::tstring t_text;
    thread_local bool t_busy = false;
    if (t_busy) {
        log4cplus::tstring text;
        Compose(text, name, parts);
        NSLog::CLog::_logger.forcedLog(level, text, file, line);
        return;
    }
    struct Busy {
        Busy() { t_busy = true; }
        ~Busy() {
            t_busy = false;
            t_text.clear();
            if (t_text.capacity() > kKeep) t_text.shrink_to_fit();
        }
    } busy;
    Compose(t_text, name, parts);
    NSLog::CLog::_logger.forcedLog(level, t_text, file, line);
}

}  // namespace

log4cplus::tstring ToLogText(std::string_view utf8) {
    log4cplus::tstring out;
    out.reserve(utf8.size());
    AppendLogText(out, utf8);
    return out;
}

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
thread_local unsigned t_caught = 0;
}  // namespace

unsigned CaughtCount() { return t_caught; }

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

void Op::Caught(CaughtException& e, std::string_view context, int line) const {
    ++t_caught;
    const char* n = guardName != nullptr ? guardName : name;
    if (Enabled(kError)) Record(kError, n, {guardClose, "运行失败,错误信息为: ", MessageOf(*e.get()), context}, line);
    e.Release();
    if (Enabled(kDebug)) Record(kDebug, n, {close, exitMark}, line);
}

}  // namespace gpenc::detail
