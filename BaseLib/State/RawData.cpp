#include "RawData.h"

#include <boost/lexical_cast.hpp>

#include "OperationLog.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr const char* kSignedNumbers = "(-?\\d+)";
constexpr const char* kFrameLine = "[XY](-?\\d++,?)+";

constexpr int kStableFrames = 3;

// "X12,34" -> "X,12,34": the result file separates the axis letter like a field.
std::string WithCommaAfterLetter(const std::string& line) {
    std::string copy = line;
    if (!copy.empty()) {
        copy.insert(1, ",");
    }
    return copy;
}

}  // namespace

RawData::RawData(WindowImp* imp, const char* numberPattern, const char* parse)
    : State(imp, parse),
      _disconnectionTest(0),
      _numberPattern(numberPattern),
      _rawdataMax(80),
      _rawdataMin(-60),
      _checkTimes(0),
      _xCount(0),
      _yCount(0),
      _mode(kDebugMode) {
    if (_imp == nullptr) {
        return;
    }
    ReadLimitSetting("rawdata_max", _rawdataMax);
    ReadLimitSetting("rawdata_min", _rawdataMin);
    _thresholdData = _imp->_settings.LoadThresholds();
}

RawData::RawData(WindowImp* imp, int mode) : RawData(imp, kSignedNumbers, kFrameLine) {
    _mode = mode;
}

void RawData::ReadLimitSetting(const char* key, int& value) {
    ConfigParameter parameter;
    if (!_imp->_settings.GetParameter(key, parameter)) {
        return;
    }
    try {
        value = boost::lexical_cast<int>(parameter.GetValue());
    } catch (const boost::bad_lexical_cast&) {
        LOG4CPLUS_WARN(OperationLogger(), "Setting " << key << " \"" << parameter.GetValue()
                                                     << "\" is not a whole number; using "
                                                     << value);
    }
}

bool RawData::GetLimit(size_t row, size_t index, int& limit) const {
    if (row >= _thresholdData.size() || index >= _thresholdData[row].size()) {
        return false;
    }
    limit = _thresholdData[row][index];
    return true;
}

bool RawData::ParseFrame() {
    if (!_match.empty() && _match[0] == 'X') {
        _xData.clear();
        _yData.clear();
        _xLine = _match;
        ExtractNumbers(_xData, _numberPattern);
        return false;
    }
    _yLine = _match;
    ExtractNumbers(_yData, _numberPattern);
    return !_xData.empty() && !_yData.empty();
}

bool RawData::FrameHasStoredCounts() const {
    return _xData.size() == static_cast<size_t>(_xCount) &&
           _yData.size() == static_cast<size_t>(_yCount);
}

bool RawData::CountStableFrame() {
    if (_checkTimes == 0) {
        _xCount = static_cast<int>(_xData.size());
        _yCount = static_cast<int>(_yData.size());
        _checkTimes = 1;
        return false;
    }
    if (!FrameHasStoredCounts()) {
        _checkTimes = 0;
        return false;
    }
    if (_checkTimes < kStableFrames) {
        ++_checkTimes;
        return false;
    }
    return true;
}

void RawData::ChangeState() {
    if (!ParseFrame() || !CountStableFrame()) {
        return;
    }
    logResult("Pass");
    _imp->StartTimer(1);
    State::ChangeState();
    StartDisplay();
}

void RawData::StartDisplay() {
    switch (_mode) {
        case kRasterXMode:
            _imp->StartRasterX(this);
            break;
        case kRasterYMode:
            _imp->StartRasterY(this);
            break;
        default:
            _imp->StartDebug(this);
            break;
    }
}

void RawData::Update() {
    UpdateFrame();
}

bool RawData::UpdateFrame() {
    if (!ParseFrame()) {
        return false;
    }
    if (FrameHasStoredCounts()) {
        _imp->UpdateScene();
    }
    _imp->Log("<FONT COLOR=lawngreen>" + _xLine + "</FONT>" + "<br />" + "<FONT COLOR=BLUE>" +
              _yLine + "</FONT>");
    return true;
}

void RawData::UpdateRecordedFrame() {
    if (UpdateFrame()) {
        RecordFrameSegment();
    }
}

void RawData::RecordFrameSegment() {
    _imp->RecordSegment(_xLine + "\r\n" + _yLine);
}

void RawData::logResult(std::string result) {
    if (_mode == kJitterMode) {
        std::string value = "Jitter: ," + result + "\r\n" + _xRecord + "\r\n" + _yRecord + "\r\n";
        if (_disconnectionTest == 1) {
            value += _xOnOffRecord + "\r\n" + _yOnOffRecord + "\r\n";
        }
        _imp->SetResult("jitter", value);
        return;
    }
    _imp->SetResult("debug", "Debug: ," + result + "\r\n" + WithCommaAfterLetter(_xLine) + "\r\n" +
                                 WithCommaAfterLetter(_yLine) + "\r\n");
}

}  // namespace morvex_gui
