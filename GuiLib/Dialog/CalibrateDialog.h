#pragma once

#include <QProcess>
#include <memory>
#include <string>
#include <vector>

#include "SerialPortDialog.h"

namespace Ui {
class CalibrateDialog;
}

namespace morvex_gui {

class CoreDevice;

// Runs one job on the touch controller while it owns the serial link: a
// calibration (the controller counts down from 5 s and recalibrates; the
// bridge is taken out of the mode at "0s") or a read of the controller's
// offset table (384 lines), which the operator can copy to the clipboard and
// paste into the configuration tool "ZeltoConfig.exe", which it can start.
//
// The opener disconnects its own reader from the device's readyRead() first
// (for an offset read it also sends "#"), creates the dialog with itself as
// parent, runs exec() (the result means nothing), deletes the dialog and then
// reconnects its reader. A parent that carries SignalDeviceDisconnect()
// closes the dialog when the adapter goes away.
class CalibrateDialog : public SerialPortDialog {
    Q_OBJECT
public:
    // One offset read brings this many lines.
    static constexpr int kOffsetLineCount = 384;
    // The job starts this long after construction, once the dialog shows.
    static constexpr int kStartDelayMs = 200;

    // `calibrate` true calibrates, false reads the offsets. The offset read
    // needs a CoreDevice (or a subclass); any device can calibrate.
    CalibrateDialog(bool calibrate, Device* device, QWidget* parent);
    // Ends a configuration tool it started, without reporting that as a failure.
    ~CalibrateDialog() override;

    // Offset lines of the current read (also those beyond the 384th).

protected slots:
    void ReadSerialPort() override;

private slots:
    void StartCalibrate();
    void UserCheckOffsetRegister();
    void Close();
    void SetClipboard();
    void SetClipboardAndStartZeltoConfig();
    void SlaveConfigFail(QProcess::ProcessError error);
    void StartOffset();

private:
    void HandleLine(const std::string& line);
    void CollectOffsetLine(const std::string& text);
    void ShowOffsetLines();
    void ShowCountdown(const std::string& seconds);
    void FinishCalibrate();

    std::unique_ptr<Ui::CalibrateDialog> ui;
    CoreDevice* _coreDevice;
    bool _calibrating;
    int _offsetCount;
    std::vector<std::string> _offsetLines;
};

}  // namespace morvex_gui
