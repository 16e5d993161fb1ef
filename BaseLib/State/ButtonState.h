#pragma once

#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// The touch-button test (answer to "K"): each line carries the states of the
// eight button slots, 1 = pressed. The button scene reads the last line's
// states; the buttons in use are the last "button_number" slots.
class ButtonState : public State {
public:
    static constexpr int kMaxButtons = 8;

    explicit ButtonState(WindowImp* imp);
    void ChangeState() override;
    void Update() override;

    const std::vector<int>& Buttons() const { return _buttons; }
    // 0 when the setting is missing or not a positive number: nothing to test.
    int ButtonNumber() const { return _buttonNumber; }

private:
    void ReadButtonNumber();

    std::vector<int> _buttons;
    int _buttonNumber;
    std::string _lastLine;
};

}  // namespace morvex_gui
