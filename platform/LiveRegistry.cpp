#include "LiveRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace platform {

namespace {

const QString kParameterTail = QStringLiteral("\\0000\\Device Parameters");

int TtyNumber(const QString& tty) {
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = digits.match(tty);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool SameKey(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

LiveRegistry::LiveRegistry(QString sysRoot, QString devRoot)
    : _sysRoot(std::move(sysRoot)), _devRoot(std::move(devRoot)) {}

bool LiveRegistry::ReadValues(const QString& key, QList<RegistryValue>* values) const {
    const QString wanted = NormalizeKey(key);
    values->clear();
    if (SameKey(wanted, kSerialCommKey)) {
        for (const QString& tty : FtdiTtys()) {
            values->append(RegistryValue{QStringLiteral("\\Device\\VCP%1").arg(TtyNumber(tty)),
                                         _devRoot + QLatin1Char('/') + tty});
        }
        return true;
    }
    if (SameKey(wanted, kFtdiBusKey)) {
        return true;
    }
    const QString tty = TtyOfParameterKey(wanted);
    if (tty.isEmpty()) {
        return false;
    }
    values->append(RegistryValue{QStringLiteral("PortName"), _devRoot + QLatin1Char('/') + tty});
    QFile latency(LatencyFile(tty));
    if (latency.open(QIODevice::ReadOnly)) {
        values->append(RegistryValue{QStringLiteral("LatencyTimer"),
                                     QString::fromLatin1(latency.readAll()).trimmed()});
    }
    return true;
}

QStringList LiveRegistry::SubKeys(const QString& key) const {
    return SameKey(NormalizeKey(key), kFtdiBusKey) ? FtdiTtys() : QStringList();
}

// Only the latency timer can be written; other values are not kept, as
// nothing reads them back.
bool LiveRegistry::WriteValue(const QString& key, const QString& name, const QString& data,
                              QString* error) {
    const QString tty = TtyOfParameterKey(NormalizeKey(key));
    if (tty.isEmpty() || !SameKey(name, QStringLiteral("LatencyTimer"))) {
        return true;
    }
    QFile latency(LatencyFile(tty));
    const QByteArray bytes = data.toLatin1();
    if (latency.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        latency.write(bytes) == bytes.size()) {
        return true;
    }
    if (error != nullptr) {
        *error = latency.fileName() + QStringLiteral(": ") + latency.errorString();
    }
    return false;
}

QStringList LiveRegistry::FtdiTtys() const {
    const QDir devices(_sysRoot + QStringLiteral("/bus/usb-serial/devices"));
    QStringList ttys;
    for (const QString& entry :
         devices.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QFileInfo driver(devices.filePath(entry) + QStringLiteral("/driver"));
        if (QFileInfo(driver.symLinkTarget()).fileName() == QLatin1String("ftdi_sio")) {
            ttys.append(entry);
        }
    }
    std::sort(ttys.begin(), ttys.end(),
              [](const QString& a, const QString& b) { return TtyNumber(a) < TtyNumber(b); });
    return ttys;
}

QString LiveRegistry::TtyOfParameterKey(const QString& key) const {
    const QString prefix = kFtdiBusKey + QLatin1Char('\\');
    if (!key.startsWith(prefix, Qt::CaseInsensitive) ||
        !key.endsWith(kParameterTail, Qt::CaseInsensitive)) {
        return QString();
    }
    const QString tty = key.mid(prefix.size(), key.size() - prefix.size() - kParameterTail.size());
    return FtdiTtys().contains(tty) ? tty : QString();
}

QString LiveRegistry::LatencyFile(const QString& tty) const {
    return _sysRoot + QStringLiteral("/bus/usb-serial/devices/") + tty +
           QStringLiteral("/latency_timer");
}

}  // namespace platform
