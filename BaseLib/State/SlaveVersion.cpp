#include "SlaveVersion.h"

namespace morvex_gui {

SlaveVersion::SlaveVersion(WindowImp* imp) : State(imp, "Slave version.(\\w+)") {}

}  // namespace morvex_gui
