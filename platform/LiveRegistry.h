#pragma once

#include "RegistryView.h"

namespace platform {

// The registry as the running system shows it: every tty whose driver is
// ftdi_sio appears in the serial-port map as \Device\VCPn = /dev/ttyUSBn and
// as one device under FTDIBUS, whose LatencyTimer is the driver's sysfs
// latency_timer. Nothing else exists.
class LiveRegistry : public RegistryView {
public:
    explicit LiveRegistry(QString sysRoot = QStringLiteral("/sys"),
                          QString devRoot = QStringLiteral("/dev"));

    bool ReadValues(const QString& key, QList<RegistryValue>* values) const override;
    QStringList SubKeys(const QString& key) const override;
    bool WriteValue(const QString& key, const QString& name, const QString& data,
                    QString* error = nullptr) override;

private:
    // Names of the ftdi_sio ttys (ttyUSB0, ...) in number order.
    QStringList FtdiTtys() const;
    // The tty named by a key FTDIBUS\<tty>\0000\Device Parameters; empty otherwise.
    QString TtyOfParameterKey(const QString& key) const;
    QString LatencyFile(const QString& tty) const;

    QString _sysRoot;
    QString _devRoot;
};

}  // namespace platform
