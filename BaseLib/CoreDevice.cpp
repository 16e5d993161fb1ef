#include "CoreDevice.h"

#include "CloseState.h"

namespace morvex_gui {

CoreDevice::CoreDevice(WindowImp* imp, boost::shared_ptr<State>* current)
    : CommandDevice(imp, current) {}

void CoreDevice::UserMode() {
    Send("#");
}

void CoreDevice::PowerOn() {
    I2cMode();
    Send("o");
    UserMode();
    Sleep(200);
}

void CoreDevice::PowerOff() {
    I2cMode();
    Send("c");
    UserMode();
    Sleep(200);
}

void CoreDevice::SendHashZ() {
    UserMode();
    UserMode();
    Send("#z");
}

void CoreDevice::SendZ() {
    Send("Z");
}

void CoreDevice::GetEepromInformation() {
    struct Step {
        const char* command;
        unsigned pause;
    };
    static constexpr Step kBlock[] = {
        {"a", 80},   {"m", 80}, {"@", 80},     {"w3A010000", 80}, {"s", 80},
        {"w3A", 80}, {"s", 80}, {"r0000", 50}, {"#", 200},        {"Z", 0},
    };
    for (int block = 0; block < 2; ++block) {
        for (const Step& step : kBlock) {
            Send(step.command);
            if (step.pause != 0) {
                Sleep(step.pause);
            }
        }
    }
}

void CoreDevice::ClearRawdataFlags() {
    Send("u3");
    Send("uB");
    Send("uC");
}

void CoreDevice::ChangeRawdataFlags(int flag) {
    static const char* const kSetCommands[] = {nullptr, "s3", "sB", "sC"};
    if (flag < 0 || flag > 3) {
        return;
    }
    ClearRawdataFlags();
    if (kSetCommands[flag] != nullptr) {
        Send(kSetCommands[flag]);
    }
}

void CoreDevice::CheckOffsetRegister() {
    Send("v");
    Send("*");
}

void CoreDevice::Quit() {
    KeepCurrentState();
    Send("#q");
    Replace<CloseState>();
}

void CoreDevice::EnterOpenState() {
    UserMode();
    Quit();
    UserMode();
    Quit();
    Sleep(200);
    PowerOn();
    UserMode();
    Sleep(200);
    Send("v");
    InstallState(MakeOpenState());
}

}  // namespace morvex_gui
