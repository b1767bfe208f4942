// gpenc: encodes one JSON request with the library, dumps GP frames field by
// field, and runs the example requests. Exit codes: 0 done, 1 the builder
// returned false, 2 the input (request, hex text, frame, option) or the output
// is at fault.
#include "CodePage.h"
#include "Logging.h"
#include "Pcap.h"
#include "Platform.h"
#include "Request.h"
#include "Stream.h"
#include "Text.h"

#include "gpenc/Host.h"
#include "gpenc/Inspect.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>
#if !defined(_WIN32)
#  include <fcntl.h>
#endif

namespace fs = std::filesystem;
using gpenc::inspect::Bytes;
using gpenc::tool::InputError;
using gpenc::tool::Json;

namespace {

constexpr int kBuilderFailed = 1;
constexpr int kBadInput = 2;

const char kFooter[] = R"(Requests: one JSON object; "builder" names a CEncoder builder and the other
members are the fields of its input record, named as in gpenc/Encoder.h
(`gpenc builders` lists them). Every field the builder reads for the request is
required (some only in some requests, as `gpenc builders` says), none twice and
no other: a request states the whole record, so a typo or a left-out field is
an error, never a silent zero. Texts are sent in the code page of
--code-page (UTF-8 unless it names another; GBK is the client's), and dumps
show texts from it. Byte arrays and six-byte times are hex text
("250102080000"), integers may be written "0x..." and must fit their field.
Subscription with "text" is its two-argument form; EquipSet with "list" (a
list of records) its list form.

Exit codes: 0 done (for the list form of EquipSet, stderr names each record
the library left out of the message: an unknown parameter id, a value it cannot
encode), 1 the builder returned false (its ERROR records are shown, then the
library's reason, gpenc::LastFailure()), 2 bad input (malformed JSON or nested
deeper than 16 levels, unknown builder or field, missing or repeated field,
value out of range, bad hex text, a truncated or corrupt frame, an unreadable
file) or output that cannot be written; one line on stderr names the file and
the position or the option at fault.
A dump prints each frame as soon as it is read. A tunnelled JT/T 808 message
reads under either head: 2013, or 2019 when the version flag (body properties
bit 14) is set, with its protocol version byte, 20-digit number and the 2019
parameter ids. It shows what a sound frame holds that this system would not
send (another version, an unknown message id, a check byte that does not
match) as warnings in place, and exits 0. With
--json it writes JSON Lines: one object per frame ({"frame": N, "clean": ...,
the fields with their offsets}) and, when the input ends in a bad frame, a
last line {"error": {...}}.
)";

// The whole of `path` ("-": standard input).
std::string ReadAll(const std::string& path) {
    if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) throw InputError("cannot open " + path + ": " + std::strerror(errno));
    try {
        std::string text(std::istreambuf_iterator<char>(in), {});
        if (!in.bad()) return text;
    } catch (const std::ios_base::failure&) {
        // libstdc++ throws from the stream buffer when reading a directory.
    }
    throw InputError("cannot read " + path);
}

Bytes HexOrFail(const std::string& text, const std::string& what) {
    auto bytes = gpenc::inspect::ParseHex(text);
    if (!bytes.ok()) throw InputError(what + ": " + bytes.error->Describe());
    return bytes.value;
}

void SetSession(const std::string& text) {
    const Bytes id = HexOrFail(text, "--session");
    if (id.size() != 16 || text.size() != 32)
        throw InputError("--session: expected 32 hex digits, got \"" + text + "\"");
    CSessionData::SetSession(id.data());
}

// The options every subcommand takes: logging, the frames' session id and the
// code page of their texts.
struct CommonOptions {
    bool verbose = false;
    std::string logConfig, session, codePage = "UTF-8";
};

void AddCommonOptions(CLI::App& app, CommonOptions& o) {
    auto* verbose = app.add_flag("-v,--verbose", o.verbose, "the library's DEBUG records to stderr");
    app.add_option("--log-config", o.logConfig, "a log4cplus properties file configuring the \"gpenc\" logger")
        ->excludes(verbose);
    app.add_option("--session", o.session, "session id of the frames, 32 hex digits (default: all zero)");
    app.add_option("--code-page", o.codePage,
                   "code page of the frames' texts: encode and demo send texts in it, dump shows them from it "
                   "(UTF-8, GBK, CP936, GB18030, ...)")
        ->capture_default_str();
}

// The common options in effect for one run. Of several bad ones, the first
// in this order is the one reported: logging, session id, code page.
struct Common {
    explicit Common(const CommonOptions& o) : logging(o.verbose, o.logConfig) {
        if (!o.session.empty()) SetSession(o.session);
        page = gpenc::tool::FindCodePage(o.codePage);
    }

    gpenc::tool::LoggingSession logging;
    gpenc::inspect::CodePage page;
};

// The frame of one request from `source`. Throws InputError, naming the
// source, for a request that does not fit its builder; returns false (the
// builder's ERROR records written to stderr, then the library's reason on a
// line of its own) when the builder refuses it.
bool Encode(const std::string& text, const std::string& source, Bytes& frame, Common& common) {
    std::vector<unsigned char> out;
    try {
        Json request = gpenc::tool::ParseRequest(text);
        gpenc::tool::ToCodePage(request, common.page);
        const gpenc::tool::Builder& builder = gpenc::tool::FindBuilder(request);
        gpenc::tool::ErrorLog& log = common.logging.errors();
        log.Clear();
        if (!builder.encode(request, out)) {
            // The request's texts in it are in the request's code page.
            const std::string reason = gpenc::LastFailure();
            std::string shown;
            if (!common.page.ToUtf8(reason, shown)) shown = reason;
            std::cerr << "gpenc: " << builder.name << " returned false for " << source;
            const auto& errors = log.Errors();
            std::cerr << (errors.empty() ? " (it logged no ERROR record)\n" : "; it logged:\n");
            for (const auto& e : errors) std::cerr << "  ERROR " << e << '\n';
            std::cerr << "gpenc: " << shown << '\n';
            return false;
        }
    } catch (const InputError& e) { throw InputError(source + ": " + e.what()); }
    frame.assign(out.begin(), out.end());
    return true;
}

// Prints the frames of an encoded request as `gpenc dump` does.
void Dump(const Bytes& bytes, const std::string& source, const Common& common) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    gpenc::tool::DumpFrames(*gpenc::tool::RawBytes(in, source), false, std::cout, common.page.Options());
}

std::string HexOf(const Bytes& bytes) {
    std::string hex;
    gpenc::detail::AppendHex(hex, bytes.data(), bytes.size());
    return hex;
}

// --pcap and --segment, for the subcommands that encode.
struct CaptureOptions {
    std::string path;
    std::size_t segment = 0;
};

void AddCaptureOptions(CLI::App& sub, CaptureOptions& o) {
    sub.add_option("--pcap", o.path, "also write the frames as a TCP conversation to this pcap file");
    sub.add_option("--segment", o.segment, "with --pcap: TCP segments of at most this many bytes (0: one a frame)");
}

// The frames as a TCP capture, when --pcap asks for one.
void SavePcap(const CaptureOptions& o, const std::vector<Bytes>& frames) {
    if (!o.path.empty() && !gpenc::tool::WritePcap(o.path.c_str(), frames, o.segment))
        throw InputError("cannot write " + o.path + ": " + std::strerror(errno));
}

struct EncodeOptions {
    std::string request = "-", format = "hex";
    CaptureOptions capture;
};

CLI::App* AddEncode(CLI::App& app, EncodeOptions& o) {
    auto* sub = app.add_subcommand("encode", "encode one JSON request; prints the frame");
    sub->add_option("request", o.request, "request file, - for standard input")->capture_default_str();
    sub->add_option("--format", o.format, "hex (lower-case, one line), raw (the bytes) or dump")
        ->check(CLI::IsMember({"hex", "raw", "dump"}))
        ->capture_default_str();
    AddCaptureOptions(*sub, o.capture);
    return sub;
}

int RunEncode(const EncodeOptions& o, Common& common) {
    const std::string source = o.request == "-" ? "standard input" : o.request;
    Bytes frame;
    if (!Encode(ReadAll(o.request), source, frame, common)) return kBuilderFailed;
    SavePcap(o.capture, {frame});
    if (o.format == "raw")
        std::cout.write(reinterpret_cast<const char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
    else if (o.format == "dump")
        Dump(frame, source, common);
    else
        std::cout << HexOf(frame) << '\n';
    return 0;
}

struct DumpOptions {
    std::string hex = "-", file;
    bool json = false;
};

CLI::App* AddDump(CLI::App& app, DumpOptions& o) {
    auto* sub = app.add_subcommand("dump", "show GP frames field by field, with offsets");
    auto* hex = sub->add_option("hex", o.hex, "frames as hex text (blanks allowed), - for standard input");
    sub->add_option("--file", o.file, "read the frames as raw bytes from this file")->excludes(hex);
    sub->add_flag("--json", o.json, "print JSON Lines, one object per frame, instead of text");
    return sub;
}

int RunDump(const DumpOptions& o, const Common& common) {
    std::ifstream raw;
    std::istringstream text(o.hex == "-" ? std::string() : o.hex);
    std::unique_ptr<gpenc::tool::ByteSource> source;
    if (!o.file.empty()) {
        raw.open(o.file, std::ios::binary);
        if (!raw.is_open()) throw InputError("cannot open " + o.file + ": " + std::strerror(errno));
        source = gpenc::tool::RawBytes(raw, o.file);
    } else if (o.hex == "-") {
        source = gpenc::tool::HexBytes(std::cin, "standard input");
    } else {
        source = gpenc::tool::HexBytes(text, "hex text");
    }
    gpenc::tool::DumpFrames(*source, o.json, std::cout, common.page.Options());
    return 0;
}

struct DemoOptions {
    std::string dir;
    CaptureOptions capture;
};

CLI::App* AddDemo(CLI::App& app, DemoOptions& o) {
    auto* sub = app.add_subcommand("demo", "encode and dump every example request");
    sub->add_option("dir", o.dir, "directory of *.json requests (default: the examples)");
    AddCaptureOptions(*sub, o.capture);
    return sub;
}

// The example requests: installed beside the tool, else in the source tree.
fs::path RequestsDir() {
    std::error_code ec;
    const fs::path exe = gpenc::tool::ExecutablePath(ec);
    if (!ec) {
        const fs::path installed = exe.parent_path() / GPENC_INSTALLED_REQUESTS;
        if (fs::is_directory(installed, ec)) return installed;
    }
    return GPENC_SOURCE_REQUESTS;
}

// Encodes and dumps every request of the directory, those after a failed one
// too, and writes the capture of the frames encoded.
int RunDemo(const DemoOptions& o, Common& common) {
    const fs::path dir = o.dir.empty() ? RequestsDir() : fs::path(o.dir);
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    if (ec || files.empty()) throw InputError("no example requests (*.json) in " + dir.string());
    std::sort(files.begin(), files.end());
    std::vector<Bytes> frames;
    int rc = 0;
    std::size_t failed = 0;
    for (const fs::path& file : files) {
        std::cout << "==== " << file.filename().string() << '\n';
        int fileRc = 0;
        try {
            Bytes frame;
            if (Encode(ReadAll(file.string()), file.string(), frame, common)) {
                std::cout << HexOf(frame) << "\n\n";
                frames.push_back(frame);
                Dump(frame, file.string(), common);
            } else {
                fileRc = kBuilderFailed;
            }
        } catch (const InputError& e) {
            std::cout.flush();
            std::cerr << "gpenc: " << e.what() << '\n';
            fileRc = kBadInput;
        }
        rc = std::max(rc, fileRc);
        failed += fileRc != 0;
        std::cout << '\n';
    }
    std::cout << files.size() << " requests, " << failed << " failed\n";
    SavePcap(o.capture, frames);
    return rc;
}

// Each builder and form, then a line per field it reads: path, type and
// range, meaning, in columns.
int RunBuilders() {
    for (const auto& b : gpenc::tool::Builders()) {
        std::cout << b.name << (b.marker.empty() ? "" : " (with " + b.marker + ")") << '\n';
        std::size_t name = 0, type = 0;
        for (const auto& f : b.fields) name = std::max(name, f.name.size()), type = std::max(type, f.type.size());
        for (const auto& f : b.fields)
            std::cout << "    " << f.name << std::string(name + 2 - f.name.size(), ' ') << f.type
                      << std::string(type + 2 - f.type.size(), ' ') << f.meaning << '\n';
    }
    return 0;
}

// The exit code when the command line ends the run: help asked for, or what
// is wrong with it in one line.
std::optional<int> Parse(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::CallForHelp& e) { return app.exit(e); } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // CLI11 takes an unknown subcommand for a missing one.
        const auto extra = app.remaining();
        if (app.get_subcommands().empty() && !extra.empty() && extra.front().rfind('-', 0) != 0)
            std::cerr << "gpenc: unknown subcommand \"" << extra.front() << "\" (see gpenc --help)\n";
        else
            std::cerr << "gpenc: " << e.what() << " (see gpenc --help)\n";
        return kBadInput;
    }
}

// The output so far, then the one line that says what went wrong.
void FlushBefore(const std::string& what) {
    std::cout.flush();
    std::cerr << "gpenc: " << what << '\n';
}

// The exit code of `run`; an error it throws becomes its one line and exit code 2.
template <typename F>
int Reporting(const F& run) {
    try {
        return run();
    } catch (const InputError& e) { FlushBefore(e.what()); } catch (const gpenc::tool::OutputError& e) {
        std::cerr << "gpenc: " << e.what() << '\n';
    } catch (const std::exception& e) {
        // Not expected; still one line and an exit code rather than an abort.
        FlushBefore(std::string("unexpected error: ") + e.what());
    }
    return kBadInput;
}

int Run(int argc, char** argv) {
    CLI::App app{"gpenc: encode GP frames from JSON requests and dump frames field by field"};
    app.allow_windows_style_options(false);  // "/data/request.json" is a path
    app.require_subcommand(1);
    app.fallthrough();
    CommonOptions common;
    EncodeOptions encode;
    DumpOptions dump;
    DemoOptions demo;
    AddCommonOptions(app, common);
    const CLI::App* encodeCommand = AddEncode(app, encode);
    const CLI::App* dumpCommand = AddDump(app, dump);
    const CLI::App* demoCommand = AddDemo(app, demo);
    app.add_subcommand("builders", "list the builders and the fields of their requests");
    // Set after the subcommands, which would take it on: their help is their options alone.
    app.footer(kFooter);
    if (const auto rc = Parse(app, argc, argv)) return *rc;

    return Reporting([&] {
        Common shared(common);
        if (*encodeCommand) return RunEncode(encode, shared);
        if (*dumpCommand) return RunDump(dump, shared);
        if (*demoCommand) return RunDemo(demo, shared);
        return RunBuilders();
    });
}

}  // namespace

int main(int argc, char** argv) {
    gpenc::tool::PrepareConsole();
#if !defined(_WIN32)
    // With standard output closed, the next file opened would take its place
    // and receive the output: hold the place with one that refuses writes.
    if (fcntl(1, F_GETFD) == -1) open("/dev/null", O_RDONLY);
#endif
    const int rc = Run(argc, argv);
    if (rc == kBadInput) return rc;  // its one line is written
    // Output that cannot be written is an error, not a success.
    try {
        gpenc::tool::CheckOutput(std::cout, true);
    } catch (const gpenc::tool::OutputError& e) {
        std::cerr << "gpenc: " << e.what() << '\n';
        return kBadInput;
    }
    return rc;
}
