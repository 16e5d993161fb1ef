#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

// Answers the modal dialogs that come up while it lives, in order, one step
// per dialog, from inside each dialog's own event loop. A step returns false
// when the dialog is not the kind it expects (it is then left alone).
class DialogScript : public QObject {
public:
    using Step = std::function<bool(QWidget*)>;

    explicit DialogScript(std::deque<Step> steps);
    bool Done() const { return _steps.empty(); }

    // A step for a dialog of class DialogT.
    template <class DialogT>
    static Step On(std::function<void(DialogT&)> act) {
        return [act](QWidget* modal) {
            auto* dialog = qobject_cast<DialogT*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            act(*dialog);
            return true;
        };
    }

    // A step for a dialog of class DialogT that waits until `done` holds.
    template <class DialogT>
    static Step Until(std::function<bool(DialogT&)> done) {
        return [done](QWidget* modal) {
            auto* dialog = qobject_cast<DialogT*>(modal);
            return dialog != nullptr && done(*dialog);
        };
    }

    // Picks `file` in a file dialog; an empty name cancels it.
    static Step PickFile(const QString& file);
    static void Choose(QFileDialog& dialog, const QString& file);
    // Presses `button` of a message box; keeps "title: text" in `seen`.
    static Step Answer(QMessageBox::StandardButton button, QString* seen = nullptr);

private:
    void Poll();

    QTimer _timer;
    std::deque<Step> _steps;
    bool _busy = false;
};
