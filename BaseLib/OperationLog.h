#pragma once

#include <log4cplus/logger.h>
#include <log4cplus/loggingmacros.h>

// The operation log ("User.log" once the program has attached its appender).
// A function-local static, so it is safe to use from static initialisers and
// from tests that never attach an appender.
log4cplus::Logger& OperationLogger();

// A logger with no appender of its own, for measurement lines nobody reads.
log4cplus::Logger MeasurementLogger(const char* name);

// A main window's last lines in the operation log: "GUI exit" and a rule of stars.
void LogGuiExit();
