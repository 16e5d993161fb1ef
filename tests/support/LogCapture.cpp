#include "LogCapture.h"

#include <log4cplus/spi/loggingevent.h>

#include "OperationLog.h"

namespace {

class Sink : public log4cplus::Appender {
public:
    explicit Sink(std::vector<std::string>& lines) : _lines(lines) {}
    ~Sink() override { destructorImpl(); }
    void close() override { closed = true; }

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override {
        _lines.push_back(LOG4CPLUS_TSTRING_TO_STRING(event.getMessage()));
    }

private:
    std::vector<std::string>& _lines;
};

}  // namespace

LogCapture::LogCapture() : _appender(new Sink(_lines)) {
    OperationLogger().addAppender(_appender);
}

LogCapture::~LogCapture() {
    OperationLogger().removeAppender(_appender);
}

bool LogCapture::Contains(const std::string& text) const {
    for (const std::string& line : _lines) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}
