// The two renderings of the display tree: indented text with an offset column,
// and JSON for scripts.
#include "Tree.h"

#include <algorithm>

namespace gpenc::inspect {
namespace {

constexpr std::size_t kShownBytes = 16;

void TextLines(const Node& n, int depth, std::string& out) {
    const std::string offset = n.hasOffset ? Format("%s%zu", n.relative ? "+" : "", n.offset) : "";
    out += Format("%6s  ", offset.c_str());
    out.append(4 * static_cast<std::size_t>(depth), ' ');
    out += n.label;
    if (!n.shown.empty()) out += ": " + n.shown;
    if (!n.meaning.empty()) out += " (" + n.meaning + ")";
    if (!n.bytes.empty()) out += "  [" + HexBytes(n.bytes, kShownBytes) + "]";
    out += '\n';
    for (const Node& c : n.children) TextLines(c, depth + 1, out);
}

std::string Serialised(const Json& doc, int indent) {
    // Texts are ASCII or decoded UTF-8 already; `replace` only keeps dump() from ever throwing.
    return doc.dump(indent, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string TextOf(const Node& root) {
    std::string out;
    TextLines(root, 0, out);
    return out;
}

Json JsonOf(const Node& n) {
    if (n.bare) return n.value;
    Json j = n.list ? Json::array() : Json::object();
    if (n.list) {
        for (const Node& c : n.children) j.push_back(JsonOf(c));
        return j;
    }
    if (n.hasOffset) {
        j["offset"] = n.offset;
        j["size"] = n.size;
    }
    if (!n.value.is_null()) j["value"] = n.value;
    if (!n.meaning.empty()) j["meaning"] = n.meaning;
    if (!n.bytes.empty()) j["hex"] = HexRun(n.bytes);
    for (const auto& [key, value] : n.extra.items()) j[key] = value;
    for (const Node& c : n.children) j[c.key] = JsonOf(c);
    return j;
}

// Whether a frame's tree lists warnings: its own or its texts'.
bool Warned(const Node& frameTree) {
    return std::any_of(frameTree.children.begin(), frameTree.children.end(),
                       [](const Node& c) { return c.key == "warnings"; });
}

std::string RenderText(const Frame& frame, std::size_t number, const RenderOptions& options) {
    return TextOf(FrameTree(frame, number, options));
}

std::string RenderText(const Problem& error) { return TextOf(ProblemNode("Error", error)); }

std::string RenderText(const Dump& dump, const RenderOptions& options) {
    std::string out;
    for (std::size_t i = 0; i < dump.frames.size(); ++i) {
        if (i) out += '\n';
        out += TextOf(FrameTree(dump.frames[i], i + 1, options));
    }
    if (dump.error) out += (dump.frames.empty() ? "" : "\n") + TextOf(ProblemNode("Error", *dump.error));
    return out;
}

std::string RenderJson(const Dump& dump, int indent, const RenderOptions& options) {
    Json doc = {{"clean", !dump.error}, {"frames", Json::array()}};
    for (std::size_t i = 0; i < dump.frames.size(); ++i) {
        const Node tree = FrameTree(dump.frames[i], i + 1, options);
        if (Warned(tree)) doc["clean"] = false;
        doc["frames"].push_back(JsonOf(tree));
    }
    doc["error"] = dump.error ? JsonOf(ProblemNode("Error", *dump.error)) : Json();
    return Serialised(doc, indent);
}

std::string RenderJsonLine(const Frame& frame, std::size_t number, const RenderOptions& options) {
    const Node tree = FrameTree(frame, number, options);
    Json line = {{"frame", number}, {"clean", !Warned(tree)}};
    line.update(JsonOf(tree));
    return Serialised(line, -1);
}

std::string RenderJsonLine(const Problem& error) {
    return Serialised(Json{{"error", JsonOf(ProblemNode("Error", error))}}, -1);
}

}  // namespace gpenc::inspect
