#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDateTime>
#include <QDir>
#include <QTextEdit>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "LogCapture.h"
#include "QtWindowImp.h"
#include "TempProgramDir.h"
#include "WidgetHolder.h"

using morvex_gui_qtlib::QtWindowImp;
using morvex_gui_qtlib::WidgetHolder;

namespace {

class ResultFileTest : public ::testing::Test {
protected:
    ResultFileTest() : imp(&holder) { holder.SetLog(&log); }

    QStringList ResultFiles() const {
        return QDir(dir.File("Results")).entryList(QDir::Files, QDir::Name);
    }

    TempProgramDir dir;
    QTextEdit log;
    WidgetHolder holder;
    QtWindowImp imp;
    LogCapture operationLog;
};

TEST_F(ResultFileTest, RecordsLandInKeyOrderUnderTheTimeStampAndAreCleared) {
    EXPECT_EQ(QtWindowImp::ResultFileStamp(QDateTime(QDate(2015, 12, 14), QTime(9, 5, 7, 450))),
              "2015-12-14-09-05-07-57");
    EXPECT_TRUE(imp.SaveResults());
    EXPECT_FALSE(QDir(dir.File("Results")).exists()) << "nothing to save: no folder";

    imp.SetResult("slave", "Slave: ,Pass\r\n");
    imp.SetResult("attb", "ATTB: ,Pass\r\n");
    imp.SetResult("raster x", "Raster X: ,Fail\r\n1,2,3\r\n");
    const QString before = QtWindowImp::ResultFileStamp(QDateTime::currentDateTime());
    ASSERT_TRUE(imp.SaveResults());
    const QString after = QtWindowImp::ResultFileStamp(QDateTime::currentDateTime());
    ASSERT_EQ(ResultFiles().size(), 1);
    const QString file = ResultFiles().front();
    EXPECT_TRUE(file == before + ".csv" || file == after + ".csv") << file.toStdString();
    EXPECT_EQ(dir.Read("Results/" + file),
              "ATTB: ,Pass\r\nRaster X: ,Fail\r\n1,2,3\r\nSlave: ,Pass\r\n");
    EXPECT_TRUE(imp._results.empty());
}

TEST_F(ResultFileTest, ASecondRunInTheSameSecondGetsItsOwnFile) {
    // Earlier runs under the stamps of this second and the next two.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList taken;
    for (int s = 0; s < 3; ++s) {
        taken << QtWindowImp::ResultFileStamp(now.addSecs(s)) + ".csv";
        dir.Write("Results/" + taken.back(), "earlier run");
    }
    imp.SetResult("debug", "Debug: ,Pass\r\n");
    ASSERT_TRUE(imp.SaveResults());

    for (const QString& name : taken) {
        EXPECT_EQ(dir.Read("Results/" + name), "earlier run");
    }
    const QStringList files = ResultFiles();
    ASSERT_EQ(files.size(), 4);
    const QString added = *std::find_if(files.begin(), files.end(),
                                        [&](const QString& name) { return !taken.contains(name); });
    EXPECT_TRUE(added.endsWith("_1.csv")) << added.toStdString();
    EXPECT_EQ(dir.Read("Results/" + added), "Debug: ,Pass\r\n");
}

TEST_F(ResultFileTest, AFileThatCannotBeWrittenIsReportedAndTheRecordsStay) {
    dir.Write("Results", "a file where the folder should be");
    imp.SetResult("attb", "ATTB: ,Pass\r\n");

    EXPECT_FALSE(imp.SaveResults());
    EXPECT_EQ(imp._results.size(), 1u);
    EXPECT_TRUE(log.toHtml().contains("#ff0000")) << log.toHtml().toStdString();
    EXPECT_TRUE(log.toPlainText().contains("Result file not saved"));
    ASSERT_EQ(operationLog.Lines().size(), 1u);
    EXPECT_NE(operationLog.Lines().front().find("Result file not saved"), std::string::npos);

    // Once the folder can be made, the kept records are saved after all.
    QFile::remove(dir.File("Results"));
    ASSERT_TRUE(imp.SaveResults());
    ASSERT_EQ(ResultFiles().size(), 1);
    EXPECT_EQ(dir.Read("Results/" + ResultFiles().front()), "ATTB: ,Pass\r\n");
}

// A file that can be created but not filled: the operator is told why, in
// the system's words, not "Unknown error".
TEST_F(ResultFileTest, AFailedWriteNamesTheSystemsReason) {
    imp.SetResult("raster x", std::string(64 * 1024, 'x') + "\r\n");
    struct rlimit previous;
    getrlimit(RLIMIT_FSIZE, &previous);
    struct rlimit small = previous;
    small.rlim_cur = 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = imp.SaveResults();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(imp._results.size(), 1u);
    EXPECT_TRUE(log.toPlainText().contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << log.toPlainText().toStdString();
    EXPECT_FALSE(log.toPlainText().contains("Unknown error"));
    EXPECT_TRUE(ResultFiles().isEmpty());
}

}  // namespace
