#pragma once

#include <boost/shared_ptr.hpp>

#include "Device.h"

namespace morvex_gui {

// The bridge device of the mass-production window and base of the
// engineering window's device: one operation per thing the operator or a
// dialog can ask of the bridge. The operations here only send commands and
// leave the current state alone, except Quit and EnterOpenState, which
// install a new one. Mode switches live in their own source file and use the
// protected helpers below.
class CoreDevice : public Device {
    Q_OBJECT
public:
    CoreDevice(WindowImp* imp, boost::shared_ptr<State>* current);

    void UserMode();
    void I2cMode();
    void PowerOn();
    void PowerOff();
    void SendHashZ() override;
    void EnterMasterBootloader() override;
    void EnterSlaveBootloader();
    void ExitSlaveBootloader();
    void SendZ();
    void GetEepromInformation();
    void ClearRawdataFlags();
    void ChangeRawdataFlags(int flag);
    void CheckOffsetRegister();

    // Sends "#q"; a new idle state becomes current, the replaced one is kept
    // as the previous state.
    void Quit() override;
    // Start-up sequence after the port opens; ends with the device
    // information state current.
    void EnterOpenState() override;

protected:
    // First step of a keeping switch: the current state lives on as the
    // previous state (the one kept before is released).
    void KeepCurrentState();
    // Makes `state` the window's current state. Without KeepCurrentState the
    // replaced state is released at once.
    void InstallState(const boost::shared_ptr<State>& state);
    // The state that reads the device information after start-up.
    virtual boost::shared_ptr<State> MakeOpenState();
};

}  // namespace morvex_gui
