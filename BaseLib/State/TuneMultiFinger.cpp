#include "TuneMultiFinger.h"

#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

TuneMultiFinger::TuneMultiFinger(WindowImp* imp)
    : State(imp, "[XY](-?\\d++,?)+"),
      _numberPattern("(-?\\d+)"),
      _xCount(StringToInt(imp->_settings.GetValue("x_electrodes"))),
      _yCount(StringToInt(imp->_settings.GetValue("y_electrodes"))) {}

TuneMultiFinger::~TuneMultiFinger() = default;

bool TuneMultiFinger::ParseFrame() {
    if (!_match.empty() && _match[0] == 'X') {
        // An X line begins a new pair.
        ClearData();
        ExtractNumbers(_xData, _numberPattern);
        _xLine = _match;
    } else if (!_match.empty() && _match[0] == 'Y') {
        _yData.clear();
        ExtractNumbers(_yData, _numberPattern);
        _yLine = _match;
    }
    return static_cast<int>(_xData.size()) == _xCount && static_cast<int>(_yData.size()) == _yCount;
}

void TuneMultiFinger::ClearData() {
    _xData.clear();
    _yData.clear();
}

void TuneMultiFinger::ChangeState() {
    if (!ParseFrame()) {
        return;
    }
    State::ChangeState();
    _imp->StartMultiFinger(this);
    ClearData();
}

void TuneMultiFinger::Update() {
    if (!ParseFrame()) {
        return;
    }
    // The scene reads the flags during the redraw, before they are emptied.
    _imp->UpdateScene();
    _logText.assign("<FONT COLOR=lawngreen>");
    _logText += _xLine;
    _logText += "<br />";
    _logText += _yLine;
    _logText += "</FONT>";
    _imp->Log(_logText);
    ClearData();
}

}  // namespace morvex_gui
