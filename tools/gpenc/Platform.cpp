// The tool's platform differences; see Platform.h.
#include "Platform.h"

#include "Text.h"

#include <cstddef>
#include <cstdio>
#include <iostream>
#include <streambuf>

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#  if !defined(WIN32_LEAN_AND_MEAN)
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#endif

namespace gpenc::tool {
namespace {

constexpr bool kWide16 = sizeof(wchar_t) == 2;

// Writes wide text to a C stream as UTF-8. Where wchar_t is 16 bits a surrogate
// pair may arrive in two writes, so a high surrogate waits for what comes next.
class Utf8Out : public std::wstreambuf {
public:
    explicit Utf8Out(std::FILE* f) : file_(f) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const wchar_t u = traits_type::to_char_type(c);
        wchar_t piece[2];
        std::size_t n = 0;
        if (high_ != 0) piece[n++] = high_;
        high_ = 0;
        if (kWide16 && u >= 0xD800 && u < 0xDC00)
            high_ = u;
        else
            piece[n++] = u;
        const std::string bytes = detail::WideToUtf8({piece, n});
        return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() ? c : traits_type::eof();
    }
    int sync() override { return std::fflush(file_); }

private:
    std::FILE* file_;
    wchar_t high_ = 0;
};

}  // namespace

#if defined(UNICODE)
std::string Utf8(const log4cplus::tstring& text) { return detail::WideToUtf8(text); }
log4cplus::tstring LogText(const std::string& utf8) { return detail::Utf8ToWide(utf8); }
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
