// The display tree both renderings walk: the decoded structs are turned into it
// once, so the text and the JSON view cannot drift apart.
#pragma once

#include "Reader.h"

#include <nlohmann/json.hpp>

namespace gpenc::inspect {

using Json = nlohmann::ordered_json;

struct Node {
    std::string key;    // JSON member name (unused for the items of a list)
    std::string label;  // text view: what the line names
    std::string shown;  // text view: the value after "label: "
    std::string meaning;
    Bytes bytes;  // the raw bytes, when the field is bytes
    bool hasOffset = false;
    bool relative = false;  // offset inside tunnelled content, shown as "+N"
    bool skip = false;      // a field the decoder never reached
    std::size_t offset = 0, size = 0;
    Json value;         // JSON value; null for a plain group
    Json extra;         // further JSON members
    bool list = false;  // children are a JSON array
    bool bare = false;  // JSON is `value` alone
    std::vector<Node> children;

    // Appends `child` unless it is a field the decoder never reached.
    void Add(Node child) {
        if (!child.skip) children.push_back(std::move(child));
    }
    // Appends `group` and returns it, to be filled.
    Node& Sub(Node group) {
        children.push_back(std::move(group));
        return children.back();
    }
};

Node FrameTree(const Frame& frame, std::size_t number, const RenderOptions& options);
Node ProblemNode(const char* label, const Problem& problem);

std::string TextOf(const Node& root);
Json JsonOf(const Node& node);

}  // namespace gpenc::inspect
