#pragma once

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include "BridgePeer.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "RecordingWindowImp.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"

// A mass-production device on a BridgePeer's port, not yet opened, with a
// scratch program folder, recorded pauses and a recording GUI interface:
// the bench of the dialogs that read the bridge themselves.
struct BridgeBench {
    TempProgramDir programDir;
    SleepRecorder sleeps;
    RecordingWindowImp imp;
    boost::shared_ptr<morvex_gui::State> current = boost::make_shared<morvex_gui::CloseState>(&imp);
    BridgePeer peer;
    morvex_gui::CoreDevice device{&imp, &current};
};
