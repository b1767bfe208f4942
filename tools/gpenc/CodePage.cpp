// Request texts in the client's code page, so that the tool sends the bytes the
// client sends (GBK on Chinese Windows) rather than UTF-8.
#include "CodePage.h"

namespace gpenc::tool {

inspect::CodePage FindCodePage(const std::string& name) {
    if (auto page = inspect::CodePage::Find(name)) return *page;
    throw InputError("--code-page: \"" + name + "\" is no code page known here (UTF-8, GBK, CP936, GB18030, ...)");
}

void ToCodePage(Json& request, const inspect::CodePage& page, const std::string& where) {
    if (request.is_object()) {
        for (auto& [key, value] : request.items()) ToCodePage(value, page, Join(where, key));
    } else if (request.is_array()) {
        for (std::size_t i = 0; i < request.size(); ++i)
            ToCodePage(request[i], page, where + "[" + std::to_string(i) + "]");
    } else if (request.is_string()) {
        std::string& text = request.get_ref<std::string&>();
        std::string bytes;
        std::size_t bad = 0;
        if (!page.FromUtf8(text, bytes, &bad)) {
            // The character at `bad`: its lead byte and the continuation bytes after it.
            std::size_t end = bad + 1;
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) ++end;
            throw InputError(where + ": " + page.Name() + " has no character \"" + text.substr(bad, end - bad) +
                             "\" (byte " + std::to_string(bad) + " of the text)");
        }
        text = std::move(bytes);
    }
}

}  // namespace gpenc::tool
