// Test main: log4cplus wants one Initializer for the process, which the host
// (here, the test program) owns.
#include <gtest/gtest.h>
#include <log4cplus/initializer.h>

int main(int argc, char** argv) {
    log4cplus::Initializer logging;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
