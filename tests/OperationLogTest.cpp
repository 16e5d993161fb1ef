#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include <string>

#include "OperationLog.h"
#include "OperationLogSetup.h"
#include "TempProgramDir.h"

namespace {

// Attaches the operation log for one test and always detaches it again, so
// later tests do not write into a removed folder.
class AttachedOperationLog {
public:
    AttachedOperationLog() : _appender(StartOperationLog()) {}
    ~AttachedOperationLog() { StopOperationLog(_appender); }
    AttachedOperationLog(const AttachedOperationLog&) = delete;
    AttachedOperationLog& operator=(const AttachedOperationLog&) = delete;

private:
    log4cplus::SharedAppenderPtr _appender;
};

}  // namespace

TEST(OperationLogTest, InfoLinesReachUserLogAtOnceWithTheDatePrefixUntilTheLogStops) {
    TempProgramDir dir;
    {
        AttachedOperationLog log;
        LOG4CPLUS_INFO(OperationLogger(), "GUI start");
        LOG4CPLUS_DEBUG(OperationLogger(), "CoreDevice::PowerOn()");
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
        // Read before the appender closes: every line is flushed when logged.
        const QString text = QString::fromLocal8Bit(dir.Read("User.log"));
        static const QRegularExpression expected(QStringLiteral(
            "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d GUI start\\n"
            "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Serialport open successfully\\n$"));
        EXPECT_TRUE(expected.match(text).hasMatch()) << text.toStdString();
    }
    LOG4CPLUS_INFO(OperationLogger(), "after the end");
    EXPECT_FALSE(dir.Read("User.log").contains("after the end"));
}

TEST(OperationLogTest, FullFileRollsOverToFirstBackup) {
    TempProgramDir dir;
    {
        AttachedOperationLog log;
        const std::string line(200, 'x');
        for (int i = 0; i < 1100; ++i) {  // about 240000 bytes with the prefixes
            LOG4CPLUS_INFO(OperationLogger(), line);
        }
    }
    EXPECT_TRUE(QFile::exists(dir.File("User.log.1")));
    EXPECT_FALSE(QFile::exists(dir.File("User.log.2")));
    EXPECT_LE(QFile(dir.File("User.log.1")).size(), 204800 + 240);
    EXPECT_LT(QFile(dir.File("User.log")).size(), 204800);
}
