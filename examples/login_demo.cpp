// Sets a session id, builds a CommonData(2) frame and a login frame, and
// prints both as hexadecimal text.
#include "gpenc/Encoder.h"
#include "gpenc/Host.h"

#include <log4cplus/consoleappender.h>
#include <log4cplus/initializer.h>

#include <cstdio>
#include <vector>

namespace {

void Print(const char* title, const std::vector<unsigned char>& frame) {
    std::printf("%s (%zu bytes):\n ", title, frame.size());
    for (std::size_t i = 0; i < frame.size(); ++i)
        std::printf(" %02x%s", frame[i], (i + 1) % 16 == 0 && i + 1 < frame.size() ? "\n " : "");
    std::printf("\n");
}

}  // namespace

int main() {
    // The host owns logging: failures (if any) go to stderr.
    log4cplus::Initializer logging;
    NSLog::CLog::_logger.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::ConsoleAppender(true)));
    NSLog::CLog::_logger.setLogLevel(log4cplus::ERROR_LOG_LEVEL);

    const unsigned char session[16] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                                       0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f};
    CSessionData::SetSession(session);

    std::vector<unsigned char> common;
    if (!CEncoder().CommonData(2, common)) return 1;
    Print("CommonData(2)", common);

    sUserLogin login;
    login.loginText0 = "operator";
    login.loginText1 = "secret";
    login.loginText2 = "1";
    login.loginText3 = "client";
    login.loginText4 = "2.0";
    login.loginText5 = "192.168.1.10";
    login.loginText6 = "0";
    login.loginText7 = "zh";
    std::vector<unsigned char> frame;
    if (!CEncoder().UserLogin(&login, frame)) return 1;
    Print("UserLogin", frame);
    return 0;
}
