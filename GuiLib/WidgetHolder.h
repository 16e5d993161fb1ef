#pragma once

class QLayout;
class QTextEdit;
class QLabel;
class QLCDNumber;
class QListWidget;
class QTableWidget;
class QWidget;

namespace morvex_gui_qtlib {

class DisplayView;

// The widgets a main window lets the GUI interface write. Each window fills only
// the slots it has; every unset slot is skipped. The holder owns nothing.
class WidgetHolder {
public:
    WidgetHolder() = default;
    ~WidgetHolder() {}

    void SetLog(QTextEdit* log) { _log = log; }
    void SetView(DisplayView* view) { _view = view; }
    // Builds the window's display view in `layout`, shows it and keeps it here.
    DisplayView* AddView(QWidget* window, QLayout* layout);
    DisplayView* GetView() const { return _view; }
    void SetParameterWidgets(QLCDNumber* lcd, QListWidget* list, int* row);

    QTextEdit* _log = nullptr;
    DisplayView* _view = nullptr;
    QLabel* _versionCaption = nullptr;
    QLabel* _versionLabel = nullptr;
    QLCDNumber* _parameterLcd = nullptr;
    QListWidget* _parameterList = nullptr;
    QTableWidget* _openTable = nullptr;
    QTableWidget* _shortTable = nullptr;
    // The window's own counter of the parameter row the next reply fills.
    int* _parameterRow = nullptr;
};

}  // namespace morvex_gui_qtlib
