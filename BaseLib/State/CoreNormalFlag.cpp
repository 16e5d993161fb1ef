#include "CoreNormalFlag.h"

#include "WindowImp.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 5;
constexpr int kStatusGroup = 2;
constexpr int kStatusDigitsGroup = 3;
// The condition bits sit in the status byte's low five bits, noise highest.
constexpr int kHighestConditionBit = 4;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c - 'A' + 10;  // the pattern admits only 0-9 and A-F
}
}  // namespace

CoreNormalFlag::CoreNormalFlag(WindowImp* imp)
    : Normal(imp, "\\(\\s(\\d++,?)+(F([0-9A-F]{2}))?", kSlots), _flag(0), _flagChanged(false) {}

CoreNormalFlag::~CoreNormalFlag() = default;

void CoreNormalFlag::ChangeState() {
    // Settings changed since the mode switch count from the first line on.
    ReadPanelSettings();
    State::ChangeState();
    _imp->StartNormalFlag(this);
    _lastLine = _match;
}

void CoreNormalFlag::Update() {
    _flagChanged = false;
    ReadNumbers(CoordinateLength());
    StoreIdTriples();
    if (NeedsRedraw()) {
        _imp->UpdateScene();
        _lastLine = _match;
    }
    KeepAsPrevious();
    ReadStatusByte();
    _imp->Log("<FONT COLOR=GREEN>" + _lastLine + "</FONT>" + "<br />" + "<FONT COLOR=BLUE>" +
              _match + "</FONT>");
}

size_t CoreNormalFlag::CoordinateLength() const {
    // The status digits are no coordinate, even when the last triple is short.
    if (!_result[kStatusGroup].matched) {
        return _match.size();
    }
    return static_cast<size_t>(_result[kStatusGroup].first - _result[0].first);
}

void CoreNormalFlag::ReadStatusByte() {
    const auto& digits = _result[kStatusDigitsGroup];
    if (!digits.matched || digits.length() != 2) {
        return;
    }
    const int value = HexValue(digits.first[0]) * 16 + HexValue(digits.first[1]);
    _flag = 0;
    for (int bit = 0; bit < kConditionCount; ++bit) {
        if (value & (1 << (kHighestConditionBit - bit))) {
            _flag |= 1 << bit;
        }
    }
    if (_lastFlag.compare(0, std::string::npos, digits.first, 2) != 0) {
        _flagChanged = true;
        _imp->UpdateScene();
        _lastFlag.assign(digits.first, 2);
    }
}

}  // namespace morvex_gui
