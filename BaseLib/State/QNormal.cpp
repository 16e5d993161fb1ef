#include "QNormal.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 20;
}

QNormal::QNormal(WindowImp* imp) : Normal(imp, "\\(\\s(\\d++\\s?)+", kSlots) {}

void QNormal::Update() {
    ReadNumbers(_match.size(), false);
    _touchings.reset();
    if (!_numbers.empty()) {
        const int count = _numbers[0];
        // Pairs beyond the slots are dropped.
        for (int k = 0, index = 1;
             k < count && k < SlotCount() && static_cast<size_t>(index) + 1 < _numbers.size();
             ++k, index += 2) {
            StoreTouch(k, _numbers[index], _numbers[index + 1]);
        }
    }
    ShowReport("GREEN");
    KeepAsPrevious();
}

}  // namespace morvex_gui
