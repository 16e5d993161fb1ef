#include "ClassicNormal.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 10;
}

ClassicNormal::ClassicNormal(WindowImp* imp) : Normal(imp, "\\$\\s([\\+-]\\d{5}\\s,?)+", kSlots) {}

void ClassicNormal::Update() {
    ReadNumbers(_match.size());
    _touchings.reset();
    // The first number is not a coordinate; pairs beyond the slots are dropped.
    for (size_t k = 0, index = 1; index + 1 < _numbers.size() && k < _pos.size(); ++k, index += 2) {
        const int x = _numbers[index];
        const int y = _numbers[index + 1];
        _pos[k] = Position(x, y);
        _touchings[k] = x != 0 || y != 0;
    }
    ShowReport("GREEN");
    KeepAsPrevious();
}

}  // namespace morvex_gui
