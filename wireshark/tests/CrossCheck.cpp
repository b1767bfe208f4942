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

// The inspector's JSON paths (list indices left out) and the dissector fields
// that show them, by group: path prefix, field prefix, and the names,
// "path=field" where the two differ.
const char* const kFieldGroups[][3] = {
    {"header.", "gpenc.", "magic body_length"},
    {"body.", "gpenc.", "version session_id command parameter_length reserved"},
    {"parameters.", "gpenc.param.", "record_length=length key kind value=text"},
    {"tunnel.", "gpenc.tunnel.", "terminal_number=terminal message_id argument"},
    {"tunnel.argument.", "gpenc.request.", "meaning items=item items.name=name"},
    {"tunnel.argument.setting.", "gpenc.area.", "set_attribute area_count=count"},
    {"tunnel.argument.setting.areas.", "gpenc.area.",
     "id attributes latitude longitude radius start end top_speed over_speed_duration"},
    {"tunnel.argument.message.head.", "gpenc.808.", "message_id body_properties phone serial"},
    {"tunnel.argument.message.head.body_properties.", "gpenc.808.", "body_length encryption subpackage reserved"},
    {"tunnel.argument.message.", "gpenc.808.", "body body.count=param.count"},
    {"tunnel.argument.message.body.entries.", "gpenc.808.param.", "name type id length value=text"},
    {"tunnel.argument.message.body.", "gpenc.808.ic.",
     "type zero data_length text_1 text_2 text_3 text_4 date check_1 text_1.fill=fill text_2.fill=fill "
     "text_3.fill=fill text_4.fill=fill date.valid=date_valid"},
    {"tunnel.argument.message.body.extension.", "gpenc.808.ic.",
     "check_2 check_3 mark_1 mark_2 ext_1 ext_2 texts=ext_text zero_fill texts.length=ext_text_length "
     "zero_fill.not_zero=zero_fill.not_zero"},
};

struct Row {
    std::string path;   // inspector JSON path
    std::string field;  // dissector field
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> out;
        for (const auto& g : kFieldGroups) {
            std::istringstream names(g[2]);
            for (std::string n; names >> n;) {
                const std::size_t eq = n.find('=');
                out.push_back({g[0] + n.substr(0, eq), g[1] + (eq == std::string::npos ? n : n.substr(eq + 1))});
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

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Dissector fields that carry the same inspector value in another type.
const std::map<std::string, std::string> kAliases = {{"gpenc.param.int32", "gpenc.param.text"},
                                                     {"gpenc.param.byte", "gpenc.param.text"},
                                                     {"gpenc.param.six", "gpenc.param.text"},
                                                     {"gpenc.tunnel.message_id_text", "gpenc.tunnel.message_id"},
                                                     {"gpenc.808.param.number", "gpenc.808.param.text"},
                                                     {"gpenc.808.param.bytes", "gpenc.808.param.text"}};
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

    // `node`: the value's own node, null for a value derived from its parent.
    // Positions count from the frame, in the tunnelled 808 message from its
    // first byte, in the key-2 text from the text's first character.
    void Add(const std::string& path, const Json& value, const Json* node) {
        if (!node && path.find(".check_") != std::string::npos) {
            view.fields["gpenc.808.ic.check." + path.substr(path.rfind('.') + 1)].push_back({value});
            return;
        }
        const Row* row = Find(&Row::path, path);
        if (!row) return unmapped.push_back(path);
        Leaf leaf{value};
        if (node && node->contains("offset")) {
            const bool message = StartsWith(path, "tunnel.argument.message.");
            const bool text = !message && StartsWith(path, "tunnel.argument.");
            leaf.offset = (*node)["offset"].get<long>() - (message || text ? 0 : frame) + (text ? argument : 0);
            leaf.size = (*node)["size"].get<long>();
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
        if (leaf && !path.empty()) Add(path, n["value"], &n);
        for (const auto& [key, child] : n.items()) {
            if (key == "offset" || key == "size" || (key == "value" && leaf) || key == "hex" || key == "error" ||
                key == "warnings")
                continue;
            if (key == "meaning" && path != "tunnel.argument") continue;
            if (child.is_structured())
                Walk(child, Join(path, key));
            else
                Add(Join(path, key), child, nullptr);
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

struct DissectorWalk {
    View& view;
    long base;
    std::vector<std::string>& unknown;

    void Expert(const Json& e) {
        if (e.is_array()) {
            for (const Json& x : e) Expert(x);
            return;
        }
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
                if (!Find(&Row::field, field) && !StartsWith(field, "gpenc.808.ic.check.")) {
                    unknown.push_back(key);
                    continue;
                }
                Leaf leaf{item};
                if (raw) {
                    const Json& r = (*raw)[0].is_array() ? (*raw)[i] : *raw;
                    leaf.offset = r[1].get<long>() - (StartsWith(field, "gpenc.808.") ? 0 : base);
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
    std::string text = "problems differ";
    for (const View* v : {&want, &got}) {
        text += v == &want ? "\n  inspector:" : "\n  dissector:";
        for (const auto& p : v->problems) text += "\n    " + p;
    }
    if (want.problems != got.problems) tally.Fail(where, text);
}

// ------------------------------------------------------------ cases

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

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
        std::istringstream errors(ReadFile(err));
        for (std::string line; std::getline(errors, line);)
            if (!line.empty() && line.find("Running as user \"root\"") == std::string::npos)
                tally.Fail(pcap.filename().string(), "tshark wrote to stderr: " + line);
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
    void CheckConversation(const std::string& where, const Conversation& c, const std::vector<Json>& trees,
                           const std::vector<Json>& raws) {
        Bytes stream = Concat(c.segments);
        stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(c.skip));
        std::vector<std::string> unmapped, unknown;
        const std::vector<View> want = InspectorViews(stream, texts_, unmapped);
        for (const auto& p : unmapped) tally.Fail(where, "no dissector field for inspector field " + p);

        std::vector<View> got;
        long skipped = 0;
        for (std::size_t i = 0; i < trees.size(); ++i) {
            if (trees[i].contains("gpenc.skipped")) {
                skipped += raws[i][2].get<long>();
                continue;
            }
            View v;
            DissectorWalk{v, raws[i][1].get<long>(), unknown}.Walk(trees[i]);
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
            for (const auto& p : want[i].problems)
                expected = expected || StartsWith(p, (c.expectProblem + " at").c_str());
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
        if (StartsWith(line, "==== "))
            name = line.substr(5);
        else if (!name.empty())
            out.emplace_back(std::exchange(name, {}), Hex(line));
    return out;
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
    const auto check = [&checker, &work](const char* name, const std::vector<Conversation>& conversations,
                                         std::uint16_t port = gpenc::tool::kGpPort, const char* codePage = "UTF-8") {
        checker.Check(WritePcap(work / name, port, conversations), conversations, codePage);
    };

    // Every example request, through the tool's own pcap output in segments of
    // 7 bytes: frames across segments, a frame ending and the next beginning in
    // one segment.
    std::map<std::string, Bytes> examples;
    std::vector<Bytes> frames;
    for (const auto& [name, frame] : DemoFrames(gpenc + " demo --segment 7 --pcap " + (work / "demo.pcap").string())) {
        frames.push_back(frame);
        examples[name] = frame;
    }
    if (frames.size() < 20) tally.Fail("demo", "fewer example frames than expected: " + std::to_string(frames.size()));
    checker.Check(work / "demo.pcap", {{"examples", gpenc::tool::Segments(frames, 7)}});
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

    // The same frames, one a segment on another port: found by content.
    std::vector<Conversation> heuristic;
    for (const auto& [name, frame] : examples) heuristic.push_back({name, {frame}});
    check("heuristic.pcap", heuristic, 9000);

    // Reassembly: one frame in segments of 1 byte (the magic incomplete, every
    // cut), of 27 and 28 bytes (the parameter length not yet and just whole), of
    // all but its last byte; three frames in one segment; a capture that starts
    // inside a frame.
    const Bytes& list = examples.at("EquipSet-list.json");
    const Bytes& interval = examples.at("Cmd_sTimeInterval.json");
    const Bytes& alarm = examples.at("EquipAlarmSet.json");
    std::vector<Conversation> segments;
    for (const std::size_t size : {std::size_t{1}, std::size_t{27}, std::size_t{28}, list.size() - 1})
        segments.push_back({"segments of " + std::to_string(size), gpenc::tool::Segments({list}, size)});
    segments.push_back({"three in one segment", {Concat({interval, list, alarm})}});
    segments.push_back({"starts inside a frame", {Concat({Bytes(list.end() - 20, list.end()), interval}), alarm}, 20});
    check("segments.pcap", segments);

    // Malformed frames: a character of an example frame replaced, one row for
    // each way of failing and each problem; both decoders must report the
    // problem named. Key 2's text starts at offset 67 in the tunnelled requests
    // (terminal number "013912345678", message id text of 4 characters), so
    // 67 + 2 * n is the 808 message's byte n.
    const struct {
        const char *name, *example;
        std::size_t offset;
        char replacement;
        const char* problem;
    } kMalformed[] = {
        {"record past the end", "UserLogin-operator.json", 67, 'A', "parameter length disagrees"},
        {"3 bytes after the records", "EquipSet-plate.json", 63, 'f', "parameter length disagrees"},
        {"record length", "Cmd_sTimeInterval.json", 33, '\x05', "bad record length"},
        {"record length of its kind", "Cmd_sCommitInterval.json", 33, 'A', "bad record length"},
        {"value kind", "Cmd_sTimeInterval.json", 36, '\x02', "unknown value kind"},
        {"version", "CommonData-2.json", 5, '\x02', "unexpected protocol version"},
        {"808 message id", "Cmd_AffirmAlarmInform.json", 56, '1', "unknown 808 message id"},
        {"hex text", "EquipSet.json", 72, 'g', "bad key-2 hex text"},
        {"upper-case hex", "EquipSet.json", 67 + 2 * 12, 'A', "upper-case hex digit"},
        {"phone number", "EquipSet.json", 67 + 2 * 4, 'F', "phone number not BCD"},
        {"808 body length", "EquipSet.json", 67 + 2 * 3 + 1, '9', "808 body too short"},
        {"808 body past the end", "EquipSet_ICInfoSet.json", 67 + 2 * 3 + 1, '9', "808 message truncated"},
        {"808 body property bits", "EquipSet-list.json", 67 + 2 * 2, '9', "unexpected body property bits"},
        {"808 parameter length", "EquipSet-list.json", 67 + 2 * 17 + 1, '1', "bad parameter length"},
        {"STRING parameter of control bytes", "EquipSet.json", 67 + 2 * 16, '1', ""},
        {"STRING parameter not UTF-8", "EquipSet-plate.json", 67 + 2 * 45, 'a', "undecodable text"},
        {"808 id not key 1's", "EquipSet_ICInfoSet-holder.json", 67 + 2 * 1, '2', "message id disagrees"},
        {"card text 1", "EquipSet_ICInfoSet-holder.json", 67 + 2 * 33 + 1, 'a', "check byte mismatch"},
        {"card text 3", "EquipSet_ICInfoSet-holder.json", 67 + 2 * 81, '2', "undecodable text"},
        {"extension text", "EquipSet_ICInfoSet-extension.json", 67 + 2 * 158, 'A', "undecodable text"},
        {"area count", "EquipAlarmSet.json", 69, '2', "area count disagrees"},
        {"four setting parts", "EquipAlarmSet.json", 78, ';', "bad setting text"},
        {"latitude", "EquipAlarmSet.json", 77, 'g', "bad setting text"},
        {"over-speed duration", "EquipAlarmSet.json", 139, '-', "bad setting text"},
        {"interval alone", "Cmd_EquipTempPositionTrack.json", 69, '9', "bad request argument"},
        {"control word arguments", "Cmd_EquipControl.json", 96, 'a', "bad request argument"},
    };
    std::vector<Conversation> malformed;
    for (const auto& m : kMalformed)
        malformed.push_back({m.name, {Patched(examples.at(m.example), m.offset, m.replacement)}, 0, m.problem});
    // An 808 message that ends inside its head and whose id is not key 1's:
    // key 2 is "8900000a013912".
    malformed.push_back({"808 head truncated",
                         {Hex("4750001a 0001 00000000000000000000000000000000 0033 00000033 0000 00000013 0000 01 "
                              "303133393132333435363738 0000000b 0001 01 38313033 00000015 0002 01 "
                              "3839303030303061303133393132")},
                         0,
                         "message id disagrees"});
    check("malformed.pcap", malformed);

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
        check(
            "gb18030-bad.pcap",
            {{"plate",
              {Hex("4750001a 0001 " + std::string(32, '0') + " 0050 0000000f 0000 0000000f 0000 01 ffc1423939393939")},
              0,
              "undecodable text"}},
            gpenc::tool::kGpPort, "GB18030");
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
    check("corpus.pcap", fuzz);

    std::cout << tally.frames << " frames compared, " << tally.fields << " fields compared, " << tally.failures
              << " disagreements (" << examples.size() << " examples, " << fuzz.size() << " corpus inputs, "
              << segments.size() << " segmentation and " << malformed.size() << " malformed conversations)\n";
    return tally.failures ? 1 : 0;
}
