#include "DeviceWatcher.h"

#include "RegistryView.h"

namespace platform {

DeviceWatcher::DeviceWatcher(QObject* parent, int intervalMs)
    : QObject(parent), _ports(OpenRegistryView()->Ports()) {
    connect(&_timer, &QTimer::timeout, this, &DeviceWatcher::Check);
    _timer.start(intervalMs);
}

void DeviceWatcher::Check() {
    const QStringList now = OpenRegistryView()->Ports();
    bool arrived = false;
    bool removed = false;
    for (const QString& port : now) {
        arrived = arrived || !_ports.contains(port);
    }
    for (const QString& port : _ports) {
        removed = removed || !now.contains(port);
    }
    _ports = now;
    if (removed) {
        emit SignalDeviceRemoval();
    }
    if (arrived) {
        emit SignalDeviceArrival();
    }
}

}  // namespace platform
