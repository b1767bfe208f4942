// A log4cplus appender that keeps every record, for the tests to read back.
#include "LogCapture.h"

#include <log4cplus/spi/loggingevent.h>

namespace gpenc::test {

int TestException::alive = 0;

namespace {

class RecordingAppender : public log4cplus::Appender {
public:
    std::vector<Record> records;
    std::function<void(const Record&)> action;

    ~RecordingAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override {
        Record r{event.getLogLevel(), event.getMessage(), event.getFile(), event.getLine()};
        if (action) action(r);
        records.push_back(std::move(r));
    }
};

RecordingAppender& Recorder(const log4cplus::SharedAppenderPtr& p) {
    return static_cast<RecordingAppender&>(*p);
}

}  // namespace

LogCapture::LogCapture(int level) : appender_(new RecordingAppender) {
    auto& logger = NSLog::CLog::_logger;
    oldLevel_ = logger.getLogLevel();
    logger.removeAllAppenders();
    logger.addAppender(appender_);
    logger.setAdditivity(false);
    logger.setLogLevel(level);
}

LogCapture::~LogCapture() {
    NSLog::CLog::_logger.removeAllAppenders();
    NSLog::CLog::_logger.setLogLevel(oldLevel_);
}

const std::vector<Record>& LogCapture::records() const { return Recorder(appender_).records; }

std::vector<std::string> LogCapture::texts() const {
    std::vector<std::string> t;
    for (const auto& r : records()) t.push_back(r.text);
    return t;
}

std::vector<Record> LogCapture::errors() const {
    std::vector<Record> e;
    for (const auto& r : records())
        if (r.level == 40000) e.push_back(r);
    return e;
}

void LogCapture::clear() { Recorder(appender_).records.clear(); }

void LogCapture::ThrowAt(const std::string& text, int occurrence, std::wstring message) {
    auto seen = std::make_shared<int>(0);
    OnRecord([=](const Record& r) {
        if (r.text == text && ++*seen == occurrence) throw static_cast<CException*>(new TestException(message));
    });
}

void LogCapture::OnRecord(std::function<void(const Record&)> action) {
    Recorder(appender_).action = std::move(action);
}

}  // namespace gpenc::test
