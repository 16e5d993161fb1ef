#pragma once

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include "Device.h"

namespace morvex_gui {

// The device of the stand-alone open/short window. It keeps no previous
// state: every mode switch releases the state it replaces (the read loop and
// the current scene still hold it while they need it). Quit and the start-up
// sequence both end in the device information state, from which the window
// learns the electrode counts before the open/short test.
class ZeltoR_Device : public Device {
    Q_OBJECT
public:
    ZeltoR_Device(WindowImp* imp, boost::shared_ptr<State>* current);

    void UserMode();
    void I2cMode();
    void SendHashZ() override;
    void EnterMasterBootloader() override;
    void EnterSlaveBootloader();
    void ExitSlaveBootloader();
    void Quit() override;
    void EnterOpenState() override;

    void NormalState();
    void PictureViewState();
    void PenState();
    void DebugState();
    void RasterState();
    void MasterVersionState();
    void SlaveVersionState();
    void InformationState();
    void ButtonRawdataState();
    void ReadSlaveBootloaderInfo();
    void DeviceInfoState();
    void ReadControlRegister();
    void UserReadEeprom();
    void UserReadButtons();
    void UserReadButtonRawData();
    void UserReadslaveCrc();
    void UserReadEepromStructVersion();
    void EnterOpenShortState();

    // Commands made of a letter and the caller's text, unchanged.
    void UserSetRegister(const char* arg);
    void UserClearRegister(const char* arg);
    void UserSetIntMode(const char* arg);
    void UserSetPowerMode(const char* arg);
    void UserSetIntWidth(const char* arg);
    void UserSetSleepFrequency(const char* arg);
    void UserSetSleepDelay(const char* arg);
    void I2cReadSlave(const char* arg);
    void I2cWriteSlave(const char* arg);
    void I2cSetTimeOut(const char* arg);
};

}  // namespace morvex_gui
