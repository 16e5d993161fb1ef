#include "DialogScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

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
    return On<QFileDialog>([file](QFileDialog& dialog) { Choose(dialog, file); });
}

void DialogScript::Choose(QFileDialog& dialog, const QString& file) {
    if (file.isEmpty()) {
        dialog.reject();
        return;
    }
    dialog.selectFile(file);
    // selectFile leaves the name field alone once the field has the focus,
    // which on a busy machine it may already have, and accept goes by that
    // field: the name is put there itself.
    if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setText(file);
    }
    static_cast<QDialog&>(dialog).accept();
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
