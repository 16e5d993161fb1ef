#include "SerialPortDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QTextEdit>
#include <QTextStream>

#include "Device.h"
#include "OperationLog.h"
#include "ProgramPaths.h"

namespace {

bool SessionLogFailed(const QFile& file) {
    LOG4CPLUS_WARN(OperationLogger(),
                   "Session log not written: " << file.fileName().toLocal8Bit().constData() << ": "
                                               << file.errorString().toLocal8Bit().constData());
    return false;
}

}  // namespace

namespace morvex_gui {

SerialPortDialog::SerialPortDialog(Device* device, QWidget* parent)
    : QDialog(parent), _device(device), _bytesAvailable(0), _deviceDisconnected(false) {
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
    _reader.Read(*_device);
    _bytesAvailable = _reader.BytesAvailable();
}

void SerialPortDialog::done(int result) {
    EndSession();
    QDialog::done(result);
}

void SerialPortDialog::closeEvent(QCloseEvent* event) {
    EndSession();
    QDialog::closeEvent(event);
}

void SerialPortDialog::DeviceDisconnect() {
    _deviceDisconnected = true;
    reject();
}

// The dialogs end their session whatever the log's fate, so a log that
// cannot be written is noted in the operation log here, for every caller.
bool SerialPortDialog::WriteSessionLog(QTextEdit* log, QString tag) {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss"));
    const QString folder = platform::ProgramFilePath(QStringLiteral("LogFiles/"));
    QDir().mkpath(folder);
    QFile file(folder + tag + QLatin1Char('_') + stamp + QStringLiteral(".log"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return SessionLogFailed(file);
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::System);
    if (log != nullptr) {
        stream << log->toPlainText();
    }
    stream.flush();
    if (stream.status() != QTextStream::Ok || file.error() != QFileDevice::NoError) {
        return SessionLogFailed(file);
    }
    file.close();
    return file.error() == QFileDevice::NoError || SessionLogFailed(file);
}

}  // namespace morvex_gui
