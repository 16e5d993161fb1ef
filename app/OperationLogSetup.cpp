#include "OperationLogSetup.h"

#include <log4cplus/fileappender.h>
#include <log4cplus/layout.h>

#include <memory>

#include "OperationLog.h"
#include "ProgramPaths.h"

namespace {

const long kBytesPerFile = 204800;
const int kBackupFiles = 100;
const bool kImmediateFlush = true;

log4cplus::tstring LogFileName() {
    const std::string local =
        platform::ProgramFilePath(QStringLiteral("User.log")).toLocal8Bit().toStdString();
    return LOG4CPLUS_STRING_TO_TSTRING(local);
}

}  // namespace

log4cplus::SharedAppenderPtr StartOperationLog() {
    log4cplus::SharedAppenderPtr appender(new log4cplus::RollingFileAppender(
        LogFileName(), kBytesPerFile, kBackupFiles, kImmediateFlush));
    appender->setLayout(std::make_unique<log4cplus::PatternLayout>(LOG4CPLUS_TEXT("%D %m%n")));
    log4cplus::Logger& logger = OperationLogger();
    logger.setLogLevel(log4cplus::INFO_LOG_LEVEL);
    logger.addAppender(appender);
    return appender;
}

void StopOperationLog(const log4cplus::SharedAppenderPtr& appender) {
    if (!appender) {
        return;
    }
    OperationLogger().removeAppender(appender);
    appender->close();
}
