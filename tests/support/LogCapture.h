#pragma once

#include <log4cplus/appender.h>
#include <string>
#include <vector>

// Collects the operation log's messages while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& Lines() const { return _lines; }
    size_t Size() const { return _lines.size(); }
    // Some message holds `text`.
    bool Contains(const std::string& text) const;

private:
    std::vector<std::string> _lines;
    log4cplus::SharedAppenderPtr _appender;
};
