// Conversions between UTF-8 and the client's code page: the C library's iconv,
// or on Windows the system's own code page conversions. UTF-8 itself is checked
// here, so the default needs neither.
#include "Reader.h"

#include <algorithm>
#include <cctype>

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <iconv.h>
#  include <cerrno>
#endif

namespace gpenc::inspect {
namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool IsUtf8Name(const std::string& name) { return name == "UTF-8" || name == "UTF8"; }

// Length of the UTF-8 sequence at `s[i]` (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), 0 when there is none.
std::size_t Utf8Sequence(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned c = at(i);
    if (c < 0x80) return 1;
    const std::size_t n = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
    if (n == 0) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((at(i + k) & 0xc0) != 0x80) return 0;
    const unsigned second = at(i + 1);
    if ((c == 0xe0 && second < 0xa0) || (c == 0xed && second > 0x9f) || (c == 0xf0 && second < 0x90) ||
        (c == 0xf4 && second > 0x8f))
        return 0;
    return n;
}

#if defined(_WIN32)

// The Windows code page of a name, 0 when there is none.
unsigned WindowsCodePage(const std::string& name) {
    if (name == "GBK" || name == "CP936" || name == "936" || name == "WINDOWS-936") return 936;
    if (name == "GB18030" || name == "CP54936" || name == "54936") return 54936;
    return 0;
}

bool Convert(unsigned from, unsigned to, std::string_view in, std::string& out, std::size_t* bad) {
    out.clear();
    if (in.empty()) return true;
    const int size = static_cast<int>(in.size());
    const int wide = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    if (wide <= 0) return false;
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), size, w.data(), wide);
    // GB18030 carries every character; for the others a character without a
    // place in the code page would silently become "?".
    BOOL defaulted = FALSE;
    BOOL* check = to == CP_UTF8 || to == 54936 ? nullptr : &defaulted;
    const DWORD flags = check ? WC_NO_BEST_FIT_CHARS : 0;
    const int n = WideCharToMultiByte(to, flags, w.data(), wide, nullptr, 0, nullptr, check);
    if (n <= 0 || defaulted) {
        // The first character that does not convert, counted in UTF-8 bytes.
        if (bad) {
            *bad = 0;
            for (std::size_t i = 0; i < in.size();) {
                const std::size_t len = std::max<std::size_t>(Utf8Sequence(in, i), 1);
                std::string one;
                if (!Convert(from, to, in.substr(i, len), one, nullptr)) break;
                i += len;
                *bad = i;
            }
        }
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(to, flags, w.data(), wide, out.data(), n, nullptr, nullptr);
    return true;
}

#else

bool Convert(const char* from, const char* to, std::string_view in, std::string& out, std::size_t* bad) {
    out.clear();
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    bool ok = true;
    char buf[256];
    while (ok) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        // A last call with no input ends a shift sequence the code page may need.
        const std::size_t r = left ? iconv(cd, &src, &left, &dst, &room) : iconv(cd, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r != static_cast<std::size_t>(-1)) {
            if (left == 0 && dst == buf) break;
        } else if (errno != E2BIG) {
            ok = false;
        }
    }
    iconv_close(cd);
    if (!ok && bad) *bad = static_cast<std::size_t>(src - in.data());
    return ok;
}

#endif

}  // namespace

std::optional<CodePage> CodePage::Find(const std::string& name) {
    CodePage page;
    page.name_ = Upper(name);
    if (IsUtf8Name(page.name_)) {
        page.name_ = "UTF-8";
        return page;
    }
#if defined(_WIN32)
    // A system without the code page installed fails even on "A".
    std::string probe;
    const unsigned cp = WindowsCodePage(page.name_);
    if (cp == 0 || !Convert(CP_UTF8, cp, "A", probe, nullptr)) return std::nullopt;
#else
    const iconv_t cd = iconv_open("UTF-8", page.name_.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv_close(cd);
#endif
    return page;
}

bool CodePage::ToUtf8(std::string_view bytes, std::string& utf8) const {
    if (name_ == "UTF-8") {
        for (std::size_t i = 0, n; i < bytes.size(); i += n)
            if ((n = Utf8Sequence(bytes, i)) == 0) return false;
        utf8.assign(bytes);
        return true;
    }
#if defined(_WIN32)
    return Convert(WindowsCodePage(name_), CP_UTF8, bytes, utf8, nullptr);
#else
    return Convert(name_.c_str(), "UTF-8", bytes, utf8, nullptr);
#endif
}

bool CodePage::FromUtf8(std::string_view text, std::string& bytes, std::size_t* bad) const {
    if (name_ == "UTF-8") {
        for (std::size_t i = 0, n; i < text.size(); i += n)
            if ((n = Utf8Sequence(text, i)) == 0) {
                if (bad) *bad = i;
                return false;
            }
        bytes.assign(text);
        return true;
    }
#if defined(_WIN32)
    return Convert(CP_UTF8, WindowsCodePage(name_), text, bytes, bad);
#else
    return Convert("UTF-8", name_.c_str(), text, bytes, bad);
#endif
}

RenderOptions CodePage::Options() const {
    RenderOptions o;
    o.codePage = name_;
    const CodePage page = *this;
    o.decode = [page](std::string_view bytes, std::string& utf8) { return page.ToUtf8(bytes, utf8); };
    return o;
}

}  // namespace gpenc::inspect
