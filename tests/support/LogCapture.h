#pragma once

#include <log4cplus/appender.h>
#include <QtGlobal>
#include <string>
#include <vector>

// Collects the operation log's messages while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    Q_DISABLE_COPY(LogCapture)

    const std::vector<std::string>& Lines() const { return _lines; }
    size_t Size() const { return _lines.size(); }
    // Some message holds `text`.
    bool Contains(const std::string& text) const;

private:
    std::vector<std::string> _lines;
    log4cplus::SharedAppenderPtr _appender;
};
