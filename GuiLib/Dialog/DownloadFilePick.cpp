#include "DownloadFilePick.h"

#include <QFileDialog>
#include <QLineEdit>

#include "OperationLog.h"
#include "ProgramPaths.h"

namespace morvex_gui {

void PickDownloadFile(QWidget* parent, QLineEdit* line, const QString& fallback,
                      const QString& title, const QString& filter, const char* logText) {
    const QString current = line->text();
    const QString start = current.isEmpty() ? platform::ProgramFilePath(fallback) : current;
    const QString file = QFileDialog::getOpenFileName(parent, title, start, filter);
    if (file.isEmpty()) {
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), logText);
    line->setText(file);
}

}  // namespace morvex_gui
