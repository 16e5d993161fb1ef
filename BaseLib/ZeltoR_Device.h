#pragma once

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include "CommandDevice.h"

namespace morvex_gui {

// The device of the stand-alone open/short window. It keeps no previous
// state: every mode switch releases the state it replaces (the read loop and
// the current scene still hold it while they need it). Quit and the start-up
// sequence both end in the device information state, from which the window
// learns the electrode counts before the open/short test.
class ZeltoR_Device : public CommandDevice {
    Q_OBJECT
public:
    ZeltoR_Device(WindowImp* imp, boost::shared_ptr<State>* current);

    void UserMode();
    void SendHashZ() override;
    void Quit() override;
    void EnterOpenState() override;

    void NormalState();
    void DebugState();
    void RasterState();
    void ButtonRawdataState();
    void UserReadButtons();
    void UserReadButtonRawData();
    void EnterOpenShortState();
};

}  // namespace morvex_gui
