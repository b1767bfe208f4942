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
#include <regex>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;
namespace inspect = gpenc::inspect;
using gpenc::tool::Bytes;
using Json = nlohmann::ordered_json;

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// The "a=b" words of `text` as a map.
std::map<std::string, std::string> Pairs(const char* text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;) out[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
    return out;
}

// How the dissector names the inspector's fields (JSON paths, list indices,
// "_N" of numbered items and the levels that only group others left out): the
// field prefix of the longest path prefix that matches, then the rest of the
// path, renamed where the names differ.
const std::map<std::string, std::string> kPrefixes = Pairs(
    "header.=gpenc. body.=gpenc. parameters.=gpenc.param. tunnel.=gpenc.tunnel. tunnel.argument.=gpenc.request. "
    "tunnel.argument.setting.=gpenc.area. tunnel.argument.message.=gpenc.808. "
    "tunnel.argument.message.body.=gpenc.808.ic. tunnel.argument.message.body.entries.=gpenc.808.param. "
    "tunnel.argument.message.body.count=gpenc.808.param.count "
    "tunnel.argument.message.body.entries.value.=gpenc.808.param.field.");
const std::map<std::string, std::string> kRenamed = Pairs(
    "record_length=length value=text terminal_number=terminal items=item items.name=name area_count=count "
    "texts=ext_text texts.length=ext_text_length text.fill=fill date.valid=date_valid");

std::string FieldOf(const std::string& jsonPath) {
    static const std::regex kLeftOut("(_[0-9]|\\.head|\\.body_properties|\\.extension|\\.areas)(?=\\.)");
    const std::string path = std::regex_replace(jsonPath, kLeftOut, "");
    std::string from, to = "(none) ";
    for (const auto& [prefix, field] : kPrefixes)
        if (StartsWith(path, prefix) && prefix.size() > from.size()) from = prefix, to = field;
    const std::string rest = path.substr(from.size());
    return to + (kRenamed.count(rest) ? kRenamed.at(rest) : rest);
}

// Dissector fields that carry the same inspector value in another type, and
// dissector subtrees without a value of their own.
const std::map<std::string, std::string> kAliases = Pairs(
    "gpenc.param.int32=gpenc.param.text gpenc.param.byte=gpenc.param.text gpenc.param.six=gpenc.param.text "
    "gpenc.tunnel.message_id_text=gpenc.tunnel.message_id gpenc.808.param.number=gpenc.808.param.text "
    "gpenc.808.param.bytes=gpenc.808.param.text");
const std::set<std::string> kGroups = {"gpenc.header", "gpenc.body",      "gpenc.param", "gpenc.tunnel",
                                       "gpenc.808",    "gpenc.808.param", "gpenc.area"};

struct Leaf {
    Json value;
    long offset = -1, size = -1;  // -1: no position compared

    std::string Text() const { return value.dump() + " at " + std::to_string(offset) + "+" + std::to_string(size); }
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
        if (++failures <= 40) std::cerr << "FAIL " << where << ": " << what << '\n';
    }
} tally;

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

std::string Problem(const Json& p, long base) {
    return Utf8(p["what"].get<std::string>() + " at offset " + std::to_string(p["offset"].get<long>() - base) + ": " +
                p["detail"].get<std::string>());
}

struct InspectorWalk {
    View& view;
    long frame, argument = 0;  // where the key-2 text starts in the frame

    // `node`: the value's own node, null for a value derived from its parent.
    // Positions count from the frame, in the tunnelled 808 message from its
    // first byte, in the key-2 text from the text's first character.
    void Add(const std::string& path, const Json& value, const Json* node) {
        Leaf leaf{value};
        if (node && node->contains("offset")) {
            const bool message = StartsWith(path, "tunnel.argument.message."),
                       text = StartsWith(path, "tunnel.argument.");
            leaf.offset = (*node)["offset"].get<long>() - (text ? 0 : frame) + (text && !message ? argument : 0);
            leaf.size = (*node)["size"].get<long>();
        }
        if (path == "tunnel.argument") argument = leaf.offset;
        view.fields[FieldOf(path)].push_back(leaf);
    }

    void Walk(const Json& n, const std::string& path) {
        // Problems inside the tree are the frame's warnings as well.
        if (!n.is_object() || n.contains("what")) return;
        const bool leaf = n.contains("value") && !n["value"].is_structured();
        if (leaf && !path.empty()) Add(path, n["value"], &n);
        for (const auto& [key, child] : n.items()) {
            const std::string at = path.empty() ? key : path + "." + key;
            if (key == "offset" || key == "size" || (key == "value" && leaf) || key == "hex" || key == "error" ||
                key == "warnings" || (key == "meaning" && path != "tunnel.argument"))
                continue;
            if (child.is_array())
                for (const Json& e : child) Walk(e, at);
            else if (child.is_object())
                Walk(child, at);
            else
                Add(at, child, nullptr);
        }
    }
};

// The inspector's frames of one byte stream, and the problem it stopped at.
std::vector<View> InspectorViews(const Bytes& stream, const inspect::RenderOptions& texts) {
    const Json doc = Json::parse(inspect::RenderJson(inspect::DecodeFrames(stream), 2, texts));
    std::vector<View> views;
    long end = 0;
    for (const Json& f : doc["frames"]) {
        View v;
        const long frame = f["offset"].get<long>();
        InspectorWalk{v, frame}.Walk(f, "");
        for (const Json& w : f.value("warnings", Json::array())) v.problems.push_back(Problem(w, frame));
        views.push_back(std::move(v));
        end = frame + f["size"].get<long>();
    }
    if (!doc["error"].is_null()) views.push_back({{}, {Problem(doc["error"], end)}, true});
    return views;
}

struct DissectorWalk {
    View& view;
    long base;

    void Walk(const Json& obj) {
        for (const auto& [key, val] : obj.items()) {
            // _ws.malformed: the group of gpenc.error.
            if (key == "_ws.malformed" || (key.size() > 4 && key.compare(key.size() - 4, 4, "_raw") == 0)) continue;
            const Json items = val.is_array() ? val : Json::array({val});
            const Json* raw = obj.contains(key + "_raw") ? &obj[key + "_raw"] : nullptr;
            for (std::size_t i = 0; i < items.size(); ++i) {
                const Json& item = items[i];
                if (key == "_ws.expert" && (item.contains("gpenc.error") || item.contains("gpenc.warning"))) {
                    view.problems.push_back(item.value("_ws.expert.message", ""));
                } else if (item.is_object() && key != "_ws.expert") {
                    Walk(item);
                } else if (key == "_ws.lua.text" || kGroups.count(key)) {
                    continue;  // a label, or a subtree without a value of its own
                } else if (!StartsWith(key, "gpenc.")) {
                    view.fields["(unknown) " + key].push_back({item});  // none on the inspector's side
                } else {
                    const auto alias = kAliases.find(key);
                    const std::string field = alias == kAliases.end() ? key : alias->second;
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
    }
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The standard output of `command`, by way of the file `out`.
std::string Run(const std::string& command, const fs::path& out) {
    if (std::system((command + " >" + out.string()).c_str()) != 0) tally.Fail(command, "exit status not 0");
    return ReadFile(out);
}

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
    for (const auto& [field, leaves] : got.fields) want.fields[field];  // none on the inspector's side
    for (const auto& [field, leaves] : want.fields) {
        const auto& other = got.fields[field];
        if (other.size() != leaves.size())
            tally.Fail(where, field + ": inspector has " + std::to_string(leaves.size()) + ", dissector " +
                                  std::to_string(other.size()));
        for (std::size_t i = 0; i < leaves.size() && other.size() == leaves.size(); ++i) {
            ++tally.fields;
            const Leaf &w = leaves[i], &g = other[i];
            // tshark gives no position for an empty field.
            if (!SameValue(w.value, g.value) ||
                (w.offset >= 0 && (w.offset != g.offset || w.size != g.size) && (g.size >= 0 || w.size != 0)))
                tally.Fail(where, field + " #" + std::to_string(i + 1) + ": inspector " + w.Text() + ", dissector " +
                                      g.Text());
        }
    }
    std::sort(want.problems.begin(), want.problems.end());
    std::sort(got.problems.begin(), got.problems.end());
    std::string text[2];
    for (int side : {0, 1})
        for (const auto& p : (side ? got : want).problems) text[side] += "\n    " + p;
    if (want.problems != got.problems)
        tally.Fail(where, "problems differ\n  inspector:" + text[0] + "\n  dissector:" + text[1]);
}

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

struct Checker {
    std::string tshark, dissector;
    fs::path work;

    // Runs tshark over `pcap` and compares each conversation's frames, the
    // client's texts read in `codePage` on both sides (the dissector's
    // preference, the inspector's render options).
    void Check(const fs::path& pcap, const std::vector<Conversation>& conversations,
               const std::string& codePage = "UTF-8") {
        const fs::path err = work / (pcap.stem().string() + ".stderr");
        const std::string json = Utf8(Run(tshark + " -n -r " + pcap.string() + " -X lua_script:" + dissector +
                                              " -o gpenc.text_encoding:" + codePage +
                                              " -T json -x --no-duplicate-keys -J 'tcp gpenc' 2>" + err.string(),
                                          work / (pcap.stem().string() + ".json")));
        std::istringstream errors(ReadFile(err));
        for (std::string line; std::getline(errors, line);)
            if (!line.empty() && line.find("Running as user \"root\"") == std::string::npos)
                tally.Fail(pcap.filename().string(), "tshark wrote to stderr: " + line);
        if (json.find("Lua Error") != std::string::npos)
            tally.Fail(pcap.filename().string(), "a Lua error in the tree");
        // Each stream's gpenc trees, with their [hex, pos, len, ...].
        std::map<long, std::vector<std::pair<Json, Json>>> trees;
        for (const Json& packet : Json::parse(json)) {
            const Json& layers = packet["_source"]["layers"];
            if (!layers.contains("gpenc")) continue;
            const Json &g = layers["gpenc"], &r = layers["gpenc_raw"];
            for (std::size_t i = 0; i < (g.is_array() ? g.size() : 1); ++i)
                trees[std::stol(layers["tcp"]["tcp.stream"].get<std::string>())].emplace_back(
                    g.is_array() ? g[i] : g, r[0].is_array() ? r[i] : r);
        }
        for (std::size_t i = 0; i < conversations.size(); ++i)
            CheckConversation(pcap.stem().string() + "/" + conversations[i].name, conversations[i],
                              inspect::CodePage::Find(codePage)->Options(), trees[long(i)]);
    }

    void CheckConversation(const std::string& where, const Conversation& c, const inspect::RenderOptions& texts,
                           const std::vector<std::pair<Json, Json>>& trees) {
        Bytes stream = Concat(c.segments);
        stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(c.skip));
        const std::vector<View> want = InspectorViews(stream, texts);
        std::vector<View> got;
        long skipped = 0;
        for (const auto& [tree, raw] : trees) {
            if (tree.contains("gpenc.skipped")) {
                skipped += raw[2].get<long>();
            } else {
                got.emplace_back();
                DissectorWalk{got.back(), raw[1].get<long>()}.Walk(tree);
            }
        }
        if (skipped != static_cast<long>(c.skip))
            tally.Fail(where, "skipped " + std::to_string(skipped) + " bytes, expected " + std::to_string(c.skip));
        if (got.size() != want.size())
            return tally.Fail(where, "inspector decodes " + std::to_string(want.size()) + " frames, dissector " +
                                         std::to_string(got.size()));
        bool expected = c.expectProblem.empty();
        for (std::size_t i = 0; i < want.size(); ++i) {
            for (const auto& p : want[i].problems) expected = expected || StartsWith(p, c.expectProblem + " at");
            Compare(where + " frame " + std::to_string(i + 1), want[i], got[i]);
        }
        if (!expected) tally.Fail(where, "the inspector does not report \"" + c.expectProblem + "\"");
    }

    // Writes `conversations` to the capture `name` (to `port`) and checks them.
    void CheckWritten(const char* name, const std::vector<Conversation>& conversations,
                      std::uint16_t port = gpenc::tool::kGpPort, const char* codePage = "UTF-8") {
        gpenc::tool::PcapWriter w(port);
        for (const Conversation& c : conversations) w.Conversation(c.segments);
        std::ofstream(work / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(w.File().data()), std::streamsize(w.File().size()));
        Check(work / name, conversations, codePage);
    }
};

Bytes Hex(const std::string& text) { return inspect::ParseHex(text).value; }

// The frames a `gpenc demo` run prints, each under its request's name.
std::vector<std::pair<std::string, Bytes>> DemoFrames(const std::string& command, const fs::path& file) {
    std::istringstream demo(Run(command, file));
    std::vector<std::pair<std::string, Bytes>> out;
    std::string name;
    for (std::string line; std::getline(demo, line);)
        if (StartsWith(line, "==== "))
            name = line.substr(5);
        else if (!name.empty())
            out.emplace_back(std::exchange(name, {}), Hex(line));
    return out;
}

// A command-0x33 frame tunnelling `message` (hex text, key 2) for `terminal`
// (key 0) under message id `id` (key 1); the records written out here.
Bytes TunnelFrame(const std::string& terminal, const std::string& id, const std::string& message) {
    Bytes params;
    for (const auto& [key, text] : {std::pair(0, terminal), std::pair(1, id), std::pair(2, message)}) {
        const std::size_t n = text.size() + 7;
        for (const int shift : {24, 16, 8, 0}) params.push_back(static_cast<std::uint8_t>(n >> shift));
        params.insert(params.end(), {0, static_cast<std::uint8_t>(key), 1});
        params.insert(params.end(), text.begin(), text.end());
    }
    char counts[16];
    std::snprintf(counts, sizeof counts, "%08zx", params.size());
    return Concat({Hex("4750001a 0001 " + std::string(32, '0') + " 0033 " + counts + " 0000"), params});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::cerr << "usage: " << argv[0] << " TSHARK DISSECTOR GPENC REQUESTS_DIR CORPUS_DIR WORK_DIR\n";
        return 2;
    }
    const std::string gpenc = argv[3], examples_dir = argv[4];
    const fs::path corpus = argv[5], work = argv[6];
    fs::create_directories(work);
    Checker checker{argv[1], argv[2], work};

    // Every example request, through the tool's own pcap output in segments of
    // 7 bytes: frames across segments, a frame ending and the next beginning in
    // one segment.
    std::map<std::string, Bytes> examples;
    std::vector<Bytes> frames;
    for (const auto& [name, frame] :
         DemoFrames(gpenc + " demo --segment 7 --pcap " + (work / "demo.pcap").string(), work / "demo.txt"))
        frames.push_back(examples[name] = frame);
    if (frames.size() < 20) tally.Fail("demo", "fewer example frames than expected: " + std::to_string(frames.size()));
    checker.Check(work / "demo.pcap", {{"examples", gpenc::tool::Segments(frames, 7)}});
    // The capture itself, byte for byte: the file header and the data segment of
    // `encode --pcap` (packet 4, after the handshake), checksums worked out by hand.
    Run(gpenc + " encode --pcap " + (work / "encode.pcap").string() + " " + examples_dir + "/CommonData-2.json",
        work / "encode.txt");
    const std::string capture = ReadFile(work / "encode.pcap");
    const auto has = [&capture](std::size_t at, const Bytes& b) {
        return capture.compare(at, b.size(), std::string(b.begin(), b.end())) == 0;
    };
    if (capture.size() != 614 || !has(0, Hex("d4c3b2a1 0200 0400 00000000 00000000 00000400 01000000")) ||
        !has(24 + 3 * (16 + 54) + 16, Hex("020000000002 020000000001 0800 "                    // Ethernet
                                          "4500 0046 0004 4000 40 06 3cab 7f000001 7f000002 "  // IPv4, checksum 3cab
                                          "c350 1e80 10000001 20000001 50 18 ffff 586b 0000 "  // TCP, checksum 586b
                                          "4750001a 0001 00000000000000000000000000000000 0002 00000000 0000")))
        tally.Fail("encode.pcap", "the capture differs from the bytes written out");

    // The same frames, one a segment on another port: found by content.
    std::vector<Conversation> heuristic;
    for (const auto& [name, frame] : examples) heuristic.push_back({name, {frame}});
    checker.CheckWritten("heuristic.pcap", heuristic, 9000);

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
    checker.CheckWritten("segments.pcap", segments);

    // Malformed frames: a character of an example frame replaced, one row for
    // each way of failing and each kind of text; both decoders must report the
    // problem named. Key 2's text starts at offset 67 in the tunnelled requests
    // (terminal number "013912345678", message id text of 4 characters), so
    // 67 + 2 * n is the 808 message's byte n.
    const std::tuple<const char*, const char*, std::size_t, char, const char*> kMalformed[] = {
        {"record past the end", "UserLogin-operator.json", 67, 'A', "parameter length disagrees"},
        {"3 bytes after the records", "EquipSet-plate.json", 63, 'f', "parameter length disagrees"},
        {"record length", "Cmd_sTimeInterval.json", 33, '\x05', "bad record length"},
        {"record length of its kind", "Cmd_sCommitInterval.json", 33, 'A', "bad record length"},
        {"value kind", "Cmd_sTimeInterval.json", 36, '\x02', "unknown value kind"},
        {"DEL in a UTF-8 text", "Realtime-plate.json", 40, '\x7f', ""},
        {"808 message id", "Cmd_AffirmAlarmInform.json", 56, '1', "unknown 808 message id"},
        {"upper-case hex", "EquipSet.json", 67 + 2 * 12, 'A', "upper-case hex digit"},
        {"phone number", "EquipSet.json", 67 + 2 * 4, 'F', "phone number not BCD"},
        {"808 body past the end", "EquipSet_ICInfoSet.json", 67 + 2 * 3 + 1, '9', "808 message truncated"},
        {"808 body property bits", "EquipSet-list.json", 67 + 2 * 2, '9', "unexpected body property bits"},
        {"808 parameter length", "EquipSet-list.json", 67 + 2 * 17 + 1, '1', "bad parameter length"},
        {"STRING parameter not UTF-8", "EquipSet-plate.json", 67 + 2 * 45, 'a', "undecodable text"},
        {"808 id not key 1's", "EquipSet_ICInfoSet-holder.json", 67 + 2 * 1, '2', "message id disagrees"},
        {"card text 1", "EquipSet_ICInfoSet-holder.json", 67 + 2 * 33 + 1, 'a', "check byte mismatch"},
        {"extension text", "EquipSet_ICInfoSet-extension.json", 67 + 2 * 158, 'A', "undecodable text"},
        {"area count", "EquipAlarmSet.json", 69, '2', "area count disagrees"},
        {"four setting parts", "EquipAlarmSet.json", 78, ';', "bad setting text"},
        {"latitude", "EquipAlarmSet.json", 77, 'g', "bad setting text"},
        {"over-speed duration", "EquipAlarmSet.json", 139, '-', "bad setting text"},
        {"interval alone", "Cmd_EquipTempPositionTrack.json", 69, '9', "bad request argument"},
        {"control word arguments", "Cmd_EquipControl.json", 96, 'a', "bad request argument"},
    };
    std::vector<Conversation> malformed;
    for (const auto& [name, example, offset, replacement, problem] : kMalformed) {
        Bytes frame = examples.at(example);
        frame.at(offset) = static_cast<std::uint8_t>(replacement);
        malformed.push_back({name, {frame}, 0, problem});
    }
    // An 808 message that ends inside its head and whose id is not key 1's.
    malformed.push_back(
        {"808 head truncated", {TunnelFrame("013912345678", "8103", "8900000a013912")}, 0, "message id disagrees"});
    checker.CheckWritten("malformed.pcap", malformed);

    // The client's texts in its code page: the examples whose frames GB18030
    // (GBK for Chinese texts) changes, read back with the preference, and one
    // plate number whose first byte is no GB18030 lead byte.
    std::vector<Conversation> gb;
    for (const auto& [name, frame] : DemoFrames(gpenc + " --code-page GB18030 demo", work / "gb18030.txt"))
        if (frame != examples[name]) gb.push_back({name, {frame}});
    if (gb.empty()) tally.Fail("gb18030", "no example frame differs from its UTF-8 one");
    gb.push_back(
        {"plate",
         {Hex("4750001a 0001 " + std::string(32, '0') + " 0050 0000000f 0000 0000000f 0000 01 ffc1423939393939")},
         0,
         "undecodable text"});
    checker.CheckWritten("gb18030.pcap", gb, gpenc::tool::kGpPort, "GB18030");

    // The 2019 head written out by hand, one row for each way it fails. The
    // corpus below holds its sound messages: the 2019 parameter ids (version
    // 2, a 20-digit number) and both card layouts.
    std::vector<Conversation> v2019;
    const std::tuple<const char*, const char*, const char*, const char*> k2019[] = {
        {"BYTE[4] of 3", "013912345678", "8103400901000000000139123456780001 01 00000032 03 080012",
         "bad parameter length"},
        {"20 digits not the terminal's", "013912345679", "8103400a01000000000139123456780001 01 00000001 04 0000001e",
         "phone number disagrees"},
        {"not BCD", "013912345678", "8103400a010000000001391234567a0001 01 00000001 04 0000001e",
         "phone number not BCD"},
        {"bit 15", "013912345678", "8103c00a01000000000139123456780001 01 00000001 04 0000001e",
         "unexpected body property bits"},
        {"head cut in the number", "013912345678", "8103400a010000000001", "808 message truncated"},
    };
    for (const auto& [name, terminal, message, problem] : k2019) {
        std::string text = message;
        text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
        v2019.push_back({name, {TunnelFrame(terminal, text.substr(0, 4), text)}, 0, problem});
    }
    checker.CheckWritten("jt808-2019.pcap", v2019);

    // Structured parameter values (JT/T 1078's, the active-safety ones) under
    // both heads: the published bodies of the inspector's tests, and values
    // whose counts or lengths do not fit.
    const std::tuple<const char*, const char*, const char*> kStructured[] = {
        {"1078", "070000007515030500040700000006080A00090C0000000B000201000000761B02010303020001070604050B0A08090F0E0C0D"
                 "1312101117161415000000772B0201030500040700000006080A00090C0000000B000201030500040700000006080A00090C00"
                 "00000B000200000079030302010000007A04000000010000007B0201020000007C140103020A00230012004500340067005600"
                 "890078",
         ""},
        {"ADAS", "010000F36438052D030002000122231D26000000040000000A1E09152B08180F0E14291011122A16170D13280C0B1C192C1B1A"
                 "2425270607202101020304",
         ""},
        {"DSM", "010000F3652F052D030002000122231D26000000040000000A003E002E0102033941373831402F3033423C3D3234353F3A3B360506",
         ""},
        {"TPMS and BSD", "020000F366243939393939393939393939390008000400060005000300020001000A00070102030405060000F367020201",
         ""},
        {"Guangdong lengths",
         "07000000751501010001010000000102020002020000000200030300000079030000000000007b0200000000007c140000000000000000"
         "0000000000000000000000000000f36439ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff"
         "ffffffffffffffffffffffffffffffffffffffff0000f36541ffffffffffffffffffffffffffffffffffffffffffffff000000ffffff"
         "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff0000f36702ffff",
         "unknown parameter"},
        {"0x0075 of 20", "0100000075140305000407000000060800000000000000000002", "bad parameter length"},
        {"0x0076 counts short", "010000007602 0101", "bad parameter length"},
        {"0x0076 counts disagree", "010000007606 010000 030201", "bad parameter length"},
        {"0x0077 count disagrees", "010000007716 02 010305000407000000060800000000000000000002", "bad parameter length"},
        {"wake-up time not BCD", "010000007c14 0103020a 0a23 0012 0045 0034 0067 0056 0089 0078", ""},
    };
    std::vector<Conversation> structured;
    for (const auto& [name, body, problem] : kStructured) {
        std::string text = body;
        text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
        for (const bool v2019 : {false, true}) {
            char head[64];
            std::snprintf(head, sizeof head, "8103%04zx%s000a", (text.size() / 2) | (v2019 ? 0x4000 : 0),
                          v2019 ? "0100000000000123456789" : "000123456789");
            std::string message = head + text;
            std::transform(message.begin(), message.end(), message.begin(), ::tolower);
            structured.push_back(
                {std::string(name) + (v2019 ? ", 2019" : ""), {TunnelFrame("000123456789", "8103", message)}, 0, problem});
        }
    }
    checker.CheckWritten("structured.pcap", structured);

    // Fuzz-corpus inputs that the inspector reads as whole frames.
    std::vector<Conversation> fuzz;
    for (const fs::path& f : std::set<fs::path>(fs::directory_iterator(corpus), {})) {
        const std::string text = ReadFile(f);
        const Bytes bytes(text.begin(), text.end());
        const inspect::Dump d = inspect::DecodeFrames(bytes);
        if (!d.error && !d.frames.empty()) fuzz.push_back({f.filename().string(), {bytes}});
    }
    checker.CheckWritten("corpus.pcap", fuzz);

    std::cout << tally.frames << " frames compared, " << tally.fields << " fields compared, " << tally.failures
              << " disagreements\n";
    return tally.failures ? 1 : 0;
}
