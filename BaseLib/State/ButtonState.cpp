#include "ButtonState.h"

#include "OperationLog.h"
#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr const char* kButtonNumberKey = "button_number";

const boost::regex& NumberPattern() {
    static const boost::regex pattern("(-?\\d+)");
    return pattern;
}

}  // namespace

ButtonState::ButtonState(WindowImp* imp)
    : State(imp, "HThe button: (([01],?){8})"), _buttonNumber(0) {
    ReadButtonNumber();
}

void ButtonState::ReadButtonNumber() {
    _buttonNumber = StringToInt(_imp->_settings.GetValue(kButtonNumberKey));
    if (_buttonNumber > kMaxButtons) {
        _buttonNumber = kMaxButtons;
        _imp->_settings.SetParameter(
            ConfigParameter(kButtonNumberKey, std::to_string(kMaxButtons)));
    } else if (_buttonNumber <= 0) {
        // Without buttons the test could only pass vacuously; it must not.
        _buttonNumber = 0;
        LOG4CPLUS_ERROR(OperationLogger(),
                        "Configuration error: button_number is missing or not positive, "
                        "the button test cannot pass");
    }
}

void ButtonState::ChangeState() {
    State::ChangeState();
    _imp->StartTimer(0);
    _imp->StartButtonNormal(this);
    if (_buttonNumber == 0) {
        // After the scene start, which clears the log, so the operator sees it.
        _imp->Log(
            "<FONT COLOR=red>Configuration error: no buttons configured "
            "(button_number)</FONT>");
    }
}

void ButtonState::Update() {
    if (_match == _lastLine) {
        return;
    }
    _buttons.clear();
    ExtractNumbers(_buttons, NumberPattern());
    _imp->UpdateScene();
    _imp->Log(_result[1].str());
    _lastLine = _match;
}

}  // namespace morvex_gui
