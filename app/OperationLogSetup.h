#pragma once

#include <log4cplus/appender.h>

// Attaches the rolling operation log file "User.log" in the program's directory
// (204800 bytes per file, 100 backups, every line flushed, "%D %m%n") to the
// operation logger and sets that logger to INFO. Call once, after the
// application object exists; keep the result until the last line is logged.
log4cplus::SharedAppenderPtr StartOperationLog();

// Detaches an appender that StartOperationLog attached and closes its file.
void StopOperationLog(const log4cplus::SharedAppenderPtr& appender);
