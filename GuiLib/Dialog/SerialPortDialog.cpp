#include "SerialPortDialog.h"

#include <QDateTime>
#include <QDir>
#include <QTextEdit>

#include "Device.h"
#include "OperationLog.h"
#include "ProgramPaths.h"
#include "WholeFileWriter.h"

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
    const QByteArray text = log != nullptr ? log->toPlainText().toLocal8Bit() : QByteArray();
    QString error;
    if (!platform::WholeFileWriter::Save(
            folder + tag + QLatin1Char('_') + stamp + QStringLiteral(".log"), text, &error)) {
        LOG4CPLUS_WARN(OperationLogger(),
                       "Session log not written: " << error.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace morvex_gui
