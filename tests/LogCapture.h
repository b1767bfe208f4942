// Test support: records what the library logs, and injects framework
// exceptions from inside a log call to reach the guarded regions.
#pragma once

#include "TestHost.h"
#include "gpenc/Encoder.h"

#include <log4cplus/appender.h>

#include <functional>
#include <string>
#include <vector>

namespace gpenc::test {

// `wide` as UTF-8, by the tests' own encoder, not the library's.
std::string Utf8(const std::wstring& wide);

struct Record {
    int level;
    std::string text;
    std::string file;
    int line;

    bool operator==(const Record& o) const { return level == o.level && text == o.text && file == o.file; }
};

// Attaches a recording appender to the shared logger for its lifetime and
// sets the logger's level (DEBUG unless told otherwise).
class LogCapture {
public:
    explicit LogCapture(int level = 10000);
    ~LogCapture();

    const std::vector<Record>& records() const;
    std::vector<std::string> texts() const;
    std::vector<Record> errors() const;
    // The texts as they reached the appender, narrow or wide as log4cplus is built.
    const std::vector<log4cplus::tstring>& messages() const;
    void clear();

    // The `occurrence`-th record whose text equals `text` throws the host's
    // exception with `message` out of the log call instead of being recorded
    // (with `answers` false, an exception that gives no message).
    void ThrowAt(const std::string& text, int occurrence = 1, std::wstring message = L"boom", bool answers = true);
    // The same with an arbitrary action in place of the throw.
    void OnRecord(std::function<void(const Record&)> action);

private:
    log4cplus::SharedAppenderPtr appender_;
    int oldLevel_;
};

// The differential harness (dev/diff) reads a run through these; unset in the
// suite. Every record reaches the watcher as "record <level> <file> <text>"
// before the test's own action on it, and Watch hands it what a call left.
using Watcher = void (*)(const std::string& what, const std::vector<unsigned char>& bytes);
extern Watcher g_watcher;
extern int g_forcedLevel;  // non-zero: the level every capture sets instead of its own
inline void Watch(const std::string& what, const std::vector<unsigned char>& bytes = {}) {
    if (g_watcher != nullptr) g_watcher(what, bytes);
}

}  // namespace gpenc::test

// Reaches the private steps of the encoder objects.
struct GpencTestAccess {
    static bool initParameterConfig(CEncoder& e, ParameterConfig& c) { return e.initParameterConfig(c); }
    static int Change16To10(CEncoder& e, const char* text) { return e.Change16To10(text); }
    static int GetParaStr(CEncoder& e, const std::string& text, std::vector<unsigned char>& out) {
        return e.GetParaStr(text, out);
    }
    static bool ChangeOrder(CEncoder& e, int count, unsigned char* bytes) { return e.ChangeOrder(count, bytes); }
    static const std::vector<unsigned char>& Parameters(const CEncoder& e) { return e.m_vecParameter; }
    static const unsigned char* Session(const CEncoder& e) { return e.m_bySession; }
    static bool SetPresetParameterData(CEncoder& e, sPreset* p) { return e.SetPresetParameterData(p); }

    // CEncoder_Standard
    using Std = CEncoder_Standard;
    static bool SetMsgData_StandardMsgHead(Std& e, std::uint16_t id, const std::string& phone) {
        return e.SetMsgData_StandardMsgHead(id, phone);
    }
    static bool GetMsgData(Std& e, std::uint32_t id, std::vector<unsigned char>& out) { return e.GetMsgData(id, out); }
    static bool charTohex(Std& e, const std::string& text, int& value) { return e.charTohex(text, value); }

    // What an object holds between calls, handed to the differential harness.
    static void Watch(const CEncoder& e) {
        for (const auto* held : {&e.m_vecParameter, &e.m_vecBody, &e.m_vecHeader}) gpenc::test::Watch("held", *held);
        gpenc::test::Watch("session", {e.m_bySession, e.m_bySession + 16});
    }
    static void Watch(const Std& e) {
        auto head = [](const StandardMsgHead& h) {
            return std::to_string(h.wMsgId) + " " + std::to_string(h.wBodyProperty) + " " + h.strPhoneNo + " " +
                   std::to_string(h.wSerialNo);
        };
        const auto& m = e.m_stMsg;
        gpenc::test::Watch("head " + head(e.m_stMsgHead) + " count " + std::to_string(e.m_byParmCount),
                           e.m_vecParmList);
        gpenc::test::Watch("message " + head(m.stHead) + " " + std::to_string(m.byStartFlag) + " " +
                               std::to_string(m.byCheckCode) + " " + std::to_string(m.byEndFlag),
                           m.vecBody);
        gpenc::test::Watch(
            "entry " + std::to_string(e.m_stCurParm.dwParmId) + " " + std::to_string(e.m_stCurParm.byParmLen),
            e.m_stCurParm.vecParmValue);
    }
};
