#include "SerialPortDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QTextEdit>
#include <QTextStream>
#include <algorithm>
#include <cstring>
#include <limits>

#include "Device.h"
#include "LineSplitter.h"
#include "ProgramPaths.h"

namespace morvex_gui {

SerialPortDialog::SerialPortDialog(Device* device, QWidget* parent)
    : QDialog(parent),
      _device(device),
      _lines(),
      _pendingLength(0),
      _bytesAvailable(0),
      _deviceDisconnected(false) {
    if (_device != nullptr) {
        connect(_device, SIGNAL(readyRead()), this, SLOT(ReadSerialPort()));
    }
    // Only the main windows carry the removal signal.
    if (parent != nullptr && parent->metaObject()->indexOfSignal("SignalDeviceDisconnect()") >= 0) {
        connect(parent, SIGNAL(SignalDeviceDisconnect()), this, SLOT(DeviceDisconnect()));
    }
}

SerialPortDialog::~SerialPortDialog() = default;

void SerialPortDialog::ReadSerialPort() {
    if (_device == nullptr) {
        return;
    }
    const qint64 available = _device->bytesAvailable();
    _bytesAvailable =
        static_cast<int>(std::min<qint64>(available, std::numeric_limits<int>::max()));
    if (_bytesAvailable < 1) {
        return;
    }
    const qint64 read = _device->read(_readBuffer, kBufferSize);
    _lines.clear();
    if (read <= 0) {
        return;
    }
    const int count = static_cast<int>(read);
    // An unfinished reply that would run past the buffer is noise: it is
    // dropped so the new bytes still fit.
    if (count > kBufferSize - _pendingLength) {
        _pendingLength = 0;
    }
    std::memcpy(_pendingBuffer + _pendingLength, _readBuffer, static_cast<size_t>(count));
    _pendingLength += count;
    SplitLines(_pendingBuffer, &_pendingLength, &_lines);
}

void SerialPortDialog::DeviceDisconnect() {
    _deviceDisconnected = true;
    reject();
}

bool SerialPortDialog::WriteSessionLog(QTextEdit* log, QString tag) {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss"));
    const QString folder = platform::ProgramFilePath(QStringLiteral("LogFiles/"));
    QDir().mkpath(folder);
    QFile file(folder + tag + QLatin1Char('_') + stamp + QStringLiteral(".log"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::System);
    if (log != nullptr) {
        stream << log->toPlainText();
    }
    stream.flush();
    file.close();
    return stream.status() == QTextStream::Ok;
}

}  // namespace morvex_gui
