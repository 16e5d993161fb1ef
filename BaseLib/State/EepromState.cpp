#include "EepromState.h"

#include "WindowImp.h"

namespace morvex_gui {

EepromState::EepromState(WindowImp* imp) : State(imp, "(\\+\\d{5} : ([a-fA-F0-9]{2}\\s){16})") {}

void EepromState::ChangeState() {
    State::ChangeState();
    _imp->Log(_match);
}

void EepromState::Update() {
    _imp->LogAppend(_match);
}

void EepromState::Hook() {}

}  // namespace morvex_gui
