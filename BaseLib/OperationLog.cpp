#include "OperationLog.h"

#include <string>

#include <log4cplus/initializer.h>

namespace {

void EnsureInitialised() {
    static log4cplus::Initializer initializer;
}

}  // namespace

log4cplus::Logger& OperationLogger() {
    EnsureInitialised();
    static log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("Drovanel"));
    return logger;
}

log4cplus::Logger MeasurementLogger(const char* name) {
    EnsureInitialised();
    return log4cplus::Logger::getInstance(LOG4CPLUS_C_STR_TO_TSTRING(name));
}

void LogGuiExit() {
    LOG4CPLUS_INFO(OperationLogger(), "GUI exit");
    LOG4CPLUS_INFO(OperationLogger(), std::string(43, '*'));
}
