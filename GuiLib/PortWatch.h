#pragma once

#include <QObject>

class Win_QextSerialPort;

namespace platform {
class DeviceWatcher;
}

namespace morvex_gui_qtlib {

class PortToolBar;

// Serial adapters coming and going: keeps the tool bar's port list current
// and reports the open port lost, whether its adapter was pulled out (its name
// is no longer listed) or the line hung up while the name stayed listed.
class PortWatch : public QObject {
    Q_OBJECT
public:
    PortWatch(PortToolBar* toolBar, Win_QextSerialPort* port, QObject* parent);

    void Arrival();
    // Also the road of a hang-up, which loses the open port whatever the list says.
    void Removal(bool hungUp = false);

signals:
    // The window closes the port and tells the operator.
    void OpenPortLost();

private:
    void HangUp();

    PortToolBar* _toolBar;
    Win_QextSerialPort* _port;
    platform::DeviceWatcher* _watcher;
};

}  // namespace morvex_gui_qtlib
