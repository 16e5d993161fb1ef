#include <QApplication>
#include <QMainWindow>

#include "OperationLogSetup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const log4cplus::SharedAppenderPtr operationLog = StartOperationLog();
    int result = 0;
    {
        // The window lives exactly as long as the event loop, so its last log
        // lines are written before the appender goes.
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("Touch panel test"));
        window.resize(1024, 768);
        window.show();
        result = app.exec();
    }
    StopOperationLog(operationLog);
    return result;
}
