#include "CoreNormal.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 5;
}

CoreNormal::CoreNormal(WindowImp* imp) : Normal(imp, "\\(\\s(\\d++,?)+", kSlots) {}

void CoreNormal::Update() {
    UpdateReport("GREEN");
}

}  // namespace morvex_gui
