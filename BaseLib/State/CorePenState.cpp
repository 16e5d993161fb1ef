#include "CorePenState.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 10;
constexpr int kPenTipId = 254;
constexpr int kPenEraserId = 255;
constexpr int kPenTipSlot = 8;
constexpr int kPenEraserSlot = 9;
}  // namespace

CorePenState::CorePenState(WindowImp* imp) : Normal(imp, "\\(\\s(\\d++,?){16}", kSlots) {}

void CorePenState::Update() {
    UpdateReport("GREEN");
}

int CorePenState::SlotFor(int count, int id) const {
    if (count == 1 && id == kPenTipId) {
        return kPenTipSlot;
    }
    if (count == 1 && id == kPenEraserId) {
        return kPenEraserSlot;
    }
    return Normal::SlotFor(count, id);
}

}  // namespace morvex_gui
