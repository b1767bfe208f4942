// Fuzz target: the frame inspector on arbitrary bytes, read as frames, as the
// hexadecimal text of frames, as an 808 message and as setting and request
// texts. It must never fail to return, and its JSON must always parse.
#include "FuzzInput.h"

#include "gpenc/Inspect.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string_view>

using gpenc::fuzz::Require;
namespace inspect = gpenc::inspect;

namespace {

void Render(const inspect::Dump& dump) {
    // The streamed rendering, line by line, is the same view of each frame.
    for (const auto& frame : dump.frames) {
        inspect::RenderText(frame);
        const std::string line = inspect::RenderJsonLine(frame, 1);
        Require(line.find('\n') == line.size() - 1 && nlohmann::json::accept(line),
                "RenderJsonLine wrote other than one line of JSON");
    }
    inspect::RenderText(dump);
    Require(nlohmann::json::accept(inspect::RenderJson(dump)), "RenderJson wrote text that is not JSON");
    // Texts decoded from the client's code page keep the JSON valid UTF-8 too (GB18030, or GBK where wine lacks it).
    static const auto kPage = inspect::CodePage::Find("GB18030").value_or(*inspect::CodePage::Find("GBK"));
    Require(nlohmann::json::accept(inspect::RenderJson(dump, -1, kPage.Options())),
            "texts from the code page made JSON invalid");
    Require(dump.Clean() == (!dump.error && std::all_of(dump.frames.begin(), dump.frames.end(),
                                                        [](const auto& f) { return f.warnings.empty(); })),
            "Clean() disagrees with the errors and warnings");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Render(inspect::DecodeFrames(data, size));
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto hex = inspect::ParseHex(text); hex.ok()) Render(inspect::DecodeFrames(hex.value));
    Require(inspect::DecodeJt808(data, size).value.size == size, "an 808 message of another size than its input");
    inspect::DecodeCircularText(text);
    if (size >= 2) inspect::ExplainRequest(static_cast<std::uint16_t>(data[0] << 8 | data[1]), text.substr(2));
    return 0;
}
