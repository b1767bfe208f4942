// The inspector's entry point for the web page: the frames of some bytes as the
// display trees `gpenc dump` prints, in JSON, each field with the input bytes
// it covers, so that the page can tie fields and bytes together.
#include "Tree.h"

#include <emscripten/emscripten.h>

namespace in = gpenc::inspect;

namespace {

// Where the offsets of a node count from: offset N covers the input from
// `origin + scale * N` (scale 2 inside a message carried as hex text).
struct Place {
    std::size_t origin = 0, scale = 1;
};

// `n` as the page needs it; `path` names it as `gpenc dump --json` would
// ("header/magic", "parameters/2/value").
in::Json Walk(const in::Node& n, const std::string& path, Place content) {
    in::Json j = {{"path", path}, {"label", n.label}};
    if (!n.shown.empty()) j["shown"] = n.shown;
    if (!n.meaning.empty()) j["meaning"] = n.meaning;
    if (!n.bytes.empty()) j["hex"] = in::HexBytes(n.bytes, 16);
    if (!n.value.is_null()) j["value"] = n.value;
    if (n.bare) j["problem"] = true;
    if (n.hasOffset) {
        const Place place = n.relative ? content : Place{};
        j["at"] = (n.relative ? "+" : "") + std::to_string(n.offset);
        j["offset"] = n.offset;
        j["size"] = n.size;
        j["start"] = place.origin + place.scale * n.offset;
        j["end"] = place.origin + place.scale * (n.offset + n.size);
    }
    in::Json children = in::Json::array();
    for (std::size_t i = 0; i < n.children.size(); ++i) {
        const std::string key = n.list ? std::to_string(i) : n.children[i].key;
        children.push_back(Walk(n.children[i], path.empty() ? key : path + "/" + key, content));
    }
    if (!children.empty()) j["children"] = std::move(children);
    return j;
}

in::Json ProblemJson(const in::Problem& p) {
    return {{"offset", p.offset}, {"what", p.what}, {"detail", p.detail}, {"message", p.Describe()}};
}

}  // namespace

// The frames of `size` bytes at `data`, their texts read in `codePage`, at most
// `maxFrames` of them in full: {"count": frames decoded, "frames": [...],
// "error": the problem that ends them or null, "rest": where the input not
// read as frames starts}. The text stays valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char* gpenc_web_inspect(const std::uint8_t* data, std::size_t size,
                                                              const char* codePage, std::size_t maxFrames) {
    static std::string out;
    const std::optional<in::CodePage> page = in::CodePage::Find(codePage);
    in::Json doc = {{"count", 0}, {"frames", in::Json::array()}, {"error", nullptr}, {"rest", 0}};
    if (!page) {
        doc["error"] = ProblemJson({0, "unknown code page", codePage});
    } else {
        const in::Dump dump = in::DecodeFrames(data, size);
        const in::RenderOptions options = page->Options();
        doc["count"] = dump.frames.size();
        for (std::size_t i = 0; i < dump.frames.size() && i < maxFrames; ++i) {
            const in::Frame& f = dump.frames[i];
            Place content;
            if (f.tunnel && f.tunnel->argument) {
                content.origin = f.tunnel->argument->offset;
                content.scale = f.tunnel->content == in::Tunnel::Content::kJt808 ? 2 : 1;
            }
            doc["frames"].push_back(Walk(in::FrameTree(f, i + 1, options), "", content));
        }
        if (!dump.frames.empty()) doc["rest"] = dump.frames.back().offset + dump.frames.back().size;
        if (dump.error) doc["error"] = ProblemJson(*dump.error);
    }
    out = doc.dump(-1, ' ', false, in::Json::error_handler_t::replace);
    return out.c_str();
}
