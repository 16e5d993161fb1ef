#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "ReplyReader.h"

class QCloseEvent;
class MorvexGenerator;

namespace Ui {
class SlaveDownloadProgress;
}

namespace morvex_gui {

class Device;

// Puts a tuned configuration into the touch controller in one go: has the
// EEPROM image generated from the pattern XML by the tool chain, then sends
// the firmware image and after it the generated EEPROM image through the
// slave bootloader. Each image goes out open-loop once the bootloader has
// announced itself, at a fixed pace, every command shown in the log; a
// "TIME_OUT" report, an error flag of the bootloader, the adapter's removal
// or a confirmed close stops it.
// Every accept or reject leaves a "TuneDownload" session log.
//
// The opener disconnects its own reader from the device, runs the dialog
// with exec() and deletes it afterwards (which leaves the bootloader).
// `parent` may carry SignalDeviceDisconnect() (the engineering window does).
class SlaveDownloadProgress : public QDialog {
    Q_OBJECT
public:
    SlaveDownloadProgress(Device* device, const char* xmlFile, const char* firmwareFile,
                          QWidget* parent);
    ~SlaveDownloadProgress() override;

public slots:
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void ReadSerialPort();
    void CreateVmxFile();
    void ProcessFinish();
    void ProcessFail();
    void DeviceDisconnect();

private:
    void StartDownload(const char* file);
    void SendCommands();
    void SendOne(const std::string& command);
    void FinishImage();
    // False when the lines after this one are not to be looked at.
    bool HandleLine(const std::string& line);
    void ReportTimeOut();
    // An acknowledgement with status flags or a failure report.
    bool IsBootloaderError(const std::string& line, std::vector<std::string>* flagLines) const;
    void ReportBootloaderError(const std::string& line, const std::vector<std::string>& flagLines);
    void Abort();
    void EnterBootloader();

    Device* _device;
    // Every reply counts here: a burst is cut into lines, not dropped.
    ReplyReader _reader{OverflowRule::KeepBurst};
    bool _canClose;
    bool _firmwarePhase;
    std::unique_ptr<Ui::SlaveDownloadProgress> ui;
    std::vector<std::string> _commands;
    std::string _xmlFile;
    std::string _firmwareFile;
    bool _aborted;
    // An image is loaded and waits for the bootloader's announcement; any
    // other announcement (a repeat during a send) starts nothing.
    bool _awaitingBootloader;
    // The dialog has been accepted, rejected or closed: late events of the
    // tool chain or the bridge start nothing more.
    bool _ended;
    bool _sessionLogged;
    MorvexGenerator* _generator;
};

}  // namespace morvex_gui
