#pragma once

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include <QPushButton>
#include <string>

#include "BridgePeer.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "EventPump.h"
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

    // Opens the device at `rate` and waits for its start-up sequence, so the
    // peer's received bytes start with what the test itself sends.
    bool OpenPastStartUp(const char* rate) {
        if (!device.Open(peer.PortName(), rate) || !peer.WaitForText("@o##v")) {
            return false;
        }
        peer.ClearReceived();
        return true;
    }

    // Sends `bytes` as they stand and lets the code under test read them all.
    void ReplyAndSettle(const std::string& bytes) {
        peer.SendRaw(bytes);
        peer.WaitUntilSent();
        PumpFor(60);
        PumpUntil([this] { return device.bytesAvailable() == 0; }, 1000);
    }

    // A widget of a form, found by its object name.
    template <class T = QPushButton>
    static T* Child(const QObject* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
    }
};
