#include <boost/make_shared.hpp>

#include "CloseState.h"
#include "CoreDevice.h"

namespace morvex_gui {

// Until the device-information state exists the start-up sequence ends in
// the idle state.
boost::shared_ptr<State> CoreDevice::MakeOpenState() {
    return boost::make_shared<CloseState>(_imp);
}

}  // namespace morvex_gui
