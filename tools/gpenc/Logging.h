// The tool is the library's host: it owns log4cplus, configures the "gpenc"
// logger and keeps the ERROR records of the request at hand.
#pragma once

#include <log4cplus/appender.h>
#include <log4cplus/initializer.h>

#include <string>
#include <vector>

namespace gpenc::tool {

// The ERROR records written to the "gpenc" logger since the last Clear().
class ErrorLog {
public:
    ErrorLog();
    void Clear();
    const std::vector<std::string>& Errors() const;
    const log4cplus::SharedAppenderPtr& appender() const { return appender_; }

private:
    log4cplus::SharedAppenderPtr appender_;
};

// Logging for one run of the tool. By default only ERROR records are kept
// (for the message of a failed builder); `verbose` also writes every record
// from DEBUG up to stderr; `configFile` (a log4cplus properties file) replaces
// both level and appenders, the ERROR records still being kept when its level
// lets them through. InputError for a configuration file that cannot be read.
class LoggingSession {
public:
    LoggingSession(bool verbose, const std::string& configFile);
    ~LoggingSession();
    ErrorLog& errors() { return errors_; }

private:
    log4cplus::Initializer initializer_;
    ErrorLog errors_;
};

}  // namespace gpenc::tool
