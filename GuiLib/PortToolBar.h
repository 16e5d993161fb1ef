#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QComboBox;
class QToolBar;

namespace morvex_gui_qtlib {

// The port choice on a main window's tool bar: the port combo, the speed
// combo (absent for a window with a fixed speed) and the checkable open
// action. The choices are frozen while the port is open.
class PortToolBar : public QObject {
    Q_OBJECT
public:
    PortToolBar(QToolBar* bar, QAction* openAction, const QStringList& speeds, QWidget* parent);

    QComboBox* PortCombo() const { return _portCombo; }
    QComboBox* SpeedCombo() const { return _speedCombo; }
    QAction* OpenAction() const { return _openAction; }
    QString PortName() const;
    QString Speed() const;
    bool IsOpen() const;

    // Shows `speed` when it is one of the choices.
    void ChooseSpeed(const QString& speed);
    // Lists the serial ports present now; the shown entry becomes the first.
    void FillPorts();
    void ShowOpen(bool open);

private:
    QComboBox* _portCombo;
    QComboBox* _speedCombo = nullptr;
    QAction* _openAction;
};

}  // namespace morvex_gui_qtlib
