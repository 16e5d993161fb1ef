#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QWidget;

namespace morvex_gui_qtlib {

// The two full-screen actions of a main window: the whole window, or the
// drawing alone in a window of its own; Escape leaves both.
class FullScreenSwitch : public QObject {
    Q_OBJECT
public:
    FullScreenSwitch(QMainWindow* window, QWidget* view, QAction* windowAction,
                     QAction* viewAction);

    void SwitchWindow(bool full);
    void SwitchView(bool full);
    void Leave();

private:
    QMainWindow* _window;
    QWidget* _view;
    QAction* _windowAction;
    QAction* _viewAction;
};

}  // namespace morvex_gui_qtlib
