#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "DisplayView.h"
#include "Drovanel.h"
#include "LineDispatch.h"
#include "OperationLog.h"
#include "OverflowIndicator.h"
#include "PortToolBar.h"
#include "PortWatch.h"
#include "Settings.h"
#include "State.h"
#include "TuneInitDevice.h"

namespace {

constexpr int kProgressSteps = 100;

}  // namespace

void Drovanel::SwitchPort(bool on) {
    if (!on) {
        _device->Close();
        _link.Detach();
        _portBar->ShowOpen(false);
        ui.action_Record->setEnabled(false);
        SetCloseUI();
        StopCheckingUI();
        LOG4CPLUS_INFO(OperationLogger(), "Serialport close");
        ui.action_Direct_Mode->setEnabled(true);
        ui.action_Direct_Mode->setChecked(false);
        return;
    }
    const QString port = _portBar->PortName();
    const QString speed = _portBar->Speed();
    ui.action_Record->setEnabled(true);
    ::SetLatencyTimer(port, kLatencyTimer);
    if (!_link.OpenDevice(_device, port, speed)) {
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open failed");
        ShowOpenFailure();
        return;
    }
    _settings->SetParameter(ConfigParameter("port_bit_rate", speed.toStdString()));
    _portBar->ShowOpen(true);
    LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
    ui.actionTuneMode->setChecked(false);
    ui.action_Stop->setChecked(false);
    ui.action_Direct_Mode->setEnabled(false);
}

void Drovanel::SwitchPortDirect(bool on) {
    if (!on) {
        LOG4CPLUS_INFO(OperationLogger(), "Serialport close");
        _openAction->setChecked(false);
        ui.action_Record->setEnabled(false);
        SetCloseUI();
        StopCheckingUI();
        _device->Close();
        return;
    }
    ui.action_Record->setEnabled(true);
    _link.DropPending();
    if (!OpenDirect(_portBar->PortName())) {
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open failed");
        ShowOpenFailure();
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
    ui.actionTuneMode->setChecked(false);
    _openAction->setChecked(true);
    _link.Attach();
    ui.action_Stop->setChecked(false);
    SetOpenUI();
}

// Opening directly skips the start-up sequence and the version check: the
// port opens at the chosen speed with the bridge's line settings and nothing
// is sent, so the engineer meets the bridge in whatever mode it is.
bool Drovanel::OpenDirect(const QString& port) {
    if (_device->OpenDirect(port.toLocal8Bit().constData())) {
        return true;
    }
    if (_device->isOpen()) {
        _device->close();
    }
    _device->setPortName(port);
    _device->setQueryMode(morvex_gui::Device::EventDriven);
    if (!_device->open(QIODevice::ReadWrite)) {
        return false;
    }
    _device->ApplyPortSettings(_portBar->Speed());
    _device->flush();
    return true;
}

void Drovanel::ShowOpenFailure() {
    _openAction->setChecked(false);
    // Nothing can be recorded from a port that did not open.
    ui.action_Record->setEnabled(false);
    QMessageBox::critical(this, tr("Open Error"), tr("Open SerialPort Fail!"), QMessageBox::Ok);
    SetCloseUI();
    StopCheckingUI();
}

void Drovanel::ReadSerialPort() {
    if (_link.Read()) {
        morvex_gui::DispatchLines(_link.Lines(), _currentState,
                                  [this](const std::string& line) { CountReplyLine(line); });
    }
}

void Drovanel::CountReplyLine(const std::string& line) {
    RecordReplyLine(line);
    ++_lineCount;
    _lineProgress->setValue((_lineProgress->value() + 1) % kProgressSteps);
}

void Drovanel::ClearOverflow() {
    _overflowButton->Clear();
    _view->setFocus();
}

void Drovanel::DeviceArrival() {
    _portWatch->Arrival();
}

void Drovanel::DeviceRemoval() {
    _portWatch->Removal();
}

void Drovanel::LosePort() {
    emit SignalDeviceDisconnect();
    SwitchPort(false);
    QMessageBox::warning(this, tr("Missing Connection..."),
                         tr("The device maybe disconnect from the PC, please check it and retry."),
                         QMessageBox::Ok);
}
