#include "CheckBox.h"

namespace morvex_gui_qtlib {

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void CheckBox::nextCheckState() {
    setTristate(false);
    QCheckBox::nextCheckState();
}

}  // namespace morvex_gui_qtlib
