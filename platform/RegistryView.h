#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

struct RegistryValue {
    QString name;
    QString data;
};

// The few registry keys the system reads and writes: the serial-port map,
// the USB-serial driver's per-device parameters, and our own map from port
// names to device paths. Key paths are full ("HKEY_LOCAL_MACHINE\..."); a
// path without a root means HKEY_LOCAL_MACHINE. Names compare without case.
class RegistryView {
public:
    RegistryView() = default;
    virtual ~RegistryView() = default;
    Q_DISABLE_COPY(RegistryView)

    // The values of a key in their order; false when the key does not exist.
    virtual bool ReadValues(const QString& key, QList<RegistryValue>* values) const = 0;
    // The names of a key's direct children, in their order.
    virtual QStringList SubKeys(const QString& key) const = 0;
    // False when the value could not be stored; `error` (if given) then
    // names the file and the system's reason.
    virtual bool WriteValue(const QString& key, const QString& name, const QString& data,
                            QString* error = nullptr) = 0;

    bool ReadValue(const QString& key, const QString& name, QString* data) const;
    // The data of every value of the serial-port map, in order.
    QStringList Ports() const;
    // The device path of a port name: an absolute path as it is, another
    // name (COM7) through the port-path map; empty when unknown.
    QString PortPath(const QString& portName) const;

    static QString NormalizeKey(const QString& key);
};

extern const QString kSerialCommKey;
extern const QString kFtdiBusKey;
extern const QString kPortPathKey;

// The file back end when MORVEX_REGISTRY_FILE names a file, else the live
// one. Read at each call, so a test can switch it.
std::unique_ptr<RegistryView> OpenRegistryView();

}  // namespace platform
