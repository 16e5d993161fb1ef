#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <cstring>

#include "CoreDevice.h"
#include "OperationLog.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "ZeltoMP.h"

namespace {

// The USB-serial driver's latency timer while the tool owns the port.
constexpr int kLatencyTimer = 3;
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
    const QString port = _portCombo->currentText();
    const QString bitRate = _bitRateCombo->currentText();
    ::SetLatencyTimer(port, kLatencyTimer);
    connect(_device, &QIODevice::readyRead, this, &ZeltoMP::ReadSerialPort, Qt::UniqueConnection);
    _pendingLength = 0;
    std::memset(_readBuffer, 0, sizeof _readBuffer);
    std::memset(_pendingBuffer, 0, sizeof _pendingBuffer);
    if (!_device->Open(port, bitRate)) {
        disconnect(_device, &QIODevice::readyRead, this, &ZeltoMP::ReadSerialPort);
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open failed");
        _portAction->setChecked(false);
        QMessageBox::critical(this, tr("Open Error"), tr("Open SerialPort Fail!"), QMessageBox::Ok,
                              QMessageBox::NoButton);
        ShowPortClosed();
        return;
    }
    _settings->SetParameter(ConfigParameter("port_bit_rate", bitRate.toStdString()));
    _portCombo->setEnabled(false);
    _bitRateCombo->setEnabled(false);
    _portAction->setChecked(true);
    LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
    ShowPortOpen();
}

void ZeltoMP::ShowPortOpen() {
    ui.stackedWidget->show();
    ui.mode_toolBar->show();
    SetMenusVisible(true);
    _overallPass = true;
    SetDeviceActionsEnabled(true);
    ResultLabelUnShown();
    _versionTicks = 0;
    _noFirmware = false;
    _versionTimer->start();
}

void ZeltoMP::ClosePort() {
    _device->PowerOff();
    _device->Close();
    disconnect(_device, &QIODevice::readyRead, this, &ZeltoMP::ReadSerialPort);
    _portCombo->setEnabled(true);
    _bitRateCombo->setEnabled(true);
    LOG4CPLUS_INFO(OperationLogger(), "Serialport close");
    _portAction->setChecked(false);
    ShowPortClosed();
}

void ZeltoMP::ShowPortClosed() {
    _imp->StartCommon();
    _imp->ClearAll();
    ui.stackedWidget->hide();
    ui.mode_toolBar->hide();
    SetMenusVisible(false);
    SetDeviceActionsEnabled(false);
    ResetLabels();
}

void ZeltoMP::ReadSerialPort() {
    if (!ReadPort()) {
        return;
    }
    const int lines = static_cast<int>(_lines.size());
    // ParseLines re-reads _currentState for every line, so a line that makes
    // the device swap states hands the next line to the new state.
    ParseLines(_currentState);
    StepProgress(lines);
}

void ZeltoMP::StepProgress(int lines) {
    _progressBar->setValue((_progressBar->value() + lines % kProgressSteps) % kProgressSteps);
}

void ZeltoMP::RefreshPortList() {
    _portCombo->clear();
    QStringList ports;
    ::EnumeratePorts(&ports);
    _portCombo->addItems(ports);
}

void ZeltoMP::DeviceArrival() {
    RefreshPortList();
    if (_portCombo->count() > 0) {
        _portAction->setEnabled(true);
    }
}

void ZeltoMP::DeviceRemoval() {
    RefreshPortList();
    if (_portAction->isChecked() && _portCombo->findText(_device->portName()) < 0) {
        LOG4CPLUS_INFO(OperationLogger(), "Opened Device is Disconnected");
        SwitchPort(false);
        emit SignalDeviceDisconnect();
        ui.textBrowser->setText(
            QStringLiteral("<FONT COLOR=red SIZE=8>The device maybe disconnect from the PC, please "
                           "check it and retry. </FONT>"));
    }
    if (_portCombo->count() == 0) {
        _portAction->setEnabled(false);
    }
}
