#pragma once

#include <boost/shared_ptr.hpp>

#include "Device.h"

namespace morvex_gui {

// The bridge commands and mode switches that the engineering and open/short
// devices both carry, written once. Every switch here releases the state it
// replaces; the devices add their own start-up, quit and keeping switches.
class CommandDevice : public Device {
    Q_OBJECT
public:
    CommandDevice(WindowImp* imp, boost::shared_ptr<State>* current);

    void I2cMode();
    void EnterMasterBootloader() override;
    void EnterSlaveBootloader();
    void ExitSlaveBootloader();

    void PictureViewState();
    void PenState();
    void MasterVersionState();
    void SlaveVersionState();
    void InformationState();
    void ReadSlaveBootloaderInfo();
    void DeviceInfoState();
    void ReadControlRegister();
    void UserReadEeprom();
    void UserReadslaveCrc();
    void UserReadEepromStructVersion();

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
