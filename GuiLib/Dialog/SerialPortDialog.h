#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "ReplyReader.h"

class QTextEdit;

namespace morvex_gui {

class Device;

// Base of the dialogs that read the bridge themselves while they are open. It
// takes over the device's readyRead(), cuts the bytes into complete reply
// lines (without their "\r") and closes the dialog when the parent window
// reports that the adapter has gone. The opener disconnects its own reader
// before building the dialog and reconnects it afterwards.
class SerialPortDialog : public QDialog {
    Q_OBJECT
public:
    // `parent` may carry the signal SignalDeviceDisconnect() (the main
    // windows do); it then closes the dialog.
    SerialPortDialog(Device* device, QWidget* parent);
    ~SerialPortDialog() override;

    // Writes the log widget's plain text to LogFiles/<tag>_<yyyy-MM-dd-hh-mm-ss>.log
    // in the program's directory, replacing a file of that name. False, with
    // the file and the reason in the operation log, when it cannot be written.
    static bool WriteSessionLog(QTextEdit* log, QString tag);

    bool DeviceDisconnected() const { return _deviceDisconnected; }

public slots:
    // QDialog::done closes the window without a close event, so both ways
    // out end the session.
    void done(int result) override;

protected slots:
    // One read step: the complete lines of this read end up in _lines; every
    // reply counts, so a large read is cut into lines like any other.
    // Overrides call it first and walk _lines with ForEachLine.
    virtual void ReadSerialPort();
    virtual void DeviceDisconnect();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Ends what the dialog started; runs on every way out, so a second call
    // must do nothing. By default there is nothing to end.
    virtual void EndSession() {}

    Device* _device;
    ReplyReader _reader{OverflowRule::KeepBurst};
    std::vector<std::string>& _lines = _reader.Lines();
    // What the port reported waiting at the last read; below 1, nothing was read.
    int _bytesAvailable;
    bool _deviceDisconnected;
};

}  // namespace morvex_gui
