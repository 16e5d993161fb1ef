#include "FullScreenSwitch.h"

#include <QAction>
#include <QMainWindow>
#include <QShortcut>

#include "OperationLog.h"

namespace morvex_gui_qtlib {

FullScreenSwitch::FullScreenSwitch(QMainWindow* window, QWidget* view, QAction* windowAction,
                                   QAction* viewAction)
    : QObject(window),
      _window(window),
      _view(view),
      _windowAction(windowAction),
      _viewAction(viewAction) {
    connect(_windowAction, &QAction::toggled, this, &FullScreenSwitch::SwitchWindow);
    connect(_viewAction, &QAction::toggled, this, &FullScreenSwitch::SwitchView);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::ApplicationShortcut);
    connect(escape, &QShortcut::activated, this, &FullScreenSwitch::Leave);
}

void FullScreenSwitch::SwitchWindow(bool full) {
    LOG4CPLUS_INFO(OperationLogger(), "Full screen change");
    if (full) {
        _window->showFullScreen();
    } else {
        _window->showMaximized();
    }
}

void FullScreenSwitch::SwitchView(bool full) {
    if (full) {
        LOG4CPLUS_INFO(OperationLogger(), "Full screen display");
        _view->setWindowFlags(Qt::Dialog);
        _view->showFullScreen();
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Normal display");
        _view->setWindowFlags(Qt::SubWindow);
        _view->showNormal();
    }
}

void FullScreenSwitch::Leave() {
    if (_windowAction->isChecked()) {
        _windowAction->setChecked(false);
    }
    if (_viewAction->isChecked()) {
        _viewAction->setChecked(false);
    }
}

}  // namespace morvex_gui_qtlib
