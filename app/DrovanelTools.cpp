#include <QComboBox>
#include <QDockWidget>
#include <QListWidget>
#include <QMessageBox>
#include <memory>

#include "AboutDialog.h"
#include "CalibrateDialog.h"
#include "Drovanel.h"
#include "MasterDownloader.h"
#include "OperationLog.h"
#include "PortToolBar.h"
#include "ProgramPaths.h"
#include "QtWindowImp.h"
#include "SettingDialog.h"
#include "SlaveDownloader.h"
#include "TuneInitDevice.h"

namespace {

// The bridge settles after a calibration before its mode is set again.
constexpr unsigned kCalibrateSettleMs = 50;

const char* const kConfigTool = "ZeltoConfig.exe";
const char* const kDownloadTool = "KVR_Downloader.exe";

}  // namespace

void Drovanel::ConnectTools() {
    connect(ui.buttonMasterDownload, &QPushButton::clicked, this, &Drovanel::MasterDownload);
    connect(ui.buttonSlaveDownload, &QPushButton::clicked, this, &Drovanel::SlaveDownload);
    connect(ui.actionMasterDownload, &QAction::triggered, this, &Drovanel::MasterDownload);
    connect(ui.actionSlaveDownload, &QAction::triggered, this, &Drovanel::SlaveDownload);
    connect(ui.actionCalibrate, &QAction::triggered, this, &Drovanel::StartCalibrate);
    connect(ui.action_About, &QAction::triggered, this, &Drovanel::About);
    connect(ui.actionDefault_Settings, &QAction::triggered, this, &Drovanel::SetDefaultSettings);
    connect(ui.actionStart_Zelto_Config, &QAction::triggered, this, &Drovanel::StartZeltoConfig);
    connect(ui.actionStart_KVR_download, &QAction::triggered, this, &Drovanel::StartKvrDownload);
    connect(_imp, &morvex_gui_qtlib::QtWindowImp::SignalRequestMasterDownload, this,
            &Drovanel::RequestMasterDownload);
}

// Puts the bridge back into the mode that the panel actions show.
void Drovanel::RestoreMode() {
    if (ui.actionUserMode->isChecked()) {
        _device->UserMode();
    } else if (ui.actionI2CMode->isChecked()) {
        _device->I2cMode();
    } else if (ui.actionTuneMode->isChecked()) {
        _device->TuneInit();
        ui.dockWidget->show();
        ui.dockWidgetInformation->show();
        ChangeModeForParameter(ui.listTuneParameters->currentRow());
    }
}

// New firmware: the window starts over as after opening the port, so the
// versions are read afresh.
void Drovanel::RestartAfterDownload() {
    SetCloseUI();
    ClearStatusLine();
    _device->EnterOpenState();
}

// Runs a download dialog, which reads the bridge itself meanwhile; true when
// the download counts as done: accepted, or ended after it had begun. A done
// download restarts the bridge.
template <class Downloader>
bool Drovanel::RunDownload(const std::string& kind) {
    LOG4CPLUS_INFO(OperationLogger(), kind + " download dialog start");
    _link.Lend();
    bool done = false;
    {
        const auto dialog = std::make_unique<Downloader>(_settings, _device, this);
        const bool accepted = dialog->exec() == QDialog::Accepted;
        done = accepted || dialog->DownloadStarted();
    }
    _link.TakeBack();
    LOG4CPLUS_INFO(OperationLogger(),
                   kind + (done ? " download dialog accept" : " download dialog reject"));
    if (done && _device->isOpen()) {
        RestartAfterDownload();
    }
    return done;
}

void Drovanel::MasterDownload() {
    ::SetLatencyTimer(_portBar->PortName(), kLatencyTimer);
    if (!RunDownload<morvex_gui::MasterDownloader>("Master") && _device->isOpen()) {
        RestoreMode();
    }
    ::SetLatencyTimer(_portBar->PortName(), kLatencyTimer);
}

void Drovanel::SlaveDownload() {
    if (!RunDownload<morvex_gui::SlaveDownloader>("Slave") && _device->isOpen()) {
        RestoreMode();
    }
}

// A bridge without firmware is of no use: unless it is flashed now, the
// port closes.
void Drovanel::RequestMasterDownload() {
    if (QMessageBox::question(
            this, tr("Download Master File?"),
            tr("The master is empty, do you want to download the master hex file?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        LOG4CPLUS_INFO(OperationLogger(), "Master empty download dialog cancel");
        SwitchPort(false);
        return;
    }
    if (!RunDownload<morvex_gui::MasterDownloader>("Master empty") && _device->isOpen()) {
        SwitchPort(false);
    }
}

void Drovanel::StartCalibrate() {
    RunCalibrateDialog(true);
}

void Drovanel::RunCalibrateDialog(bool calibrate) {
    ::SetLatencyTimer(_portBar->PortName(), kLatencyTimer);
    LOG4CPLUS_INFO(OperationLogger(), "Calibrate dialog start");
    _link.Lend();
    if (!calibrate) {
        _device->UserMode();
    }
    {
        const auto dialog = std::make_unique<morvex_gui::CalibrateDialog>(calibrate, _device, this);
        dialog->exec();
    }
    LOG4CPLUS_INFO(OperationLogger(), "Calibrate dialog exit");
    _link.TakeBack();
    _device->Sleep(kCalibrateSettleMs);
    RestoreMode();
    ::SetLatencyTimer(_portBar->PortName(), kLatencyTimer);
}

void Drovanel::About() {
    LOG4CPLUS_INFO(OperationLogger(), "About dialog start");
    {
        const auto dialog = std::make_unique<AboutDialog>(this);
        dialog->exec();
    }
    LOG4CPLUS_INFO(OperationLogger(), "About dialog exit");
}

void Drovanel::SetDefaultSettings() {
    if (!SettingDialog::EditDefaults(_settings, this)) {
        return;
    }
    // The display starts again with the new settings.
    if (ui.controlPanel->currentWidget() == ui.userPanel) {
        ui.actionNormal->trigger();
    } else if (ui.controlPanel->currentWidget() == ui.engineeringPanel &&
               ui.actionDrawing_Mode->isChecked()) {
        _device->DrawingState();
    }
}

// The tools live beside the program; the window only starts them and
// reports when they cannot run.
void Drovanel::StartTool(const char* program, void (Drovanel::*failure)(QProcess::ProcessError)) {
    auto* tool = new QProcess(this);
    connect(tool, &QProcess::errorOccurred, this, failure);
    tool->start(platform::ProgramFilePath(QString::fromLatin1(program)), QStringList(),
                QIODevice::ReadWrite);
}

void Drovanel::StartZeltoConfig() {
    StartTool(kConfigTool, &Drovanel::SlaveConfigFail);
}

void Drovanel::StartKvrDownload() {
    StartTool(kDownloadTool, &Drovanel::StartKvrDownloadFail);
}

void Drovanel::SlaveConfigFail(QProcess::ProcessError) {
    QMessageBox::warning(this, tr("Start ZeltoConifg.exe Fail..."),
                         tr("Start ZeltoConifg.exe fail, make sure it's in the current folder!"),
                         QMessageBox::Ok);
}

void Drovanel::StartKvrDownloadFail(QProcess::ProcessError) {
    QMessageBox::warning(this, tr("Start KVR_Downloader.exe Fail..."),
                         tr("Start KVR_Downloader.exe fail, make sure it's in the current folder!"),
                         QMessageBox::Ok);
}
