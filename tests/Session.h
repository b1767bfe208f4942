// Test support shared by the builder tests: the session id a0..af set for each
// test and cleared after it, a log capture, the texts of ERROR records, and the
// process's time zone.
#pragma once

#include "LogCapture.h"

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
    void SetUp() override { CSessionData::SetSession(kSession); }
    void TearDown() override { CSessionData::SetSession(std::vector<unsigned char>(16).data()); }
    LogCapture log;
};

inline std::vector<std::string> Errors(const LogCapture& log) {
    std::vector<std::string> texts;
    for (const auto& r : log.errors()) texts.push_back(r.text);
    return texts;
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

// The local calendar time of `t` in the zone as it stands.
inline std::tm LocalTime(std::time_t t) {
    std::tm local{};
#if defined(_WIN32)
    _tzset();
    localtime_s(&local, &t);
#else
    tzset();
    localtime_r(&t, &local);
#endif
    return local;
}

}  // namespace gpenc::test
