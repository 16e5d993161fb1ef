#include "TuneDebug.h"

#include "LineSplitter.h"
#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

TuneDebug::TuneDebug(WindowImp* imp)
    : RawData(imp, "([0-9A-Fa-f]{2})", "Read register content:\\s(([0-9A-Fa-f]{2}\\s)+)$") {
    SetMode(kDebugMode);
}

void TuneDebug::ReadCrossCounts() {
    ConfigParameter parameter;
    if (_imp->_settings.GetParameter("x_cross", parameter)) {
        _xCount = StringToInt(parameter.GetValue());
    }
    if (_imp->_settings.GetParameter("y_cross", parameter)) {
        _yCount = StringToInt(parameter.GetValue());
    }
}

bool TuneDebug::FillFrameFromDump() {
    _xData.clear();
    _yData.clear();
    _words.clear();
    ParseHexWords(_result[1].str(), _words, _numberPattern);
    if (_xCount < 0 || _yCount < 0 ||
        _words.size() != static_cast<size_t>(_xCount) + static_cast<size_t>(_yCount)) {
        return false;
    }
    _xData.assign(_words.begin(), _words.begin() + _xCount);
    _yData.assign(_words.begin() + _xCount, _words.end());
    return true;
}

void TuneDebug::ChangeState() {
    ReadCrossCounts();
    if (_xCount == 0 || _yCount == 0) {
        return;
    }
    if (!FillFrameFromDump()) {
        return;
    }
    State::ChangeState();
    _imp->StartDebug(this);
}

void TuneDebug::Update() {
    if (!FillFrameFromDump()) {
        return;
    }
    _imp->UpdateScene();
    _imp->Log("<FONT COLOR=GREEN>" + _result[1].str() + "</FONT>");
}

}  // namespace morvex_gui
