// The differential harness's driver: runs the suite's tables against whichever
// libgpenc.so.1 the loader finds and writes, one line each, what the host
// observes: every record, every call to the session store, what each call left
// (out, the caller's record, the object, gpenc::LastFailure()) and every failed
// assertion. dev/diff/run.sh runs it against two builds and compares.
#include "Hex.h"
#include "LogCapture.h"

#include <gtest/gtest.h>
#include <link.h>
#include <log4cplus/initializer.h>
#include <log4cplus/loglevel.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

unsigned char g_session[16] = {};

void Line(const std::string& text) {
    std::string line;
    for (char c : text) line += c == '\n' ? std::string("\\n") : c == '\\' ? std::string("\\\\") : std::string(1, c);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// Bytes as hex; beyond 1 KiB the first 256, the count and an FNV-1a hash of all.
std::string Bytes(const std::vector<unsigned char>& bytes) {
    if (bytes.size() <= 1024) return gpenc::test::ToHex(bytes);
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return gpenc::test::ToHex({bytes.begin(), bytes.begin() + 256}) + " ... " + std::to_string(bytes.size()) +
           " bytes, hash " + std::to_string(hash);
}

void Watched(const std::string& what, const std::vector<unsigned char>& bytes) {
    if (what.rfind("record ", 0) == 0) return Line(what);
    Line("seen " + what + " [" + Bytes(bytes) + "]");
    Line("failure " + gpenc::LastFailure());
}

class Transcript : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& t) override {
        Line(std::string("test ") + t.test_suite_name() + "." + t.name());
    }
    // The place only: a message may print the bytes of a record, pointers included.
    void OnTestPartResult(const ::testing::TestPartResult& r) override {
        if (r.failed()) Line("assertion failed at line " + std::to_string(r.line_number()));
    }
    void OnTestEnd(const ::testing::TestInfo&) override { Line("failure " + gpenc::LastFailure()); }
};

// The libgpenc the loader chose, so that a run never compares a build with itself.
std::string Loaded() {
    std::string path;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* found) {
            const char* name = std::strrchr(info->dlpi_name, '/');
            if (name != nullptr &&
                (std::strncmp(name, "/libgpenc.so", 12) == 0 || std::strncmp(name, "/libgpencd.so", 13) == 0))
                *static_cast<std::string*>(found) = info->dlpi_name;
            return 0;
        },
        &path);
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr ? real : path;
}

}  // namespace

// The stand-ins' session store in place of libgpenc_host's (the program's own
// definition comes first for the library too), each call a line among the records.
void CSessionData::GetSession(unsigned char* id) {
    Line("store GetSession");
    std::memcpy(id, g_session, sizeof g_session);
}
void CSessionData::SetSession(const unsigned char* id) {
    Line("store SetSession " + gpenc::test::ToHex({id, id + sizeof g_session}));
    std::memcpy(g_session, id, sizeof g_session);
}

// gpenc_diff [--off] [gtest options]; GPENC_DIFF_LIBRARY names the libgpenc.so.1 it must run against.
int main(int argc, char** argv) {
    log4cplus::Initializer logging;
    NSLog::CLog::_logger.setLogLevel(log4cplus::OFF_LOG_LEVEL);
    const char* want = std::getenv("GPENC_DIFF_LIBRARY");
    char real[PATH_MAX];
    if (want == nullptr || realpath(want, real) == nullptr || Loaded() != real) {
        std::fprintf(stderr, "gpenc_diff: loaded \"%s\", not GPENC_DIFF_LIBRARY \"%s\"\n", Loaded().c_str(),
                     want != nullptr ? want : "");
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--off") == 0) gpenc::test::g_forcedLevel = log4cplus::OFF_LOG_LEVEL;
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());  // its timings differ from run to run
    listeners.Append(new Transcript);
    gpenc::test::g_watcher = Watched;
    Line(RUN_ALL_TESTS() == 0 ? "suite passed" : "suite failed");
    return std::fflush(stdout) == 0 ? 0 : 2;
}
