#include "CommandDevice.h"

#include "CoreControlRegister.h"
#include "CoreInformation.h"
#include "CoreMasterVersion.h"
#include "CorePenState.h"
#include "CoreReadSlave.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "OpenState.h"
#include "PictureView.h"
#include "ShortMessage.h"

namespace morvex_gui {

CommandDevice::CommandDevice(WindowImp* imp, boost::shared_ptr<State>* current)
    : Device(imp, current) {}

void CommandDevice::I2cMode() {
    Send("@");
}

void CommandDevice::EnterMasterBootloader() {
    Send("@");
    Send("G");
}

void CommandDevice::EnterSlaveBootloader() {
    Send("@");
    Send("m5D");
    Sleep(200);
    Send("b");
    Sleep(100);
}

void CommandDevice::ExitSlaveBootloader() {
    Send("m5C");
    Sleep(200);
    Send("k");
    Sleep(100);
}

void CommandDevice::PictureViewState() {
    SendWithMode("n", kTouchMode);
    Replace<PictureView>();
}

void CommandDevice::PenState() {
    Send("n");
    Replace<CorePenState>();
}

void CommandDevice::MasterVersionState() {
    SendWithMode("v", kMasterVersionMode);
    Replace<CoreMasterVersion>();
}

void CommandDevice::SlaveVersionState() {
    SendWithMode("a", kSlaveVersionMode);
    Replace<CoreSlaveVersion>();
}

void CommandDevice::InformationState() {
    SendWithMode("i", kInformationMode);
    Replace<CoreInformation>();
}

void CommandDevice::ReadSlaveBootloaderInfo() {
    EnterSlaveBootloader();
    ExitSlaveBootloader();
    Replace<ShortMessage>();
}

void CommandDevice::DeviceInfoState() {
    Send("$d");
    Replace<OpenState>();
}

void CommandDevice::ReadControlRegister() {
    Send("R");
    Replace<CoreControlRegister>();
}

void CommandDevice::UserReadEeprom() {
    Send("e");
    Replace<EepromState>();
}

void CommandDevice::UserReadslaveCrc() {
    Send("m");
    Replace<CoreSlaveCrc>();
}

void CommandDevice::UserReadEepromStructVersion() {
    Send("&");
    Replace<ShortMessage>();
}

void CommandDevice::UserSetRegister(const char* arg) {
    SendWithArgument("s", arg);
    Sleep(50);
    ReadControlRegister();
}

void CommandDevice::UserClearRegister(const char* arg) {
    SendWithArgument("u", arg);
    Sleep(50);
    ReadControlRegister();
}

void CommandDevice::UserSetIntMode(const char* arg) {
    SendWithArgument("M", arg);
    Replace<ShortMessage>();
}

void CommandDevice::UserSetPowerMode(const char* arg) {
    SendWithArgument("P", arg);
    Replace<ShortMessage>();
}

void CommandDevice::UserSetIntWidth(const char* arg) {
    SendWithArgument("W", arg);
    Replace<ShortMessage>();
}

void CommandDevice::UserSetSleepFrequency(const char* arg) {
    SendWithArgument("f", arg);
    Replace<ShortMessage>();
}

void CommandDevice::UserSetSleepDelay(const char* arg) {
    SendWithArgument("I", arg);
    Replace<ShortMessage>();
}

void CommandDevice::I2cReadSlave(const char* arg) {
    SendWithArgument("r", arg);
    Replace<CoreReadSlave>();
}

void CommandDevice::I2cWriteSlave(const char* arg) {
    SendWithArgument("w", arg);
}

void CommandDevice::I2cSetTimeOut(const char* arg) {
    SendWithArgument("T", arg);
}

}  // namespace morvex_gui
