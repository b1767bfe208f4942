// Test support shared by the builder tests: the session id a0..af set for each
// test and cleared after it, a log capture, and the texts of ERROR records.
#pragma once

#include "LogCapture.h"

#include <gtest/gtest.h>

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

}  // namespace gpenc::test
