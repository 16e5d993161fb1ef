#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "ReplyReader.h"

class QCloseEvent;
class Settings;

namespace Ui {
class SlaveDownloaderDialog;
}

namespace morvex_gui {

class CoreDevice;
class Device;

// Loads a .vmx image into the touch controller through the bridge. It puts
// the slave into its bootloader, turns the image into write commands and
// sends them, reading the bridge's replies itself while it is open. With a
// bridge firmware of 5.9 or later ("Master_version") each record waits for
// the bridge's acknowledgement; older bridges get every record at a fixed
// pace followed by "Q"; an "F" reply, a lost slave or a hung-up port stops
// that pace and ends the dialog rejected. The opener runs it with exec() and
// treats it as a finished download when it was accepted or DownloadStarted()
// is true. `parent` may carry SignalDeviceDisconnect() (the main windows do).
class SlaveDownloader : public QDialog {
    Q_OBJECT
public:
    SlaveDownloader(Settings* settings, Device* device, QWidget* parent);
    ~SlaveDownloader() override;

    // Set once an image has loaded and its download has begun; never cleared.
    bool DownloadStarted() const { return _downloadStarted; }

public slots:
    // Every way out of the dialog (OK, Fail, the close button) ends the
    // session exactly once; during a timed download it only stops the loop,
    // which then ends the dialog accepted.
    void done(int r) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void Download();
    void ReadSerialPort();
    void SelectVmxFile();
    void RetryGetVersion();
    void GetVersion();
    void ReadExtraFlags();
    virtual void DeviceDisconnect();
    void StateChange(int state);

private:
    bool LoadVmxFile(const char* fileName);
    void Warn(const QString& title, const QString& text, const QString& reason = QString());
    // Handles one reply line; false when the rest of the read is dropped.
    bool HandleLine(const std::string& line);
    bool HandleAcknowledge(const std::string& text, const std::string& flags);
    void HandleFailReply(const std::string& text, const std::string& lineHigh,
                         const std::string& lineLow, const std::string& flags);
    bool HandleSlaveLost();
    void StartHandshake();
    void RunTimedDownload();
    // Ends a timed download that could not finish: nothing was stored.
    void StopTimedDownload();
    bool WriteFailed() const;
    // Sends the next record after the delays in front of it; a list that
    // ends in delays finishes as a success with `reply`.
    void SendNextRecord(const std::string& reply);
    // False when the dialog was closed or the slave lost meanwhile.
    bool RunDelays();
    void ReportSuccess(const std::string& reply);
    void ReportStatusFlags(int flags);
    void ReportFailure();
    // The Download button becomes the dialog's OK or Fail button.
    void FinishButton(const QString& text);
    void SaveDownloadFile();
    void AppendLog(const QString& html);
    void AppendLog(const std::string& text);
    bool TimedDownloadRunning() const;
    // Stops reading and leaves the slave's bootloader; once per dialog.
    void EndSession();

    std::unique_ptr<Ui::SlaveDownloaderDialog> ui;
    CoreDevice* _coreDevice;
    Settings* _settings;
    std::string _vmxFile;
    std::vector<std::string> _commands;
    std::string _bootloaderVersion;
    bool _downloadStarted;
    bool _downloading;
    int _commandIndex;
    bool _oldMaster;
    Device* _device;
    // A read of a burst means the dialog fell behind the bridge: it is dropped.
    ReplyReader _reader{OverflowRule::DropBurst};
    bool _abort;
    bool _sessionEnded;
};

}  // namespace morvex_gui
