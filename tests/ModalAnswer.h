#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

// Answers the next modal dialog of one kind (a message box, a file dialog)
// from inside its own event loop, so code that calls exec() can be tested
// without a user. The answer returns whether the dialog was its kind; it runs
// until one was, and `answered` says whether that happened.
class ModalAnswer {
public:
    using Answer = std::function<bool(QWidget*)>;

    explicit ModalAnswer(Answer answer)
        : _answer(std::move(answer)), _timer(std::make_unique<QTimer>()) {
        _timer->setInterval(5);
        QObject::connect(_timer.get(), &QTimer::timeout, [this] { Poll(); });
        _timer->start();
    }

    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool answered() const { return _answered; }

    // Closes a message box and keeps its text.
    static Answer CloseMessageBox(QString* text) {
        return [text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) {
                return false;
            }
            *text = box->text();
            box->done(QMessageBox::Ok);
            return true;
        };
    }

    // Picks `file` in a file dialog (or cancels it when `file` is empty) and
    // keeps the dialog's caption and filters.
    static Answer ChooseFile(const QString& file, QString* caption = nullptr,
                             QStringList* filters = nullptr) {
        return [=](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            if (caption != nullptr)
                *caption = dialog->windowTitle();
            if (filters != nullptr)
                *filters = dialog->nameFilters();
            if (file.isEmpty()) {
                dialog->reject();
            } else {
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();  // public in the base
            }
            return true;
        };
    }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || !_answer(modal)) {
            return;
        }
        _timer->stop();
        _answered = true;
    }

    Answer _answer;
    std::unique_ptr<QTimer> _timer;
    bool _answered = false;
};
