// The walkthrough's last step through the client's DLL: one frame, built where
// the client logs, with the logger at DEBUG.
#include "gpenc_host.h"

#include <gpenc/Encoder.h>

#include <log4cplus/consoleappender.h>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>

#include <cstdio>
#include <vector>

int main() {
    log4cplus::Initializer initializer;
    NSLog::CLog::_logger.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::ConsoleAppender()));
    NSLog::CLog::_logger.setLogLevel(log4cplus::DEBUG_LOG_LEVEL);
    const unsigned char session[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                       0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    CSessionData::StoreSession(session);
    CEncoder encoder;
    std::vector<unsigned char> frame;
    if (!encoder.CommonData(2, frame)) {
        std::fprintf(stderr, "CommonData failed: %s\n", gpenc::LastFailure().c_str());
        return 1;
    }
    // "GP", the body's length 26, version 1, the session, command 2, no parameters.
    static const unsigned char expected[30] = {0x47, 0x50, 0x00, 0x1a, 0x00, 0x01, 0x00, 0x11, 0x22, 0x33,
                                               0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd,
                                               0xee, 0xff, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    if (frame != std::vector<unsigned char>(expected, expected + sizeof expected)) {
        std::fprintf(stderr, "CommonData wrote %zu bytes, not the 30 expected\n", frame.size());
        return 1;
    }
    std::puts("first frame: 30 bytes as expected");
    return 0;
}
