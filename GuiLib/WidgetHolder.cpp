#include "WidgetHolder.h"

namespace morvex_gui_qtlib {

void WidgetHolder::SetParameterWidgets(QLCDNumber* lcd, QListWidget* list, int* row) {
    _parameterLcd = lcd;
    _parameterList = list;
    _parameterRow = row;
}

}  // namespace morvex_gui_qtlib
