#include <QApplication>

#include "OperationLogSetup.h"
#include "ZeltoMP.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The pictures and icons are compiled into the static apps library.
    Q_INIT_RESOURCE(Resources);
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
