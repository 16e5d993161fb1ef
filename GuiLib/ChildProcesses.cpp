#include "ChildProcesses.h"

#include <QProcess>

namespace morvex_gui_qtlib {

void EndChildProcesses(QObject& owner) {
    for (QProcess* process : owner.findChildren<QProcess*>()) {
        QObject::disconnect(process, nullptr, &owner, nullptr);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
}

}  // namespace morvex_gui_qtlib
