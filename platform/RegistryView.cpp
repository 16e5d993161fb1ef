#include "RegistryView.h"

#include "FileRegistry.h"
#include "LiveRegistry.h"

namespace platform {

const QString kSerialCommKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM");
const QString kFtdiBusKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS");
// Not a Windows key: where a set-up names the device behind a port name.
const QString kPortPathKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvex\\PortPaths");

bool RegistryView::ReadValue(const QString& key, const QString& name, QString* data) const {
    QList<RegistryValue> values;
    if (!ReadValues(key, &values)) {
        return false;
    }
    for (const RegistryValue& value : values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0) {
            *data = value.data;
            return true;
        }
    }
    return false;
}

QStringList RegistryView::Ports() const {
    QList<RegistryValue> values;
    QStringList ports;
    if (ReadValues(kSerialCommKey, &values)) {
        for (const RegistryValue& value : values) {
            ports.append(value.data);
        }
    }
    return ports;
}

QString RegistryView::PortPath(const QString& portName) const {
    if (portName.startsWith(QLatin1Char('/'))) {
        return portName;
    }
    QString path;
    return ReadValue(kPortPathKey, portName, &path) ? path : QString();
}

QString RegistryView::NormalizeKey(const QString& key) {
    QString normalized = key;
    while (normalized.endsWith(QLatin1Char('\\'))) {
        normalized.chop(1);
    }
    if (!normalized.startsWith(QLatin1String("HKEY_"), Qt::CaseInsensitive)) {
        normalized.prepend(QLatin1String("HKEY_LOCAL_MACHINE\\"));
    }
    return normalized;
}

std::unique_ptr<RegistryView> OpenRegistryView() {
    const QString file = qEnvironmentVariable("MORVEX_REGISTRY_FILE");
    if (!file.isEmpty()) {
        return std::make_unique<FileRegistry>(file);
    }
    return std::make_unique<LiveRegistry>();
}

}  // namespace platform
