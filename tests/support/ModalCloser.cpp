#include "ModalCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "DialogScript.h"

ModalCloser::ModalCloser() {
    _timer.setInterval(5);
    QObject::connect(&_timer, &QTimer::timeout, this, [this] { Poll(); });
    _timer.start();
}

void ModalCloser::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        _boxes.push_back(Box{box->windowTitle(), box->text(), box->informativeText()});
        QAbstractButton* answer = box->defaultButton();
        if (answer == nullptr && !box->buttons().isEmpty()) {
            answer = box->buttons().first();
        }
        if (answer != nullptr) {
            answer->click();
        } else {
            box->reject();
        }
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        ++_fileDialogs;
        DialogScript::Choose(*dialog, _file);
    }
}
