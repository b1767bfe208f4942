// The tool's platform differences; see Platform.h.
#include "Platform.h"

#include <cstdio>
#include <iostream>
#include <streambuf>

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#endif

namespace gpenc::tool {
namespace {

constexpr bool kWide16 = sizeof(wchar_t) == 2;

void AppendUtf8(std::string& out, char32_t c) {
    const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(n == 1 ? c : kLead[n] | (c >> (6 * (n - 1))));
    for (int k = n - 2; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

// Writes wide text to a C stream as UTF-8; a surrogate pair may arrive in two writes.
class Utf8Out : public std::wstreambuf {
public:
    explicit Utf8Out(std::FILE* f) : file_(f) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        auto u = static_cast<char32_t>(traits_type::to_char_type(c));
        if (kWide16 && u >= 0xD800 && u < 0xDC00) {
            high_ = u;
            return c;
        }
        if (kWide16 && high_ != 0 && u >= 0xDC00 && u < 0xE000) u = 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00);
        high_ = 0;
        std::string bytes;
        AppendUtf8(bytes, u);
        return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() ? c : traits_type::eof();
    }
    int sync() override { return std::fflush(file_); }

private:
    std::FILE* file_;
    char32_t high_ = 0;
};

}  // namespace

#if defined(UNICODE)
std::string Utf8(const log4cplus::tstring& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if (kWide16 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        AppendUtf8(out, c);
    }
    return out;
}

log4cplus::tstring LogText(const std::string& utf8) {
    log4cplus::tstring out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + k < utf8.size(); ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
        i += n;
        if (kWide16 && c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}
#else
std::string Utf8(const log4cplus::tstring& text) { return text; }
log4cplus::tstring LogText(const std::string& utf8) { return utf8; }
#endif

void PrepareConsole() {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
#endif
    // Never destroyed: the standard streams flush through them at exit, after
    // function statics are gone.
    static Utf8Out& out = *new Utf8Out(stdout);
    static Utf8Out& err = *new Utf8Out(stderr);
    std::wcout.rdbuf(&out);
    std::wcerr.rdbuf(&err);
    std::wclog.rdbuf(&err);
}

std::filesystem::path ExecutablePath(std::error_code& ec) {
#if defined(_WIN32)
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    if (n == 0 || n == 32768) {
        ec.assign(static_cast<int>(GetLastError()), std::system_category());
        return {};
    }
    ec.clear();
    return std::filesystem::path(std::wstring(path, n));
#else
    return std::filesystem::read_symlink("/proc/self/exe", ec);
#endif
}

}  // namespace gpenc::tool
