#include "LeakCheck.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

::testing::AssertionResult RunsWithoutLeaks(const char* disabledTest) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", "detect_leaks=1");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 QStringLiteral("--gtest_filter=%1").arg(QLatin1String(disabledTest))});
    if (!child.waitForFinished(60000)) {
        return ::testing::AssertionFailure() << disabledTest << " did not finish";
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        return ::testing::AssertionFailure()
               << disabledTest << ": " << child.readAllStandardError().toStdString()
               << child.readAllStandardOutput().toStdString();
    }
    return ::testing::AssertionSuccess();
}
