#include "SingleRawData.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr float kSumDivisor = 15.0f;
constexpr float kPeakDivisor = 3.5f;

// Index of the first largest value (ties keep the earlier one); 0 for no values.
size_t FirstLargest(const std::vector<int>& values) {
    return static_cast<size_t>(std::max_element(values.begin(), values.end()) - values.begin());
}

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::min<std::int64_t>(value, INT_MAX));
}

std::string AfterFirstColon(const std::string& text) {
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

}  // namespace

SingleRawData::SingleRawData(WindowImp* imp, const char* numberPattern, const char* parse,
                             int count, int mode)
    : State(imp, parse),
      _numberPattern(numberPattern),
      _count(count),
      _mode(mode),
      _threshold(0),
      _peakValue(0),
      _peakChannel(0),
      _divisor(1.0f),
      _bRawdataMax(0),
      _bRawdataMin(0),
      _bThreshold(0) {
    if (_imp == nullptr) {
        return;
    }
    _bRawdataMax = IntegerSetting("b_rawdata_max");
    _bRawdataMin = IntegerSetting("b_rawdata_min");
    _threshold = IntegerSetting("singleraw_threshold");
    _bThreshold = IntegerSetting("b_singleraw_threshold");
}

int SingleRawData::IntegerSetting(const char* key) const {
    return StringToInt(_imp->_settings.GetValue(key));
}

void SingleRawData::ReadValues() {
    _values.clear();
    ExtractNumbers(_values, _numberPattern);
}

void SingleRawData::ChangeState() {
    ReadValues();
    if (_values.size() != static_cast<size_t>(_count)) {
        return;
    }
    _imp->StartTimer(1);
    State::ChangeState();
    StartDisplay();
}

void SingleRawData::StartDisplay() {
    switch (_mode) {
        case 0:
            logResult("Pass", 0);
            _imp->StartSingleDebug(this);
            break;
        case 1:
        case 8:  // reference data: shown and judged like mode 1
            _imp->StartReferenceData(this);
            break;
        case 2:
            _threshold = IntegerSetting("parameter_value");
            _imp->StartSingleDebugZero(this);
            break;
        case 3:
            _imp->StartButtonReferenceData(this);
            break;
        case 4:
            _divisor = kSumDivisor;
            _threshold = IntegerSetting("parameter_value");
            _imp->StartSingleDebugThreshold(this);
            break;
        case 5:
            _divisor = kPeakDivisor;
            _threshold = IntegerSetting("parameter_value");
            _imp->StartSingleDebugThreshold(this);
            break;
        case 6:
        case 7:
            _threshold = IntegerSetting("parameter_value");
            _imp->StartSingleDebugThreshold(this);
            break;
        default:
            break;
    }
}

bool SingleRawData::CollapseToSum() {
    const size_t peak = FirstLargest(_values);
    std::int64_t sum = 0;
    for (int& value : _values) {
        sum += std::llabs(static_cast<long long>(value));
        value = 0;
    }
    const int total = ClampToInt(sum);
    if (sum > _threshold) {
        _imp->ResetParameter(total);
        return false;
    }
    if (!_values.empty()) {
        _values[peak] = static_cast<int>(total / _divisor);
    }
    _peakValue = total;
    _peakChannel = static_cast<int>(peak);
    return true;
}

void SingleRawData::ScaleToPeak() {
    const size_t peak = FirstLargest(_values);
    _peakValue = _values.empty() ? 0 : _values[peak];
    _peakChannel = static_cast<int>(peak);
    for (int& value : _values) {
        value = static_cast<int>(value / _divisor);
    }
}

void SingleRawData::Update() {
    ReadValues();
    if (_mode == 4 && !CollapseToSum()) {
        return;
    }
    if (_mode == 5) {
        ScaleToPeak();
    }
    if (_values.size() != static_cast<size_t>(_count) || _match == _lastLine) {
        return;
    }
    _imp->UpdateScene();
    _imp->Log("<FONT COLOR=lawngreen>" + _match + "</FONT>");
    _lastLine = _match;
}

void SingleRawData::logResult(std::string result, int type) {
    const std::string line = _match;
    switch (type) {
        case 0:
            _imp->SetResult("Button Rawdata",
                            "Button Rawdata: ," + result + "\r\n" + AfterFirstColon(line) + "\r\n");
            break;
        case 1:
            _imp->SetResult("Single Raw", "Single Raw: ," + result + "\r\n" +
                                              (line.size() > 2 ? line.substr(2) : std::string()) +
                                              "\r\n");
            break;
        case 3:
            _imp->SetResult("Button Single Raw", "Button Single Raw: ," + result + "\r\n" +
                                                     AfterFirstColon(line) + "\r\n");
            break;
        default:
            break;
    }
}

}  // namespace morvex_gui
