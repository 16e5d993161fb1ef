#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace morvex_gui {

// Asks for an image to download, starting at the path shown in `line` or,
// while that is empty, at `fallback` in the program's directory. A chosen file
// goes to the operation log as `logText` and into `line`; cancelling changes
// nothing.
void PickDownloadFile(QWidget* parent, QLineEdit* line, const QString& fallback,
                      const QString& title, const QString& filter, const char* logText);

}  // namespace morvex_gui
