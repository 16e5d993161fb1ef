#include "Normal.h"

#include "NumberScan.h"

#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr int kDefaultXRes = 800;
constexpr int kDefaultYRes = 600;
// Report ids wrap at eight; the slot is the remainder.
constexpr int kIdSlots = 8;

void ReadInt(const Settings& settings, const char* key, int& value) {
    ConfigParameter parameter;
    if (settings.GetParameter(key, parameter)) {
        value = StringToInt(parameter.GetValue());
    }
}

// Only the exact word counts; "true" is not "True" to the controller's tools.
void ReadFlag(const Settings& settings, const char* key, bool& value) {
    ConfigParameter parameter;
    if (settings.GetParameter(key, parameter)) {
        value = parameter.GetValue() == "True";
    }
}

void WriteInt(Settings& settings, const char* key, int value) {
    const std::string text = std::to_string(value);
    if (!settings.SetValue(key, text)) {
        settings.SetParameter(ConfigParameter(key, text));
    }
}

}  // namespace

Normal::Normal(WindowImp* imp, const char* parse, int touches)
    : State(imp, parse),
      _xRes(kDefaultXRes),
      _yRes(kDefaultYRes),
      _xReverse(false),
      _yReverse(false),
      _borderWidth(0),
      _lineWidth(0),
      _circleRadius(0),
      _pos(touches),
      _touchings(touches),
      _lastPos(touches),
      _lastTouchings(touches),
      _maxTouches(touches) {
    ReadPanelSettings();
    ReadWidthSettings();
}

Normal::~Normal() = default;

void Normal::ChangeState() {
    State::ChangeState();
    _imp->StartNormal(this);
}

void Normal::ReadPanelSettings() {
    if (_imp == nullptr) {
        return;
    }
    Settings& settings = _imp->_settings;
    ReadInt(settings, "x_res", _xRes);
    ReadInt(settings, "y_res", _yRes);
    WriteInt(settings, "x_res", _xRes);
    WriteInt(settings, "y_res", _yRes);
    ReadFlag(settings, "x_reverse", _xReverse);
    ReadFlag(settings, "y_reverse", _yReverse);
}

void Normal::ReadWidthSettings() {
    if (_imp == nullptr) {
        return;
    }
    const Settings& settings = _imp->_settings;
    ReadInt(settings, "border_width", _borderWidth);
    ReadInt(settings, "line_width", _lineWidth);
    ReadInt(settings, "circle_radius", _circleRadius);
}

void Normal::ScanNumbers(const char* first, const char* last, bool withSign,
                         std::vector<int>& numbers) {
    ForEachInteger(first, last, withSign,
                   [&numbers](const char*, const char*, int value) { numbers.push_back(value); });
}

void Normal::UpdateReport(const char* colour) {
    ReadNumbers(_match.size());
    StoreIdTriples();
    ShowReport(colour);
    KeepAsPrevious();
}

void Normal::ReadNumbers(size_t length, bool withSign) {
    _numbers.clear();
    ScanNumbers(_match.data(), _match.data() + length, withSign, _numbers);
}

void Normal::StoreIdTriples() {
    _touchings.reset();
    if (_numbers.empty()) {
        return;
    }
    const int count = _numbers[0];
    size_t index = 1;
    for (int read = 0; read < count && index + 2 < _numbers.size(); ++read, index += 3) {
        StoreTouch(SlotFor(count, _numbers[index]), _numbers[index + 1], _numbers[index + 2]);
    }
}

void Normal::StoreTouch(int slot, int x, int y) {
    if (slot < 0 || slot >= SlotCount()) {
        return;
    }
    _touchings.set(slot);
    _pos[slot] = Position(x, y);
}

int Normal::SlotFor(int, int id) const {
    return id % kIdSlots;
}

bool Normal::NeedsRedraw() const {
    return (_touchings.any() || _lastTouchings.any()) && _match != _lastLine;
}

void Normal::ShowReport(const char* colour) {
    if (!NeedsRedraw()) {
        return;
    }
    _imp->UpdateScene();
    _imp->Log(std::string("<FONT COLOR=") + colour + ">" + _match + "</FONT>");
    _lastLine = _match;
}

void Normal::KeepAsPrevious() {
    _lastTouchings = _touchings;
    _lastPos = _pos;
}

}  // namespace morvex_gui
