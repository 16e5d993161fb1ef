#include "DialogScript.h"

#include <QAbstractButton>
#include <QApplication>

namespace {
constexpr int kPollMs = 5;
}

DialogScript::DialogScript(std::deque<Step> steps) : _steps(std::move(steps)) {
    connect(&_timer, &QTimer::timeout, this, &DialogScript::Poll);
    _timer.start(kPollMs);
}

void DialogScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || _steps.empty() || _busy) {
        return;
    }
    _busy = true;
    if (_steps.front()(modal)) {
        _steps.pop_front();
    }
    _busy = false;
}

DialogScript::Step DialogScript::PickFile(const QString& file) {
    return On<QFileDialog>([file](QFileDialog& dialog) {
        if (file.isEmpty()) {
            dialog.reject();
        } else {
            dialog.selectFile(file);
            static_cast<QDialog&>(dialog).accept();
        }
    });
}

DialogScript::Step DialogScript::Answer(QMessageBox::StandardButton button, QString* seen) {
    return On<QMessageBox>([=](QMessageBox& box) {
        if (seen != nullptr) {
            *seen = box.windowTitle() + ": " + box.text();
        }
        if (QAbstractButton* pressed = box.button(button)) {
            pressed->click();
        } else {
            box.reject();
        }
    });
}
