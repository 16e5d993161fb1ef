#pragma once

#include <memory>
#include <string>

#include "MasterPacket.h"
#include "SerialPortDialog.h"

class QCloseEvent;
class Settings;

namespace Ui {
class MasterDownloader;
}

namespace morvex_gui {

// Flashes the bridge board's own microcontroller: puts the bridge into its
// bootloader, shows the bootloader's version, cuts the chosen Intel HEX file
// into pages and sends one packet per acknowledgement. The opener runs it
// with exec() and treats it as a finished download when it was accepted or
// DownloadStarted() is true.
class MasterDownloader : public SerialPortDialog {
    Q_OBJECT
public:
    MasterDownloader(Settings* settings, Device* device, QWidget* parent);
    ~MasterDownloader() override;

    // Set once the first packet of a download has been written; never cleared.
    bool DownloadStarted() const { return _downloadStarted; }

private slots:
    void Download();
    void ReadSerialPort() override;
    void SelectHexFile();
    void RetryGetVersion();
    void GetVersion();

private:
    void HandleLine(const std::string& line);
    void HandleBootloaderLine(const std::string& line);
    void SendNextPacket();
    void ReportSuccess();
    void ReportFailure(const QString& message);
    void MakeDownloadButton();
    void AppendLog(const QString& html);
    // Writes the session log, stops reading and sends "n"; once per dialog,
    // whichever way it ends (OK, the close button, the adapter's removal).
    void EndSession() override;

    std::unique_ptr<Ui::MasterDownloader> _ui;
    MasterPages _pages;
    int _packetCount;
    int _pageCount;
    Settings* _settings;
    std::string _hexFile;
    bool _downloadStarted;
    // Packets go out only between a successful start and the end of the
    // transfer (success, failure or the end packet).
    bool _transferActive;
    bool _sessionEnded;
};

}  // namespace morvex_gui
