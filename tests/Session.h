// Test support shared by the builder tests: the session id a0..af set for each
// test and cleared after it, a log capture, the texts of ERROR records, the
// inspector's reading of what a successful build leaves, and the process's
// time zone.
#pragma once

#include "LogCapture.h"
#include "gpenc/Inspect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace gpenc::test {

inline const unsigned char kSession[16] = {0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,
                                           0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { host::SetSession(kSession); }
    void TearDown() override { host::SetSession(std::vector<unsigned char>(16).data()); }
    LogCapture log;
};

inline std::vector<std::string> Errors(const LogCapture& log) {
    std::vector<std::string> texts;
    for (const auto& r : log.errors()) texts.push_back(r.text);
    return texts;
}

// What a successful call leaves in `out`.
enum Output { kFrame, kMessage, kOther };

constexpr unsigned char kMark = 0x99;  // the caller's byte in `out`

// Whether `out` is what a successful call leaves: the caller's byte followed by
// a whole GP frame, or a whole 808 message.
inline ::testing::AssertionResult Whole(Output output, std::vector<unsigned char> out) {
    Watch("whole", out);
    using gpenc::inspect::Tunnel;
    if (output == kMessage) {
        const auto m = gpenc::inspect::DecodeJt808(out.data(), out.size());
        if (!m.ok()) return ::testing::AssertionFailure() << m.error->Describe();
        return ::testing::AssertionSuccess();
    }
    if (output == kOther) return ::testing::AssertionSuccess();
    if (out.empty() || out[0] != kMark) return ::testing::AssertionFailure() << "the caller's byte moved";
    out.erase(out.begin());
    const auto dump = gpenc::inspect::DecodeFrames(out);
    if (dump.error) return ::testing::AssertionFailure() << dump.error->Describe();
    if (dump.frames.size() != 1 || dump.frames[0].size != out.size())
        return ::testing::AssertionFailure() << dump.frames.size() << " frames";
    const auto& tunnel = dump.frames[0].tunnel;
    if (tunnel && tunnel->content == Tunnel::Content::kJt808 && (tunnel->hexError || !tunnel->jt808->ok()))
        return ::testing::AssertionFailure() << "the tunnelled 808 message does not decode";
    return ::testing::AssertionSuccess();
}

// The worked example of a circular area: area 7 at 22.5, 114.25 with a radius
// of 500 m, 2025-01-02 08:00 to 2025-12-31 18:00, 60 km/h for 10 s; attribute
// bit 0 sends the time window, bit 1 the speed limit.
inline MsgData_AlarmSet_CircularArea Area(std::uint16_t attr = 3) {
    return {7, attr, 22.5, 114.25, 500, {0x25, 0x01, 0x02, 0x08, 0, 0}, {0x25, 0x12, 0x31, 0x18, 0, 0}, 60, 10};
}

// Sets the process's time zone (TZ; null unsets it) without telling the C
// library: the card date must notice a change on its own.
inline void SetZone(const char* tz) {
#if defined(_WIN32)
    _putenv_s("TZ", tz != nullptr ? tz : "");
#else
    if (tz != nullptr) setenv("TZ", tz, 1); else unsetenv("TZ");
#endif
}

}  // namespace gpenc::test
