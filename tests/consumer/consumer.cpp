// Builds one CommonData frame against the installed library and checks its size.
#include <gpenc/Encoder.h>
#include <gpenc/Host.h>

#include <log4cplus/initializer.h>

int main() {
    log4cplus::Initializer logging;
    NSLog::CLog::_logger.setLogLevel(log4cplus::OFF_LOG_LEVEL);
    std::vector<unsigned char> out;
    return CEncoder().CommonData(2, out) && out.size() == 30 ? 0 : 1;
}
