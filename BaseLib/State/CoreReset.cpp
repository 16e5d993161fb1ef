#include "CoreReset.h"

#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr const char* kBootloaderInformation =
    "Bootloader information: (([0-9A-F]{2}\\s){3}([0-9A-F]{2})\\s)";

const boost::regex& BootloaderPattern() {
    static const boost::regex pattern(kBootloaderInformation);
    return pattern;
}

}  // namespace

CoreReset::CoreReset(WindowImp* imp) : State(imp, kBootloaderInformation) {}

void CoreReset::ChangeState() {
    State::ChangeState();
    ReportBootloaderSeen();
}

void CoreReset::Update() {
    ReportBootloaderSeen();
}

void CoreReset::ReportBootloaderSeen() {
    if (boost::regex_search(_result[0].first, _result[0].second, BootloaderPattern())) {
        _imp->sendTestResult(true);
    }
}

}  // namespace morvex_gui
