#include "WidgetHolder.h"

#include <QLayout>

#include "DisplayView.h"

namespace morvex_gui_qtlib {

void WidgetHolder::SetParameterWidgets(QLCDNumber* lcd, QListWidget* list, int* row) {
    _parameterLcd = lcd;
    _parameterList = list;
    _parameterRow = row;
}

DisplayView* WidgetHolder::AddView(QWidget* window, QLayout* layout) {
    _view = new DisplayView(window);
    layout->addWidget(_view);
    _view->show();
    return _view;
}

}  // namespace morvex_gui_qtlib
