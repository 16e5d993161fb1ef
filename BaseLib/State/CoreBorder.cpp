#include "CoreBorder.h"

#include "WindowImp.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 5;
constexpr int kTestItemTimer = 0;
}  // namespace

CoreBorder::CoreBorder(WindowImp* imp) : Normal(imp, "\\(\\s(\\d++,?)+", kSlots) {}

void CoreBorder::ChangeState() {
    State::ChangeState();
    _imp->StartTimer(kTestItemTimer);
    _imp->StartNormalBorder(this);
}

void CoreBorder::Update() {
    UpdateReport("GREEN");
}

}  // namespace morvex_gui
