#pragma once

#include <boost/shared_ptr.hpp>

#include "Device.h"

namespace morvex_gui {

// A bridge device for the classic display modes. It leaves the bridge's
// quit and bootloader commands to a subclass, and keeps no previous state:
// each switch releases the state it replaces.
class ClassicDevice : public Device {
    Q_OBJECT
public:
    ClassicDevice(WindowImp* imp, boost::shared_ptr<State>* current);

    void NormalState();
    void DebugState();
    void RasterState();
};

}  // namespace morvex_gui
