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

// Shows `value` (local 8-bit text) as the reading of `caption` in `label`.
void ShowStatusReading(QLabel* label, const QString& caption, const char* value);

// The channel labels after the port closes: their captions with an open,
// empty reading.
void ResetChannelLabels(QLabel* x, QLabel* y);

}  // namespace morvex_gui_qtlib
