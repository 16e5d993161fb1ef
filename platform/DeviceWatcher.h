#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

namespace platform {

// Notices serial adapters that come and go by comparing the registry view's
// port list about once a second (either back end, so a test that edits the
// registry file sees it too). Stands in for the device-change messages.
class DeviceWatcher : public QObject {
    Q_OBJECT
public:
    explicit DeviceWatcher(QObject* parent = nullptr, int intervalMs = 1000);

public slots:
    // Compares now; emits at most one arrival and one removal.
    void Check();

signals:
    void SignalDeviceArrival();
    void SignalDeviceRemoval();

private:
    QTimer _timer;
    QStringList _ports;
};

}  // namespace platform
