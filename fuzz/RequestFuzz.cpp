// Fuzz target: the gpenc tool's request reader on arbitrary text, from JSON to
// the builder's record and frame. Input it refuses must be an InputError (any
// other exception escapes and stops the run), and a frame it builds must read back.
#include "CodePage.h"
#include "FuzzInput.h"
#include "Request.h"

#include "gpenc/Host.h"
#include "gpenc/Inspect.h"

#include <log4cplus/initializer.h>
#include <log4cplus/nullappender.h>

using gpenc::fuzz::Require;
namespace inspect = gpenc::inspect;
namespace tool = gpenc::tool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const log4cplus::Initializer logging;
    static const bool quiet =
        (NSLog::CLog::_logger.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender)), true);
    // Texts go into the client's code page (GB18030, or GBK where wine lacks it).
    static const auto kPage = inspect::CodePage::Find("GB18030").value_or(*inspect::CodePage::Find("GBK"));
    (void)quiet;
    std::vector<unsigned char> out;
    try {
        tool::Json request = tool::ParseRequest(std::string(reinterpret_cast<const char*>(data), size));
        tool::ToCodePage(request, kPage);
        if (tool::FindBuilder(request).encode(request, out)) {
            const inspect::Dump dump = inspect::DecodeFrames(out.data(), out.size());
            Require(!dump.error && dump.frames.size() == 1, "a builder's frame does not read back as one frame");
        }
    } catch (const tool::InputError&) {}
    return 0;
}
