// A log4cplus appender that keeps every record, for the tests to read back.
#include "LogCapture.h"

#include <log4cplus/spi/loggingevent.h>

namespace gpenc::test {

Watcher g_watcher = nullptr;
int g_forcedLevel = 0;

// The tests' own UTF-8 encoder, not the library's; where wchar_t is 16 bits a
// surrogate pair is one character.
std::string Utf8(const std::wstring& wide) {
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto c = static_cast<char32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
        const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(n == 1 ? c : kLead[n] | (c >> (6 * (n - 1))));
        for (int k = n - 2; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
}

namespace {

// What the library logged, as UTF-8 for the tests to compare.
#if !defined(UNICODE)
const std::string& Utf8(const std::string& narrow) { return narrow; }
#endif

class RecordingAppender : public log4cplus::Appender {
public:
    std::vector<Record> records;
    std::vector<log4cplus::tstring> messages;
    std::function<void(const Record&)> action;

    ~RecordingAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override {
        Record r{event.getLogLevel(), Utf8(event.getMessage()), Utf8(event.getFile()), event.getLine()};
        Watch("record " + std::to_string(r.level) + " " + r.file + " " + r.text);
        if (action) action(r);
        records.push_back(std::move(r));
        messages.push_back(event.getMessage());
    }
};

RecordingAppender& Recorder(const log4cplus::SharedAppenderPtr& p) { return static_cast<RecordingAppender&>(*p); }

}  // namespace

LogCapture::LogCapture(int level) : appender_(new RecordingAppender) {
    auto& logger = NSLog::CLog::_logger;
    oldLevel_ = logger.getLogLevel();
    logger.removeAllAppenders();
    logger.addAppender(appender_);
    logger.setAdditivity(false);
    logger.setLogLevel(g_forcedLevel != 0 ? g_forcedLevel : level);
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

const std::vector<log4cplus::tstring>& LogCapture::messages() const { return Recorder(appender_).messages; }

void LogCapture::clear() {
    Recorder(appender_).records.clear();
    Recorder(appender_).messages.clear();
}

void LogCapture::ThrowAt(const std::string& text, int occurrence, std::wstring message, bool answers) {
    auto seen = std::make_shared<int>(0);
    OnRecord([=](const Record& r) {
        if (r.text == text && ++*seen == occurrence) throw host::MakeException(message, answers);
    });
}

void LogCapture::OnRecord(std::function<void(const Record&)> action) { Recorder(appender_).action = std::move(action); }

}  // namespace gpenc::test
