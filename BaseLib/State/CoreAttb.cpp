#include "CoreAttb.h"

#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr const char* kNotToggle = "ATTb not toggle";

const boost::regex& NotTogglePattern() {
    static const boost::regex pattern(kNotToggle);
    return pattern;
}

}  // namespace

int CoreAttb::_notToggleCount = 0;

CoreAttb::CoreAttb(WindowImp* imp) : State(imp, kNotToggle) {}

void CoreAttb::ChangeState() {
    State::ChangeState();
    _notToggleCount = 0;
    if (MatchedNotToggle()) {
        ++_notToggleCount;
    }
}

void CoreAttb::Update() {
    if (!MatchedNotToggle()) {
        return;
    }
    ++_notToggleCount;
    if (_notToggleCount >= kFailureCount) {
        _imp->sendTestResult(false);
    }
}

bool CoreAttb::MatchedNotToggle() const {
    return boost::regex_search(_result[0].first, _result[0].second, NotTogglePattern());
}

}  // namespace morvex_gui
