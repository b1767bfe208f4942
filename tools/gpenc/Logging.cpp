// Logging set-up of the tool and the appender that keeps ERROR records.
#include "Logging.h"

#include "Request.h"
#include "gpenc/Host.h"

#include <log4cplus/configurator.h>
#include <log4cplus/consoleappender.h>
#include <log4cplus/layout.h>
#include <log4cplus/loglevel.h>
#include <log4cplus/spi/loggingevent.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace gpenc::tool {
namespace {

class ErrorAppender : public log4cplus::Appender {
public:
    std::vector<std::string> errors;

    ~ErrorAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override {
        if (event.getLogLevel() >= log4cplus::ERROR_LOG_LEVEL) errors.push_back(event.getMessage());
    }
};

ErrorAppender& Kept(const log4cplus::SharedAppenderPtr& p) { return static_cast<ErrorAppender&>(*p); }

}  // namespace

ErrorLog::ErrorLog() : appender_(new ErrorAppender) {}
void ErrorLog::Clear() { Kept(appender_).errors.clear(); }
const std::vector<std::string>& ErrorLog::Errors() const { return Kept(appender_).errors; }

LoggingSession::LoggingSession(bool verbose, const std::string& configFile) {
    log4cplus::Logger& logger = NSLog::CLog::_logger;
    if (!configFile.empty()) {
        // log4cplus passes over a file it cannot open without a word, and
        // writes what it cannot use to std::cerr without naming the file.
        if (!std::ifstream(configFile).is_open()) throw InputError("--log-config: cannot open " + configFile);
        std::ostringstream complaints;
        std::streambuf* const stderrBuffer = std::cerr.rdbuf(complaints.rdbuf());
        try {
            log4cplus::PropertyConfigurator(configFile).configure();
        } catch (...) {
            std::cerr.rdbuf(stderrBuffer);
            throw;
        }
        std::cerr.rdbuf(stderrBuffer);
        std::string first;
        std::getline(std::istringstream(complaints.str()), first);
        if (!first.empty()) {
            const std::string tag = "log4cplus:ERROR ";
            if (first.compare(0, tag.size(), tag) == 0) first.erase(0, tag.size());
            throw InputError("--log-config " + configFile + ": " + first);
        }
    } else {
        logger.setAdditivity(false);
        logger.setLogLevel(verbose ? log4cplus::DEBUG_LOG_LEVEL : log4cplus::ERROR_LOG_LEVEL);
        if (verbose) {
            log4cplus::SharedAppenderPtr console(new log4cplus::ConsoleAppender(true, true));
            console->setLayout(std::make_unique<log4cplus::PatternLayout>("%-5p %F:%L  %m%n"));
            logger.addAppender(console);
        }
    }
    logger.addAppender(errors_.appender());
}

LoggingSession::~LoggingSession() { NSLog::CLog::_logger.removeAllAppenders(); }

}  // namespace gpenc::tool
