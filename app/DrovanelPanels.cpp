#include <QComboBox>
#include <QDockWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolBar>

#include "Drovanel.h"
#include "OperationLog.h"
#include "TuneInitDevice.h"

namespace {

constexpr int kChecked = 2;
constexpr int kUnchecked = 0;

// A button of a panel's function table: its text and the slot it runs.
struct PanelFunction {
    const char* text;
    void (Drovanel::*slot)();
};

const PanelFunction kUserFunctions[] = {
    {"Read EEPRom", &Drovanel::UserReadEeprom},
    {"Read Buttons", &Drovanel::UserReadButtons},
    {"Read Button Raw Data", &Drovanel::UserReadButtonRawData},
    {"Check Master Version", &Drovanel::UserCheckMasterVersion},
    {"Check Slave Customer Version", &Drovanel::UserCheckSlaveVersion},
    {"Check Slave FW CRC / FW Version", &Drovanel::UserCheckSlaveCrc},
    {"Read EEPRom Structure Version From App.", &Drovanel::UserReadEepromStructVersion},
};

const PanelFunction kI2cFunctions[] = {
    {"Reset Polarity", &Drovanel::I2cResetPulse},
    {"Read RAW_CTRL Register", &Drovanel::ReadControlRegister},
    {"Read Bootloader Info", &Drovanel::ReadSlaveBootloaderInfo},
    {"Send Reset", &Drovanel::I2cSendReset},
};

// One button a row, each running its function's slot on `window`.
template <size_t N>
void FillFunctionTable(Drovanel* window, QTableWidget* table, const PanelFunction (&functions)[N]) {
    table->setRowCount(static_cast<int>(N));
    for (size_t row = 0; row < N; ++row) {
        auto* button = new QPushButton(QString::fromLatin1(functions[row].text), table);
        table->setCellWidget(static_cast<int>(row), 0, button);
        QObject::connect(button, &QPushButton::clicked, window, functions[row].slot);
    }
    table->resizeRowsToContents();
}

}  // namespace

// ---- user panel -------------------------------------------------------------

void Drovanel::InitUserFunctions() {
    FillFunctionTable(this, ui.tableUserFunctions, kUserFunctions);
    connect(ui.comboFlags, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &Drovanel::changeRawdataFlags);
}

void Drovanel::UserModeUI(bool checked) {
    if (!checked) {
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Enter user mode");
    HideTuneControls();
    ui.actionUserMode->setEnabled(true);
    ui.actionI2CMode->setEnabled(true);
    ui.actionCalibrate->setEnabled(true);
    ui.actionReadOffset->setEnabled(true);
    ui.menuUser->menuAction()->setVisible(true);
    ui.userToolBar->show();
    ui.menuUser->setEnabled(true);
    ui.comboFlags->hide();
    ShowControlPage(ui.userPanel, "User Panel");
    _device->UserMode();
}

void Drovanel::RunUserRead(const char* what, void (morvex_gui::TuneInitDevice::*read)()) {
    ui.comboFlags->hide();
    LOG4CPLUS_INFO(OperationLogger(), what);
    (_device->*read)();
}

void Drovanel::UserReadEeprom() {
    RunUserRead("Read eeprom", &morvex_gui::TuneInitDevice::UserReadEeprom);
}

void Drovanel::UserReadButtons() {
    RunUserRead("Read buttons", &morvex_gui::TuneInitDevice::UserReadButtons);
}

void Drovanel::UserReadButtonRawData() {
    RunUserRead("Read buttons raw data", &morvex_gui::TuneInitDevice::UserReadButtonRawData);
}

void Drovanel::UserCheckMasterVersion() {
    RunUserRead("Read master version", &morvex_gui::TuneInitDevice::MasterVersionState);
}

void Drovanel::UserCheckSlaveVersion() {
    RunUserRead("Read slave version", &morvex_gui::TuneInitDevice::SlaveVersionState);
}

void Drovanel::UserCheckSlaveCrc() {
    RunUserRead("Slave CRC check", &morvex_gui::TuneInitDevice::UserReadslaveCrc);
}

void Drovanel::UserReadEepromStructVersion() {
    RunUserRead("Read eeprom structure version",
                &morvex_gui::TuneInitDevice::UserReadEepromStructVersion);
}

void Drovanel::UserReadOffset() {
    ui.comboFlags->hide();
    LOG4CPLUS_INFO(OperationLogger(), "Read Offset");
    RunCalibrateDialog(false);
}

void Drovanel::UserSetRegister() {
    LOG4CPLUS_INFO(OperationLogger(), "Set RAW_CTRL register");
    const QByteArray bit = QByteArray::number(ui.spinRegister->value(), 16).toUpper();
    _device->UserSetRegister(bit.constData());
}

void Drovanel::UserClearRegister() {
    LOG4CPLUS_INFO(OperationLogger(), "Clear RAW_CTRL register");
    const QByteArray bit = QByteArray::number(ui.spinRegister->value(), 16).toUpper();
    _device->UserClearRegister(bit.constData());
}

void Drovanel::UserSetIntMode() {
    LOG4CPLUS_INFO(OperationLogger(), "Set INT. mode");
    _device->UserSetIntMode(ui.comboIntMode->currentText().toLatin1().constData());
}

void Drovanel::UserSetPowerMode() {
    LOG4CPLUS_INFO(OperationLogger(), "Set power mode");
    _device->UserSetPowerMode(ui.comboPowerMode->currentText().toLatin1().constData());
}

void Drovanel::UserSetIntWidth() {
    LOG4CPLUS_INFO(OperationLogger(), "Set INT. width");
    _device->UserSetIntWidth(
        TwoDigits(ui.comboIntWidthHigh, ui.comboIntWidthLow).toLatin1().constData());
}

void Drovanel::UserSetSleepFrequency() {
    _device->UserSetSleepFrequency(
        TwoDigits(ui.comboSleepFrequencyHigh, ui.comboSleepFrequencyLow).toLatin1().constData());
}

void Drovanel::UserSetSleepDelay() {
    _device->UserSetSleepDelay(
        TwoDigits(ui.comboSleepDelayHigh, ui.comboSleepDelayLow).toLatin1().constData());
}

QString Drovanel::TwoDigits(const QComboBox* high, const QComboBox* low) {
    return high->currentText() + low->currentText();
}

void Drovanel::UserWithOffset(int state) {
    SendCheckCommand(state, "Offset enable", "o", "Offset disable", "O");
}

void Drovanel::UserCoordinates(int state) {
    SendCheckCommand(state, "With driftcompensation", "y", "Without driftcompensation", "Y");
}

void Drovanel::UserSynchronize(int state) {
    SendCheckCommand(state, "Enable ATTB synchronize", "H", "Disable ATTB synchronize", "L");
}

void Drovanel::UserHighLow(int state) {
    SendCheckCommand(state, "Set synchronize ATTB high", "h", "Set synchronize ATTB low", "H");
}

void Drovanel::UserAlgorithm(int state) {
    SendCheckCommand(state, nullptr, "g", nullptr, "G");
}

void Drovanel::UserSensitivity(int state) {
    SendCheckCommand(state, nullptr, "j", nullptr, "J");
}

// A check box's state: checked and unchecked each send their command (with
// their log line, if any); the partial state does nothing.
void Drovanel::SendCheckCommand(int state, const char* checkedLog, const char* checkedCommand,
                                const char* uncheckedLog, const char* uncheckedCommand) {
    if (state != kChecked && state != kUnchecked) {
        return;
    }
    const bool checked = state == kChecked;
    const char* log = checked ? checkedLog : uncheckedLog;
    if (log != nullptr) {
        LOG4CPLUS_INFO(OperationLogger(), log);
    }
    _device->Send(checked ? checkedCommand : uncheckedCommand);
}

// ---- I2C panel --------------------------------------------------------------

void Drovanel::InitI2cFunctions() {
    FillFunctionTable(this, ui.tableI2cFunctions, kI2cFunctions);
}

void Drovanel::I2cModeUI(bool checked) {
    if (!checked) {
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Enter i2C mode");
    HideTuneControls();
    ui.actionUserMode->setEnabled(true);
    ui.actionI2CMode->setEnabled(true);
    ui.actionCalibrate->setEnabled(false);
    ui.actionReadOffset->setEnabled(false);
    ui.menuUser->menuAction()->setVisible(false);
    ui.userToolBar->hide();
    ui.comboFlags->hide();
    ShowControlPage(ui.i2cPanel, "I2C Panel");
    _device->I2cMode();
}

void Drovanel::I2cResetPulse() {
    _device->Send("p");
}

void Drovanel::ReadSlaveBootloaderInfo() {
    _device->ReadSlaveBootloaderInfo();
}

void Drovanel::I2cSendReset() {
    _device->Send("s");
}

// Decimal entries go to the bridge as bytes of two upper-case hex digits.
QString Drovanel::HexByte(int value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

void Drovanel::I2cWriteSlave() {
    LOG4CPLUS_INFO(OperationLogger(), "Write to slave");
    const QString argument =
        HexByte(ui.spinWriteSlaveAddress->value()) + HexByte(ui.spinWriteSlaveValue->value());
    _device->I2cWriteSlave(argument.toLatin1().constData());
}

void Drovanel::I2cReadSlave() {
    LOG4CPLUS_INFO(OperationLogger(), "Read from slave");
    const QString argument =
        HexByte(ui.spinReadSlaveAddress->value()) + HexByte(ui.spinReadSlaveLength->value());
    _device->I2cReadSlave(argument.toLatin1().constData());
}

void Drovanel::I2cSetTimeOut() {
    LOG4CPLUS_INFO(OperationLogger(), "Time out setting");
    _device->I2cSetTimeOut(HexByte(ui.spinTimeOutSetting->value()).toLatin1().constData());
}
