#include <gtest/gtest.h>

#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>
#include <QApplication>

#include "OperationLog.h"

// Every test executable gets one application object, offscreen, so widget and
// signal tests run headless and core tests see a normal Qt environment.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The compiled-in pictures live in the static apps library.
    Q_INIT_RESOURCE(Resources);
    // Tests that want the operation log attach their own appender; the rest
    // must not complain that none is attached.
    OperationLogger();
    log4cplus::Logger::getRoot().addAppender(
        log4cplus::SharedAppenderPtr(new log4cplus::NullAppender()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
