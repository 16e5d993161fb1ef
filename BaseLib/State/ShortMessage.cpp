#include "ShortMessage.h"

#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr const char* kAnswers =
    "(INT mode register: [a-fA-F0-9]{2})"
    "|(Power mode register: [a-fA-F0-9]{2})"
    "|(INT width register: [a-fA-F0-9]{2})"
    "|(Idle freq register: [a-fA-F0-9]{2})"
    "|(Auto idle delay register: [a-fA-F0-9]{2})"
    "|(The eeprom structure version: 0x[a-fA-F0-9]{2})"
    "|(Bootloader information: (([0-9A-F]{2}\\s){4}))";

}  // namespace

ShortMessage::ShortMessage(WindowImp* imp) : State(imp, kAnswers) {}

void ShortMessage::ChangeState() {
    State::ChangeState();
    // Only the answer itself, without what the bridge printed around it.
    _imp->Log(_match);
}

}  // namespace morvex_gui
