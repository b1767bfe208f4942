// Test main: log4cplus wants one Initializer for the process, which the host
// (here, the test program) owns.
#include <gtest/gtest.h>
#include <log4cplus/initializer.h>
#include <log4cplus/loglevel.h>

#include "TestHost.h"

int main(int argc, char** argv) {
    log4cplus::Initializer logging;
    // Quiet unless a test captures records (LogCapture restores this level).
    NSLog::CLog::_logger.setLogLevel(log4cplus::OFF_LOG_LEVEL);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
