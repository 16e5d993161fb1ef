#include "ZeltoR_Device.h"

#include <string>

#include "ButtonRawDataState.h"
#include "ButtonState.h"
#include "CoreButtonRawdata.h"
#include "CoreDebug.h"
#include "CoreNormal.h"
#include "CoreRaster.h"
#include "OpenShortState.h"
#include "OpenState.h"

namespace morvex_gui {

ZeltoR_Device::ZeltoR_Device(WindowImp* imp, boost::shared_ptr<State>* current)
    : CommandDevice(imp, current) {}

void ZeltoR_Device::UserMode() {
    Send("#");
    Send("#");
}

void ZeltoR_Device::SendHashZ() {
    Send("#z");
}

// After a quit the replies are read as device information again.
void ZeltoR_Device::Quit() {
    Send("#q");
    Replace<OpenState>();
}

void ZeltoR_Device::EnterOpenState() {
    for (const char* command : {"V", "#", "#", "v", "v", "Z"}) {
        Send(command);
    }
    Replace<OpenState>();
}

void ZeltoR_Device::NormalState() {
    SendWithMode("n", kTouchMode);
    Replace<CoreNormal>();
}

void ZeltoR_Device::DebugState() {
    SendWithMode("d", kRawDataMode);
    Replace<CoreDebug>();
}

void ZeltoR_Device::RasterState() {
    SendWithMode("r", kRawDataMode);
    Replace<CoreRaster>(0);
}

void ZeltoR_Device::ButtonRawdataState() {
    SendWithMode("b", kButtonRawDataMode);
    Replace<CoreButtonRawdata>();
}

void ZeltoR_Device::UserReadButtons() {
    Send("K");
    Replace<ButtonState>();
}

void ZeltoR_Device::UserReadButtonRawData() {
    Send("b");
    Replace<ButtonRawDataState>(kButtonCount, 0);
}

void ZeltoR_Device::EnterOpenShortState() {
    Send("d");
    Replace<OpenShortState>();
}

}  // namespace morvex_gui
