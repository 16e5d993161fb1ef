#include "PortWatch.h"

#include <QAction>
#include <QComboBox>

#include "DeviceWatcher.h"
#include "OperationLog.h"
#include "PortToolBar.h"
#include "Win_QextSerialPort.h"

namespace morvex_gui_qtlib {

PortWatch::PortWatch(PortToolBar* toolBar, Win_QextSerialPort* port, QObject* parent)
    : QObject(parent), _toolBar(toolBar), _port(port), _watcher(new platform::DeviceWatcher(this)) {
    connect(_watcher, &platform::DeviceWatcher::SignalDeviceArrival, this, &PortWatch::Arrival);
    connect(_watcher, &platform::DeviceWatcher::SignalDeviceRemoval, this, [this] { Removal(); });
    connect(_port, &Win_QextSerialPort::hungUp, this, &PortWatch::HangUp);
}

void PortWatch::Arrival() {
    _toolBar->FillPorts();
    if (_toolBar->PortCombo()->count() > 0) {
        _toolBar->OpenAction()->setEnabled(true);
    }
}

void PortWatch::Removal(bool hungUp) {
    _toolBar->FillPorts();
    const bool listed = _toolBar->PortCombo()->findText(_port->portName()) >= 0;
    if (_toolBar->IsOpen() && (hungUp || !listed)) {
        LOG4CPLUS_INFO(OperationLogger(), "Opened Device is Disconnected");
        emit OpenPortLost();
    }
    if (_toolBar->PortCombo()->count() == 0) {
        _toolBar->OpenAction()->setEnabled(false);
    }
}

void PortWatch::HangUp() {
    // A hang-up reported by a port that was closed meanwhile is old news.
    if (!_port->isOpen()) {
        return;
    }
    // The watcher learns of a removal that came with it, so a later arrival
    // under the same name is seen as one.
    _watcher->Check();
    if (_port->isOpen()) {
        Removal(true);
    }
}

}  // namespace morvex_gui_qtlib
