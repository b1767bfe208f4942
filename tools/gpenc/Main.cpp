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
#include <sstream>
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
(`gpenc builders` lists them). Every field the builder reads is required and
no other is accepted: a request states the whole record, so a typo or a left-out
field is an error, never a silent zero. Texts are sent in the code page of
--code-page (UTF-8 unless it names another; GBK is the client's), and dumps
show texts from it. Byte arrays and six-byte times are hex text
("250102080000"), integers may be written "0x..." and must fit their field.
Subscription with "text" is its two-argument form; EquipSet with "list" (a
list of records) its list form.

Exit codes: 0 done, 1 the builder returned false (its ERROR records are shown),
2 bad input (malformed JSON, unknown builder or field, missing field, value out
of range, bad hex text, a truncated or corrupt frame, an unreadable file) or
output that cannot be written; one line on stderr names the file and the
position or the option at fault.
A dump prints each frame as soon as it is read. It shows what a sound frame
holds that this system would not send (another version, an unknown message id,
a check byte that does not match) as warnings in place, and exits 0. With
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

std::string HexOf(const Bytes& bytes) {
    std::string hex;
    gpenc::detail::AppendHex(hex, bytes.data(), bytes.size());
    return hex;
}

void SetSession(const std::string& text) {
    const Bytes id = HexOrFail(text, "--session");
    if (id.size() != 16 || text.size() != 32)
        throw InputError("--session: expected 32 hex digits, got \"" + text + "\"");
    CSessionData::SetSession(id.data());
}

// The frame of one request from `source`. Throws InputError, naming the
// source, for a request that does not fit its builder; returns false (the
// builder's ERROR records written to stderr) when the builder refuses it.
bool Encode(const std::string& text, const std::string& source, Bytes& frame, gpenc::tool::ErrorLog& log,
            const gpenc::inspect::CodePage& page) {
    std::vector<unsigned char> out;
    try {
        Json request = gpenc::tool::ParseRequest(text);
        gpenc::tool::ToCodePage(request, page);
        const gpenc::tool::Builder& builder = gpenc::tool::FindBuilder(request);
        log.Clear();
        if (!builder.encode(request, out)) {
            std::cerr << "gpenc: " << builder.name << " returned false for " << source;
            const auto& errors = log.Errors();
            std::cerr << (errors.empty() ? " (it logged no ERROR record)\n" : "; it logged:\n");
            for (const auto& e : errors) std::cerr << "  ERROR " << e << '\n';
            return false;
        }
    } catch (const InputError& e) { throw InputError(source + ": " + e.what()); }
    frame.assign(out.begin(), out.end());
    return true;
}

// Prints the frames of an encoded request as `gpenc dump` does.
void Dump(const Bytes& bytes, const std::string& source, const gpenc::inspect::CodePage& page) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    gpenc::tool::DumpFrames(*gpenc::tool::RawBytes(in, source), false, std::cout, page.Options());
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

// Encodes and dumps every request of `dir`, those after a failed one too;
// `frames` collects the encoded frames for the capture file.
int Demo(const fs::path& dir, gpenc::tool::ErrorLog& log, const gpenc::inspect::CodePage& page,
         std::vector<Bytes>& frames) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    if (ec || files.empty()) throw InputError("no example requests (*.json) in " + dir.string());
    std::sort(files.begin(), files.end());
    int rc = 0;
    std::size_t failed = 0;
    for (const fs::path& file : files) {
        std::cout << "==== " << file.filename().string() << '\n';
        int fileRc = 0;
        try {
            Bytes frame;
            if (Encode(ReadAll(file.string()), file.string(), frame, log, page)) {
                std::cout << HexOf(frame) << "\n\n";
                frames.push_back(frame);
                Dump(frame, file.string(), page);
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
    return rc;
}

// The frames as a TCP capture, when --pcap asks for one.
void SavePcap(const std::string& path, const std::vector<Bytes>& frames, std::size_t segmentSize) {
    if (!path.empty() && !gpenc::tool::WritePcap(path.c_str(), frames, segmentSize))
        throw InputError("cannot write " + path + ": " + std::strerror(errno));
}

void ListBuilders() {
    for (const auto& b : gpenc::tool::Builders()) {
        std::cout << b.name << (b.marker.empty() ? "" : " (with " + b.marker + ")") << '\n';
        for (const auto& f : b.fields) std::cout << "    " << f.name << ": " << f.type << '\n';
    }
}

// The output so far, then the one line that says what went wrong.
void FlushBefore(const std::string& what) {
    std::cout.flush();
    std::cerr << "gpenc: " << what << '\n';
}

int Run(int argc, char** argv) {
    CLI::App app{"gpenc: encode GP frames from JSON requests and dump frames field by field"};
    app.allow_windows_style_options(false);  // "/data/request.json" is a path
    app.footer(kFooter);
    app.require_subcommand(1);
    app.fallthrough();

    bool verbose = false;
    std::string logConfig, session, codePage = "UTF-8";
    auto* verboseFlag = app.add_flag("-v,--verbose", verbose, "the library's DEBUG records to stderr");
    app.add_option("--log-config", logConfig, "a log4cplus properties file configuring the \"gpenc\" logger")
        ->excludes(verboseFlag);
    app.add_option("--session", session, "session id of the frames, 32 hex digits (default: all zero)");
    app.add_option("--code-page", codePage,
                   "code page of the frames' texts: encode and demo send texts in it, dump shows them from it "
                   "(UTF-8, GBK, CP936, GB18030, ...)")
        ->capture_default_str();

    auto* encode = app.add_subcommand("encode", "encode one JSON request; prints the frame");
    std::string request = "-", format = "hex";
    encode->add_option("request", request, "request file, - for standard input")->capture_default_str();
    encode->add_option("--format", format, "hex (lower-case, one line), raw (the bytes) or dump")
        ->check(CLI::IsMember({"hex", "raw", "dump"}))
        ->capture_default_str();

    auto* dump = app.add_subcommand("dump", "show GP frames field by field, with offsets");
    std::string hex = "-", file;
    bool json = false;
    auto* hexArg = dump->add_option("hex", hex, "frames as hex text (blanks allowed), - for standard input");
    dump->add_option("--file", file, "read the frames as raw bytes from this file")->excludes(hexArg);
    dump->add_flag("--json", json, "print JSON Lines, one object per frame, instead of text");

    auto* demo = app.add_subcommand("demo", "encode and dump every example request");
    std::string requestsDir;
    demo->add_option("dir", requestsDir, "directory of *.json requests (default: the examples)");

    std::string pcap;
    std::size_t segment = 0;
    for (auto* sub : {encode, demo}) {
        sub->add_option("--pcap", pcap, "also write the frames as a TCP conversation to this pcap file");
        sub->add_option("--segment", segment, "with --pcap: TCP segments of at most this many bytes (0: one a frame)");
    }

    auto* builders = app.add_subcommand("builders", "list the builders and the fields of their requests");

    try {
        app.parse(argc, argv);
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

    try {
        gpenc::tool::LoggingSession logging(verbose, logConfig);
        if (!session.empty()) SetSession(session);
        const gpenc::inspect::CodePage page = gpenc::tool::FindCodePage(codePage);
        if (*builders) {
            ListBuilders();
        } else if (*encode) {
            Bytes frame;
            if (!Encode(ReadAll(request), request == "-" ? "standard input" : request, frame, logging.errors(), page))
                return kBuilderFailed;
            SavePcap(pcap, {frame}, segment);
            if (format == "raw")
                std::cout.write(reinterpret_cast<const char*>(frame.data()),
                                static_cast<std::streamsize>(frame.size()));
            else if (format == "dump")
                Dump(frame, request == "-" ? "standard input" : request, page);
            else
                std::cout << HexOf(frame) << '\n';
        } else if (*dump) {
            std::ifstream raw;
            std::istringstream text(hex == "-" ? std::string() : hex);
            std::unique_ptr<gpenc::tool::ByteSource> source;
            if (!file.empty()) {
                raw.open(file, std::ios::binary);
                if (!raw.is_open()) throw InputError("cannot open " + file + ": " + std::strerror(errno));
                source = gpenc::tool::RawBytes(raw, file);
            } else if (hex == "-") {
                source = gpenc::tool::HexBytes(std::cin, "standard input");
            } else {
                source = gpenc::tool::HexBytes(text, "hex text");
            }
            gpenc::tool::DumpFrames(*source, json, std::cout, page.Options());
        } else {
            std::vector<Bytes> frames;
            const int rc =
                Demo(requestsDir.empty() ? RequestsDir() : fs::path(requestsDir), logging.errors(), page, frames);
            SavePcap(pcap, frames, segment);
            return rc;
        }
    } catch (const InputError& e) {
        FlushBefore(e.what());
        return kBadInput;
    } catch (const gpenc::tool::OutputError& e) {
        std::cerr << "gpenc: " << e.what() << '\n';
        return kBadInput;
    } catch (const std::exception& e) {
        // Not expected; still one line and an exit code rather than an abort.
        FlushBefore(std::string("unexpected error: ") + e.what());
        return kBadInput;
    }
    return 0;
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
