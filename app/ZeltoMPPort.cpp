#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include "CoreDevice.h"
#include "OperationLog.h"
#include "PortToolBar.h"
#include "PortWatch.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "ZeltoMP.h"

namespace {

constexpr int kProgressSteps = 100;

}  // namespace

void ZeltoMP::SwitchPort(bool checked) {
    StartNewRun();
    if (checked) {
        OpenPort();
    } else {
        ClosePort();
    }
}

void ZeltoMP::OpenPort() {
    const QString port = _portBar->PortName();
    const QString bitRate = _portBar->Speed();
    ::SetLatencyTimer(port, kLatencyTimer);
    if (!_link.OpenDevice(_device, port, bitRate)) {
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open failed");
        _portBar->ShowOpen(false);
        QMessageBox::critical(this, tr("Open Error"), tr("Open SerialPort Fail!"), QMessageBox::Ok,
                              QMessageBox::NoButton);
        ShowPortClosed();
        return;
    }
    _settings->SetParameter(ConfigParameter("port_bit_rate", bitRate.toStdString()));
    _portBar->ShowOpen(true);
    LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
    ShowPortOpen();
}

void ZeltoMP::ShowPortOpen() {
    ui.stackedWidget->show();
    ui.mode_toolBar->show();
    SetMenusVisible(true);
    // A new panel: nothing of an earlier session's runs is its own, and on
    // the automatic page the start-up's slave check begins its run.
    BeginRunRecord();
    SetDeviceActionsEnabled(true);
    ResultLabelUnShown();
    _noFirmware = false;
    StartVersionWatch();
}

void ZeltoMP::ClosePort() {
    _device->PowerOff();
    _device->Close();
    _link.Detach();
    LOG4CPLUS_INFO(OperationLogger(), "Serialport close");
    _portBar->ShowOpen(false);
    ShowPortClosed();
}

void ZeltoMP::ShowPortClosed() {
    _imp->StartCommon();
    _imp->ClearAll();
    ui.stackedWidget->hide();
    ui.mode_toolBar->hide();
    SetMenusVisible(false);
    SetDeviceActionsEnabled(false);
    StopVersionWatch();
    ResetLabels();
}

void ZeltoMP::ReadSerialPort() {
    if (ReadPort()) {
        ParseLines(_currentState, [this](const std::string&) { StepProgress(); });
    }
}

void ZeltoMP::StepProgress() {
    _progressBar->setValue((_progressBar->value() + 1) % kProgressSteps);
}

void ZeltoMP::DeviceArrival() {
    _portWatch->Arrival();
}

void ZeltoMP::DeviceRemoval() {
    _portWatch->Removal();
}

void ZeltoMP::LosePort() {
    SwitchPort(false);
    emit SignalDeviceDisconnect();
    ui.textBrowser->setText(
        QStringLiteral("<FONT COLOR=red SIZE=8>The device maybe disconnect from the PC, please "
                       "check it and retry. </FONT>"));
}
