#pragma once

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include "CommandDevice.h"

namespace morvex_gui {

// The bridge device of the mass-production window and base of the
// engineering window's device: one operation per thing the operator or a
// dialog can ask of the bridge. The operations here only send commands and
// leave the current state alone, except Quit and EnterOpenState, which
// install a new one. Mode switches live in their own source file and use the
// protected helpers below.
class CoreDevice : public CommandDevice {
    Q_OBJECT
public:
    CoreDevice(WindowImp* imp, boost::shared_ptr<State>* current);

    void UserMode();
    void PowerOn();
    void PowerOff();
    void SendHashZ() override;
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

    // Mode switches: each sends the mode's command and makes the mode's state
    // current. A keeping switch holds the replaced state as the previous state
    // until the next keeping switch; a replacing switch releases it (the read
    // loop and the current scene still hold it while they need it).
    void NormalState();
    void NormalFlagState();
    void LinearityState();
    void BorderState();
    void PreciseState();
    void DebugState();
    void JitterState();
    void RasterXState();
    void RasterYState();
    void EnterOpenShortState();
    void ResetState();
    void AttbState();
    void RasterState();
    void RasterRXState();
    void RasterRYState();
    void ActiveState(bool rxMode);
    void RasterLiftYState();
    void SingleRawDataState();
    void ButtonSingleRawDataState();
    void ButtonRawdataState();
    void UserReadButtons();
    void UserReadButtonRawData();

protected:
    // The state that reads the device information after start-up.
    virtual boost::shared_ptr<State> MakeOpenState();

    // A count setting read as a whole decimal number; missing or not a number is 0.
    int CountSetting(const char* key) const;
    void LiftRasterSwitch(const char* command, int mode);
};

}  // namespace morvex_gui
