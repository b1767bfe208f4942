// Record composition for the logging frame declared in Log.h.
#include "Log.h"

#include <cwchar>

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

// The framework hands out its messages as wide text; records are UTF-8.
std::string WideToUtf8(const wchar_t* text) {
    std::string out;
    for (; *text != L'\0'; ++text) AppendUtf8(out, static_cast<char32_t>(*text));
    return out;
}

}  // namespace

#if defined(UNICODE) || defined(LOG4CPLUS_UNICODE)
log4cplus::tstring ToLogText(std::string_view utf8) {
    // Decodes UTF-8; a byte that does not start a valid sequence stands for itself.
    std::wstring out;
    out.reserve(utf8.size());
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
        out += ok ? static_cast<wchar_t>(c) : static_cast<wchar_t>(b);
        i += ok ? len : 1;
    }
    return out;
}
#else
log4cplus::tstring ToLogText(std::string_view utf8) { return log4cplus::tstring(utf8); }
#endif

void Write(Level level, const char* file, int line, std::initializer_list<std::string_view> parts) {
    if (!Enabled(level)) return;
    std::string text;
    std::size_t size = 0;
    for (auto p : parts) size += p.size();
    text.reserve(size);
    for (auto p : parts) text += p;
    NSLog::CLog::_logger.forcedLog(level, ToLogText(text), file, line);
}

void Op::Record(Level level, const char* n, std::initializer_list<std::string_view> parts,
                int line) const {
    if (!Enabled(level)) return;
    std::string text = "(";
    text += n;
    for (auto p : parts) text += p;
    NSLog::CLog::_logger.forcedLog(level, ToLogText(text), file, line);
}

void Op::Caught(CException* e, std::string_view context, int line) const {
    const char* n = guardName != nullptr ? guardName : name;
    if (Enabled(kError)) {
        wchar_t message[512] = {};
        e->GetErrorMessage(message, 512);
        message[511] = L'\0';
        Record(kError, n, {guardClose, "运行失败,错误信息为: ", WideToUtf8(message), context}, line);
    }
    e->Delete();
    Record(kDebug, n, {close, exitMark}, line);
}

}  // namespace gpenc::detail
