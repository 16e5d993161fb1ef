#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <limits>

#include "DisplayView.h"
#include "Drovanel.h"
#include "LineSplitter.h"
#include "OperationLog.h"
#include "Settings.h"
#include "State.h"
#include "TuneInitDevice.h"

namespace {

// The USB-serial driver's latency timer while the tool owns the port.
constexpr int kLatencyTimer = 3;
constexpr int kProgressSteps = 100;

}  // namespace

void Drovanel::ConnectReader() {
    // Connected once however often the port is switched on, so every
    // readyRead reaches the reader exactly once.
    connect(_device, &QIODevice::readyRead, this, &Drovanel::ReadSerialPort, Qt::UniqueConnection);
}

void Drovanel::DisconnectReader() {
    disconnect(_device, &QIODevice::readyRead, this, &Drovanel::ReadSerialPort);
}

void Drovanel::SwitchPort(bool on) {
    if (!on) {
        _device->Close();
        DisconnectReader();
        _portCombo->setEnabled(true);
        _speedCombo->setEnabled(true);
        _openAction->setChecked(false);
        ui.action_Record->setEnabled(false);
        SetCloseUI();
        StopCheckingUI();
        LOG4CPLUS_INFO(OperationLogger(), "Serialport close");
        ui.action_Direct_Mode->setEnabled(true);
        ui.action_Direct_Mode->setChecked(false);
        return;
    }
    const QString port = _portCombo->currentText();
    const QString speed = _speedCombo->currentText();
    ui.action_Record->setEnabled(true);
    ::SetLatencyTimer(port, kLatencyTimer);
    ConnectReader();
    _pendingLength = 0;
    std::memset(_pendingBuffer, 0, sizeof _pendingBuffer);
    std::memset(_readBuffer, 0, sizeof _readBuffer);
    if (!_device->Open(port, speed)) {
        DisconnectReader();
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open failed");
        ShowOpenFailure();
        return;
    }
    _settings->SetParameter(ConfigParameter("port_bit_rate", speed.toStdString()));
    _portCombo->setEnabled(false);
    _speedCombo->setEnabled(false);
    LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
    ui.actionTuneMode->setChecked(false);
    _openAction->setChecked(true);
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
    _pendingLength = 0;
    if (!OpenDirect(_portCombo->currentText())) {
        LOG4CPLUS_INFO(OperationLogger(), "Serialport open failed");
        ShowOpenFailure();
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Serialport open successfully");
    ui.actionTuneMode->setChecked(false);
    _openAction->setChecked(true);
    ConnectReader();
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
    _device->ApplyPortSettings(_speedCombo->currentText());
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
    const qint64 available = _device->bytesAvailable();
    _bytesAvailable =
        static_cast<int>(std::min<qint64>(available, std::numeric_limits<int>::max()));
    if (_bytesAvailable <= 0) {
        return;
    }
    const qint64 read = _device->read(_readBuffer, kBufferSize);
    const int count = read > 0 ? static_cast<int>(read) : 0;
    _lines.clear();
    if (!AppendToPending(count)) {
        return;
    }
    SplitLines(_pendingBuffer, &_pendingLength, &_lines);
    DispatchLines();
}

// A huge read means the GUI fell behind; text that would run past the
// pending buffer's end means a line that never ends. Either way the half
// line and this read are dropped and the indicator turns red.
bool Drovanel::AppendToPending(int count) {
    if (count >= kOverflowRead || count > kBufferSize - _pendingLength) {
        MarkOverflow();
        _pendingLength = 0;
        return false;
    }
    std::memcpy(_pendingBuffer + _pendingLength, _readBuffer, static_cast<size_t>(count));
    _pendingLength += count;
    return true;
}

void Drovanel::MarkOverflow() {
    _overflowButton->setStyleSheet(
        QStringLiteral("background:red; color:yellow; border-style:flat"));
}

// A line may switch the mode (the device swaps the current state) or open a
// modal box whose event loop reads the port again. So the state parsing a
// line is held by a local reference, and the loop walks its own copy of the
// lines; the member list is handed back emptied to keep its storage.
void Drovanel::DispatchLines() {
    std::vector<std::string> lines;
    lines.swap(_lines);
    for (const std::string& line : lines) {
        const boost::shared_ptr<morvex_gui::State> state = _currentState;
        if (state) {
            state->Parse(line.c_str());
        }
        RecordReplyLine(line);
        ++_lineCount;
        AdvanceLineProgress();
    }
    if (_lines.empty()) {
        lines.clear();
        _lines.swap(lines);
    }
}

void Drovanel::AdvanceLineProgress() {
    _lineProgress->setValue((_lineProgress->value() + 1) % kProgressSteps);
}

void Drovanel::ClearOverflow() {
    _overflowButton->setStyleSheet(QStringLiteral("color:green; border-style:flat"));
    _view->setFocus();
}

void Drovanel::DeviceArrival() {
    FillPortCombo();
    if (_portCombo->count() > 0) {
        _openAction->setEnabled(true);
    }
}

void Drovanel::DeviceRemoval() {
    FillPortCombo();
    if (_openAction->isChecked() && _portCombo->findText(_device->portName()) < 0) {
        emit SignalDeviceDisconnect();
        LOG4CPLUS_INFO(OperationLogger(), "Opened Device is Disconnected");
        SwitchPort(false);
        QMessageBox::warning(
            this, tr("Missing Connection..."),
            tr("The device maybe disconnect from the PC, please check it and retry."),
            QMessageBox::Ok);
    }
    if (_portCombo->count() == 0) {
        _openAction->setEnabled(false);
    }
}
