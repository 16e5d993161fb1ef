#pragma once

class QObject;

namespace morvex_gui_qtlib {

// Ends the programs that `owner` started as child processes, before `owner`
// is destroyed. A program still running goes with its owner; its end is no
// failure to report, and no slot of a half-destroyed owner may hear of it.
void EndChildProcesses(QObject& owner);

}  // namespace morvex_gui_qtlib
