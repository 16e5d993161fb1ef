#include <QApplication>

#include "OperationLogSetup.h"
#include "ZeltoMP.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const log4cplus::SharedAppenderPtr operationLog = StartOperationLog();
    int result = 0;
    {
        // The window lives exactly as long as the event loop, so its last log
        // lines are written before the appender goes.
        ZeltoMP window;
        window.show();
        result = app.exec();
    }
    StopOperationLog(operationLog);
    return result;
}
