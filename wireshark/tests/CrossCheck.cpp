// Cross-checks the Wireshark dissector against the frame inspector: the same
// frames go through tshark (as a pcap) and through the inspector (the JSON of
// `gpenc dump --json`), and every decoded field with its offset and size, and
// every problem, must agree. Usage:
//   gpenc_wireshark_crosscheck TSHARK DISSECTOR GPENC REQUESTS_DIR CORPUS_DIR WORK_DIR
#include "Pcap.h"

#include "gpenc/Inspect.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

namespace fs = std::filesystem;
namespace inspect = gpenc::inspect;
using gpenc::tool::Bytes;
using Json = nlohmann::ordered_json;

namespace {

// Where a field's offset counts from: the frame, the tunnelled 808 message, the
// key-2 text, or nowhere (a value the decoders derive).
enum Base { kFrame, kMessage, kText, kDerived };

struct Row {
    std::string path;   // inspector JSON path, list indices left out
    std::string field;  // dissector field
    Base base;
};

// The fields by group: inspector path prefix, dissector field prefix, base, and
// the names, "path=field" where the two differ.
const struct {
    const char *path, *field;
    Base base;
    const char* names;
} kFieldGroups[] = {
    {"header.", "gpenc.", kFrame, "magic body_length"},
    {"body.", "gpenc.", kFrame, "version session_id command parameter_length reserved"},
    {"parameters.", "gpenc.param.", kFrame, "record_length=length key kind value=text"},
    {"tunnel.", "gpenc.tunnel.", kFrame, "terminal_number=terminal message_id argument"},
    {"tunnel.argument.", "gpenc.request.", kDerived, "meaning items.name=name"},
    {"tunnel.argument.", "gpenc.request.", kText, "items=item"},
    {"tunnel.argument.setting.", "gpenc.area.", kText, "set_attribute area_count=count"},
    {"tunnel.argument.setting.areas.", "gpenc.area.", kText,
     "id attributes latitude longitude radius start end top_speed over_speed_duration"},
    {"tunnel.argument.message.head.", "gpenc.808.", kMessage, "message_id body_properties phone serial"},
    {"tunnel.argument.message.head.body_properties.", "gpenc.808.", kDerived,
     "body_length encryption subpackage reserved"},
    {"tunnel.argument.message.", "gpenc.808.", kMessage, "body body.count=param.count"},
    {"tunnel.argument.message.body.entries.", "gpenc.808.param.", kDerived, "name type"},
    {"tunnel.argument.message.body.entries.", "gpenc.808.param.", kMessage, "id length value=text"},
    {"tunnel.argument.message.body.", "gpenc.808.ic.", kMessage,
     "type zero data_length text_1 text_2 text_3 text_4 date check_1"},
    {"tunnel.argument.message.body.", "gpenc.808.ic.", kDerived,
     "text_1.fill=fill text_2.fill=fill text_3.fill=fill text_4.fill=fill date.valid=date_valid"},
    {"tunnel.argument.message.body.extension.", "gpenc.808.ic.", kMessage,
     "check_2 check_3 mark_1 mark_2 ext_1 ext_2 texts=ext_text zero_fill"},
    {"tunnel.argument.message.body.extension.", "gpenc.808.ic.", kDerived,
     "texts.length=ext_text_length zero_fill.not_zero=zero_fill.not_zero"},
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> out;
        for (const auto& g : kFieldGroups) {
            std::istringstream names(g.names);
            for (std::string n, to; names >> n;) {
                const std::size_t eq = n.find('=');
                to = eq == std::string::npos ? n : n.substr(eq + 1);
                out.push_back({g.path + n.substr(0, eq), g.field + to, g.base});
            }
        }
        return out;
    }();
    return rows;
}

// The row whose `member` is `name`, the first of several.
const Row* Find(std::string Row::*member, const std::string& name) {
    for (const Row& r : Rows())
        if (r.*member == name) return &r;
    return nullptr;
}

// Dissector fields that carry the same inspector value in another type.
const std::map<std::string, std::string> kAliases = {
    {"gpenc.param.int32", "gpenc.param.text"},          {"gpenc.param.byte", "gpenc.param.text"},
    {"gpenc.param.six", "gpenc.param.text"},            {"gpenc.tunnel.message_id_text", "gpenc.tunnel.message_id"},
    {"gpenc.808.param.number", "gpenc.808.param.text"}, {"gpenc.808.param.bytes", "gpenc.808.param.text"}};
// Dissector subtrees without a value of their own.
const char* const kGroups[] = {"gpenc.header", "gpenc.body",      "gpenc.param", "gpenc.tunnel",
                               "gpenc.808",    "gpenc.808.param", "gpenc.area"};

struct Leaf {
    Json value;
    long offset = -1, size = -1;  // -1: no position compared
};

// One frame as one decoder sees it: its fields by dissector name, in order, and
// its problems as "what at offset N: detail" with N counted in the frame.
struct View {
    std::map<std::string, std::vector<Leaf>> fields;
    std::vector<std::string> problems;
    bool error = false;  // the frame could not be decoded: only its problem counts
};

struct Tally {
    std::size_t frames = 0, fields = 0, failures = 0;
    void Fail(const std::string& where, const std::string& what) {
        ++failures;
        if (failures <= 40) std::cerr << "FAIL " << where << ": " << what << '\n';
    }
} tally;

std::string Join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

// ------------------------------------------------------------ inspector side

struct InspectorWalk {
    View& view;
    long frame, argument;
    std::vector<std::string>& unmapped;

    void Add(const std::string& path, const Json& value, const Json& node, Base base) {
        const Row* row = Find(&Row::path, path);
        const bool check = path.find(".check_") != std::string::npos;
        if (check && base == kDerived) {
            const std::string member = path.substr(path.rfind('.') + 1);
            view.fields["gpenc.808.ic.check." + member].push_back({value});
            return;
        }
        if (!row) return unmapped.push_back(path);
        Leaf leaf{value};
        if (row->base != kDerived && base != kDerived) {
            leaf.offset =
                node["offset"].get<long>() - (row->base == kFrame ? frame : 0) + (row->base == kText ? argument : 0);
            leaf.size = node["size"].get<long>();
        }
        view.fields[row->field].push_back(leaf);
    }

    void Walk(const Json& n, const std::string& path) {
        if (n.is_array()) {
            for (const Json& e : n) Walk(e, path);
            return;
        }
        // Problems inside the tree are the frame's warnings as well.
        if (!n.is_object() || n.contains("what")) return;
        const bool leaf = n.contains("value") && !n["value"].is_structured();
        if (leaf && !path.empty()) Add(path, n["value"], n, kFrame);
        for (const auto& [key, child] : n.items()) {
            if (key == "offset" || key == "size" || (key == "value" && leaf) || key == "hex" || key == "error" ||
                key == "warnings")
                continue;
            if (key == "meaning" && path != "tunnel.argument") continue;
            if (child.is_structured())
                Walk(child, Join(path, key));
            else
                Add(Join(path, key), child, n, kDerived);
        }
    }
};

// Bytes that are not UTF-8 as "?": the inspector's JSON replaces them (in
// problem texts that quote raw bytes), tshark writes them as they are.
std::string Utf8(const std::string& s) {
    static const inspect::CodePage kUtf8 = *inspect::CodePage::Find("UTF-8");
    std::string out, one;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = 1;
        while (n <= 4 && !kUtf8.ToUtf8(std::string_view(s).substr(i, n), one)) ++n;
        out += n > 4 || one == "\xef\xbf\xbd" ? "?" : s.substr(i, n);
        i += n > 4 ? 1 : n;
    }
    return out;
}

std::string Problem(const std::string& what, long offset, const std::string& detail) {
    return Utf8(what + " at offset " + std::to_string(offset) + ": " + detail);
}

// The inspector's frames of one byte stream, and the problem it stopped at.
std::vector<View> InspectorViews(const Bytes& stream, const inspect::RenderOptions& texts,
                                 std::vector<std::string>& unmapped) {
    const Json doc = Json::parse(inspect::RenderJson(inspect::DecodeFrames(stream), 2, texts));
    std::vector<View> views;
    long end = 0;
    for (const Json& f : doc["frames"]) {
        View v;
        const long frame = f["offset"].get<long>();
        long argument = 0;
        if (f.contains("tunnel") && f["tunnel"].contains("argument"))
            argument = f["tunnel"]["argument"]["offset"].get<long>() - frame;
        InspectorWalk{v, frame, argument, unmapped}.Walk(f, "");
        if (f.contains("warnings"))
            for (const Json& w : f["warnings"])
                v.problems.push_back(Problem(w["what"], w["offset"].get<long>() - frame, w["detail"]));
        views.push_back(std::move(v));
        end = frame + f["size"].get<long>();
    }
    if (!doc["error"].is_null()) {
        const Json& e = doc["error"];
        View v;
        v.error = true;
        v.problems.push_back(Problem(e["what"], e["offset"].get<long>() - end, e["detail"]));
        views.push_back(std::move(v));
    }
    return views;
}

// ------------------------------------------------------------ dissector side

struct Packet {
    long stream = -1;
    std::vector<Json> trees;  // the gpenc trees in order
    std::vector<Json> raws;   // their [hex, pos, len, ...]
};

struct DissectorWalk {
    View& view;
    long base;
    std::vector<std::string>& unknown;
    bool& errorSeen;

    void Expert(const Json& e) {
        if (e.is_array()) {
            for (const Json& x : e) Expert(x);
            return;
        }
        if (e.contains("gpenc.error")) errorSeen = true;
        if (e.contains("gpenc.error") || e.contains("gpenc.warning"))
            view.problems.push_back(e.value("_ws.expert.message", ""));
        else
            unknown.push_back("expert info " + e.dump());
    }

    void Walk(const Json& obj) {
        for (const auto& [key, val] : obj.items()) {
            if (key.size() > 4 && key.compare(key.size() - 4, 4, "_raw") == 0) continue;
            if (key == "_ws.malformed") continue;  // the group of gpenc.error
            if (key == "_ws.expert") {
                Expert(val);
                continue;
            }
            const Json items = val.is_array() ? val : Json::array({val});
            const Json* raw = obj.contains(key + "_raw") ? &obj[key + "_raw"] : nullptr;
            for (std::size_t i = 0; i < items.size(); ++i) {
                const Json& item = items[i];
                if (item.is_object()) {
                    Walk(item);
                    continue;
                }
                if (key == "_ws.lua.text") continue;  // a label with nothing under it
                if (key.rfind("gpenc.", 0) != 0) {
                    unknown.push_back(key + " = " + item.dump());
                    continue;
                }
                if (std::find(std::begin(kGroups), std::end(kGroups), key) != std::end(kGroups)) continue;
                const auto alias = kAliases.find(key);
                const std::string field = alias == kAliases.end() ? key : alias->second;
                const Row* row = Find(&Row::field, field);
                if (!row && field.rfind("gpenc.808.ic.check.", 0) != 0) {
                    unknown.push_back(key);
                    continue;
                }
                Leaf leaf{item};
                if (row && row->base != kDerived && raw) {
                    const Json& r = (*raw)[0].is_array() ? (*raw)[i] : *raw;
                    leaf.offset = r[1].get<long>() - (row->base == kMessage ? 0 : base);
                    leaf.size = r[2].get<long>();
                }
                view.fields[field].push_back(leaf);
            }
        }
    }
};

std::string Run(const std::string& command) {
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buf[65536];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        if (pclose(p) != 0) tally.Fail(command, "exit status not 0");
    }
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ------------------------------------------------------------ comparison

bool SameValue(const Json& want, const Json& got) {
    if (!got.is_string()) return false;
    const std::string g = got.get<std::string>();
    if (want.is_boolean()) return (g == "1" || g == "True") == want.get<bool>();
    if (want.is_number_float()) return std::fabs(std::strtod(g.c_str(), nullptr) - want.get<double>()) < 1e-9;
    if (want.is_number()) return std::strtoll(g.c_str(), nullptr, 0) == want.get<long long>();
    std::string bytes = g;
    bytes.erase(std::remove(bytes.begin(), bytes.end(), ':'), bytes.end());
    return g == want.get<std::string>() || bytes == want.get<std::string>();
}

void Compare(const std::string& where, View want, View got) {
    ++tally.frames;
    if (want.error) got.fields.clear();
    for (const auto& [field, leaves] : want.fields) {
        const auto& other = got.fields[field];
        if (other.size() != leaves.size()) {
            tally.Fail(where, field + ": inspector has " + std::to_string(leaves.size()) + ", dissector " +
                                  std::to_string(other.size()));
            continue;
        }
        for (std::size_t i = 0; i < leaves.size(); ++i) {
            ++tally.fields;
            const Leaf& w = leaves[i];
            const Leaf& g = other[i];
            if (!SameValue(w.value, g.value))
                tally.Fail(where, field + " #" + std::to_string(i + 1) + ": inspector " + w.value.dump() +
                                      ", dissector " + g.value.dump());
            // tshark gives no position for an empty field.
            else if (w.offset >= 0 && (w.offset != g.offset || w.size != g.size) && (g.size >= 0 || w.size != 0))
                tally.Fail(where, field + " #" + std::to_string(i + 1) + ": inspector at " + std::to_string(w.offset) +
                                      "+" + std::to_string(w.size) + ", dissector at " + std::to_string(g.offset) +
                                      "+" + std::to_string(g.size));
        }
    }
    for (const auto& [field, leaves] : got.fields)
        if (!want.fields.count(field) && !leaves.empty()) tally.Fail(where, field + ": only the dissector shows it");
    std::sort(want.problems.begin(), want.problems.end());
    std::sort(got.problems.begin(), got.problems.end());
    if (want.problems != got.problems) {
        std::string text = "problems differ\n  inspector:";
        for (const auto& p : want.problems) text += "\n    " + p;
        text += "\n  dissector:";
        for (const auto& p : got.problems) text += "\n    " + p;
        tally.Fail(where, text);
    }
}

// ------------------------------------------------------------ cases

struct Conversation {
    std::string name;
    std::vector<Bytes> segments;
    std::size_t skip = 0;       // leading bytes that are the tail of an earlier frame
    std::string expectProblem;  // a problem both decoders must report ("what" alone)

    Conversation(std::string n, std::vector<Bytes> s, std::size_t k = 0, std::string p = {})
        : name(std::move(n)), segments(std::move(s)), skip(k), expectProblem(std::move(p)) {}
};

class Checker {
public:
    Checker(std::string tshark, std::string dissector, fs::path work)
        : tshark_(std::move(tshark)), dissector_(std::move(dissector)), work_(std::move(work)) {}

    // Runs tshark over `pcap` and compares each conversation's frames, the
    // client's texts read in `codePage` on both sides (the dissector's
    // preference, the inspector's render options).
    void Check(const fs::path& pcap, const std::vector<Conversation>& conversations,
               const std::string& codePage = "UTF-8") {
        texts_ = inspect::CodePage::Find(codePage)->Options();
        const fs::path err = work_ / (pcap.stem().string() + ".stderr");
        const std::string json = Utf8(Run(tshark_ + " -n -r " + pcap.string() + " -X lua_script:" + dissector_ +
                                          " -o gpenc.text_encoding:" + codePage +
                                          " -T json -x --no-duplicate-keys -J 'tcp gpenc' 2>" + err.string()));
        CheckStderr(pcap.filename().string(), ReadFile(err));
        if (json.find("Lua Error") != std::string::npos)
            tally.Fail(pcap.filename().string(), "a Lua error in the tree");
        std::map<long, std::vector<Json>> trees;
        std::map<long, std::vector<Json>> raws;
        for (const Json& packet : Json::parse(json)) {
            const Json& layers = packet["_source"]["layers"];
            if (!layers.contains("gpenc")) continue;
            const long stream = std::stol(layers["tcp"]["tcp.stream"].get<std::string>());
            const Json& g = layers["gpenc"];
            const Json& r = layers["gpenc_raw"];
            for (std::size_t i = 0; i < (g.is_array() ? g.size() : 1); ++i) {
                trees[stream].push_back(g.is_array() ? g[i] : g);
                raws[stream].push_back(r[0].is_array() ? r[i] : r);
            }
        }
        for (std::size_t c = 0; c < conversations.size(); ++c)
            CheckConversation(pcap.stem().string() + "/" + conversations[c].name, conversations[c],
                              trees[static_cast<long>(c)], raws[static_cast<long>(c)]);
    }

private:
    void CheckStderr(const std::string& where, const std::string& text) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (line.find("Running as user \"root\"") == std::string::npos && !line.empty())
                tally.Fail(where, "tshark wrote to stderr: " + line);
    }

    void CheckConversation(const std::string& where, const Conversation& c, const std::vector<Json>& trees,
                           const std::vector<Json>& raws) {
        Bytes stream;
        for (const Bytes& s : c.segments) stream.insert(stream.end(), s.begin(), s.end());
        stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(c.skip));
        std::vector<std::string> unmapped, unknown;
        const std::vector<View> want = InspectorViews(stream, texts_, unmapped);
        for (const auto& p : unmapped) tally.Fail(where, "no dissector field for inspector field " + p);

        std::vector<View> got;
        long skipped = 0;
        bool error = false;
        for (std::size_t i = 0; i < trees.size(); ++i) {
            if (trees[i].contains("gpenc.skipped")) {
                skipped += raws[i][2].get<long>();
                continue;
            }
            View v;
            DissectorWalk{v, raws[i][1].get<long>(), unknown, error}.Walk(trees[i]);
            got.push_back(std::move(v));
        }
        for (const auto& u : unknown) tally.Fail(where, "dissector field unknown to the comparison: " + u);
        if (skipped != static_cast<long>(c.skip))
            tally.Fail(where, "skipped " + std::to_string(skipped) + " bytes, expected " + std::to_string(c.skip));
        if (got.size() != want.size()) {
            tally.Fail(where, "inspector decodes " + std::to_string(want.size()) + " frames, dissector " +
                                  std::to_string(got.size()));
            return;
        }
        bool expected = c.expectProblem.empty();
        for (std::size_t i = 0; i < want.size(); ++i) {
            for (const auto& p : want[i].problems) expected = expected || p.rfind(c.expectProblem + " at", 0) == 0;
            Compare(where + " frame " + std::to_string(i + 1), want[i], got[i]);
        }
        if (!expected) tally.Fail(where, "the inspector does not report \"" + c.expectProblem + "\"");
    }

    std::string tshark_, dissector_;
    fs::path work_;
    inspect::RenderOptions texts_;
};

fs::path WritePcap(const fs::path& path, std::uint16_t port, const std::vector<Conversation>& conversations) {
    gpenc::tool::PcapWriter w(port);
    for (const Conversation& c : conversations) w.Conversation(c.segments);
    const Bytes file = w.File();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

Bytes Hex(const std::string& text) { return inspect::ParseHex(text).value; }

// The frames a `gpenc demo` run prints, each under its request's name.
std::vector<std::pair<std::string, Bytes>> DemoFrames(const std::string& command) {
    std::istringstream demo(Run(command));
    std::vector<std::pair<std::string, Bytes>> out;
    std::string name;
    for (std::string line; std::getline(demo, line);)
        if (line.rfind("==== ", 0) == 0)
            name = line.substr(5);
        else if (!name.empty())
            out.emplace_back(std::exchange(name, {}), Hex(line));
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// An example frame with the character (or byte) at `offset` replaced.
Bytes Patched(Bytes frame, std::size_t offset, char c) {
    frame.at(offset) = static_cast<std::uint8_t>(c);
    return frame;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::cerr << "usage: " << argv[0] << " TSHARK DISSECTOR GPENC REQUESTS_DIR CORPUS_DIR WORK_DIR\n";
        return 2;
    }
    const std::string tshark = argv[1], dissector = argv[2], gpenc = argv[3], examples_dir = argv[4];
    const fs::path corpus = argv[5], work = argv[6];
    fs::create_directories(work);
    Checker checker(tshark, dissector, work);

    // Every example request, through the tool's own pcap output: one frame a
    // segment, and segments of 7 bytes (frames across segments, a frame ending
    // and the next beginning in one segment).
    std::map<std::string, Bytes> examples;
    std::vector<Bytes> frames;
    for (const auto& [name, frame] : DemoFrames(gpenc + " demo --pcap " + (work / "demo.pcap").string())) {
        frames.push_back(frame);
        examples[name] = frame;
    }
    Run(gpenc + " demo --segment 7 --pcap " + (work / "demo-7.pcap").string() + " >/dev/null");
    // The capture itself, byte for byte: the file header and the data segment of
    // `encode --pcap` (packet 4, after the handshake), checksums worked out by hand.
    {
        const fs::path one = work / "encode.pcap";
        Run(gpenc + " encode --pcap " + one.string() + " " + examples_dir + "/CommonData-2.json >/dev/null");
        const std::string file = ReadFile(one);
        const Bytes header = Hex("d4c3b2a1 0200 0400 00000000 00000000 00000400 01000000");
        const Bytes data =
            Hex("020000000002 020000000001 0800 "                                      // Ethernet
                "4500 0046 0004 4000 40 06 3cab 7f000001 7f000002 "                    // IPv4, checksum 3cab
                "c350 1e80 10000001 20000001 50 18 ffff 586b 0000 "                    // TCP, checksum 586b
                "4750001a 0001 00000000000000000000000000000000 0002 00000000 0000");  // the frame
        const std::size_t at = 24 + 3 * (16 + 54) + 16;
        if (file.size() != 614 || file.compare(0, header.size(), std::string(header.begin(), header.end())) != 0 ||
            file.compare(at, data.size(), std::string(data.begin(), data.end())) != 0)
            tally.Fail("encode.pcap", "the capture differs from the bytes written out");
    }
    if (frames.size() < 20) tally.Fail("demo", "fewer example frames than expected: " + std::to_string(frames.size()));
    checker.Check(work / "demo.pcap", {{"examples", frames}});
    checker.Check(work / "demo-7.pcap", {{"examples", gpenc::tool::Segments(frames, 7)}});

    // The same frames on another port: found by content.
    std::vector<Conversation> heuristic;
    for (const auto& [name, frame] : examples) heuristic.push_back({name, {frame}});
    checker.Check(WritePcap(work / "heuristic.pcap", 9000, heuristic), heuristic);

    // Segmentation: one frame split at every byte boundary, three frames in one
    // segment, and a capture that starts inside a frame.
    const Bytes& list = examples.at("EquipSet-list.json");
    const Bytes& interval = examples.at("Cmd_sTimeInterval.json");
    const Bytes& alarm = examples.at("EquipAlarmSet.json");
    std::vector<Conversation> segments;
    for (std::size_t cut = 1; cut < list.size(); ++cut)
        segments.push_back({"split at " + std::to_string(cut),
                            {Bytes(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(cut)),
                             Bytes(list.begin() + static_cast<std::ptrdiff_t>(cut), list.end())}});
    segments.push_back({"three in one segment", {Concat({interval, list, alarm})}});
    segments.push_back({"starts inside a frame", {Concat({Bytes(list.end() - 20, list.end()), interval}), alarm}, 20});
    checker.Check(WritePcap(work / "segments.pcap", gpenc::tool::kGpPort, segments), segments);

    // Malformed frames: a character of an example frame replaced; both decoders
    // must report the problem named.
    // Key 2's text starts at offset 67 in these frames (terminal number
    // "013912345678", message id text of 4 characters).
    const struct {
        const char *name, *example;
        std::size_t offset;
        char replacement;
        const char* problem;
    } kMutations[] = {
        {"check byte", "EquipSet_ICInfoSet.json", 67 + 2 * 144 + 1, 'f', "check byte mismatch"},
        {"extension check byte", "EquipSet_ICInfoSet-extension.json", 67 + 2 * 272, 'e', "check byte mismatch"},
        {"hex text", "EquipSet.json", 72, 'g', "bad key-2 hex text"},
        {"upper-case hex", "EquipSet.json", 67 + 2 * 12, 'A', "upper-case hex digit"},
        {"808 body length", "EquipSet.json", 67 + 7, '9', "808 body too short"},
        {"808 message id", "EquipSet.json", 59, '4', "bad request argument"},
        {"phone number", "EquipSet.json", 67 + 9, '7', "phone number disagrees"},
        {"area count", "EquipAlarmSet.json", 69, '2', "area count disagrees"},
        {"value kind", "Cmd_sTimeInterval.json", 36, '\x02', "unknown value kind"},
        {"record length", "Cmd_sTimeInterval.json", 33, '\x05', "bad record length"},
        {"version", "CommonData-2.json", 5, '\x02', "unexpected protocol version"},
    };
    std::vector<Conversation> malformed;
    for (const auto& m : kMutations)
        malformed.push_back({m.name, {Patched(examples.at(m.example), m.offset, m.replacement)}, 0, m.problem});
    // An 808 message that ends inside its head and whose id is not key 1's:
    // key 2 is "8900000a013912".
    malformed.push_back({"808 head truncated",
                         {Hex("4750001a 0001 00000000000000000000000000000000 0033 00000033 0000 00000013 0000 01 "
                              "303133393132333435363738 0000000b 0001 01 38313033 00000015 0002 01 "
                              "3839303030303061303133393132")},
                         0,
                         "message id disagrees"});
    checker.Check(WritePcap(work / "malformed.pcap", gpenc::tool::kGpPort, malformed), malformed);

    // Every example frame with one byte after the body changed, many times over:
    // characters that matter in hex and setting texts, and any byte. The
    // sequence is fixed, so a failing case can be run again.
    std::vector<Conversation> mutated;
    std::uint32_t seed = 808;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    const std::string kChars = "0129afAFg;,-.";
    for (const auto& [name, frame] : examples)
        for (int i = 0; i < 24 && frame.size() > 30; ++i) {
            const std::size_t at = 30 + next() % (frame.size() - 30);
            const std::uint32_t pick = next() % (kChars.size() + 3);
            const char c = pick < kChars.size() ? kChars[pick] : static_cast<char>(next());
            mutated.push_back({name + " byte " + std::to_string(at) + " = " + std::to_string(std::uint8_t(c)),
                               {Patched(frame, at, c)}});
        }
    checker.Check(WritePcap(work / "mutated.pcap", gpenc::tool::kGpPort, mutated), mutated);

    // The client's texts in its code page: every example sent in GB18030 (GBK
    // for Chinese texts) and read back with the preference, and one plate
    // number whose first byte is no GB18030 lead byte.
    {
        const fs::path pcap = work / "demo-gb18030.pcap";
        std::vector<Bytes> gb;
        for (const auto& named : DemoFrames(gpenc + " --code-page GB18030 demo --pcap " + pcap.string()))
            gb.push_back(named.second);
        if (gb.size() != frames.size() || gb == frames)
            tally.Fail("demo-gb18030", "not one frame per example, or the UTF-8 frames");
        checker.Check(pcap, {{"examples", gb}}, "GB18030");
        const std::vector<Conversation> bad = {
            {"plate",
             {Hex("4750001a 0001 " + std::string(32, '0') + " 0050 0000000f 0000 0000000f 0000 01 ffc1423939393939")},
             0,
             "undecodable text"}};
        checker.Check(WritePcap(work / "gb18030-bad.pcap", gpenc::tool::kGpPort, bad), bad, "GB18030");
    }

    // Fuzz-corpus inputs that the inspector reads as whole frames.
    std::vector<Conversation> fuzz;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(corpus)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        const std::string text = ReadFile(f);
        const Bytes bytes(text.begin(), text.end());
        const inspect::Dump d = inspect::DecodeFrames(bytes);
        if (!d.error && !d.frames.empty()) fuzz.push_back({f.filename().string(), {bytes}});
    }
    checker.Check(WritePcap(work / "corpus.pcap", gpenc::tool::kGpPort, fuzz), fuzz);

    std::cout << tally.frames << " frames compared, " << tally.fields << " fields compared, " << tally.failures
              << " disagreements (" << examples.size() << " examples, " << fuzz.size() << " corpus inputs, "
              << segments.size() << " segmentation, " << malformed.size() << " malformed and " << mutated.size()
              << " mutated conversations)\n";
    return tally.failures ? 1 : 0;
}
