#pragma once

#include <QString>

class QLabel;
class QStatusBar;
class QWidget;

namespace morvex_gui_qtlib {

// How the main windows show a reading beside its name:
// "<FONT COLOR=green>caption</FONT><FONT COLOR=steelblue>value</FONT>".
QString StatusCaption(const QString& caption, const QString& value);

// A label with `caption` and a blank reading (" "), added to `bar`.
QLabel* AddStatusLabel(QStatusBar* bar, QWidget* parent, const QString& caption);

}  // namespace morvex_gui_qtlib
