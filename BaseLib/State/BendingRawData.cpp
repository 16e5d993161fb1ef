#include "BendingRawData.h"

#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

BendingRawData::BendingRawData(WindowImp* imp)
    : State(imp, "(RAW DATA)|(BENDING DATA)|([XYUV](-?\\d++,?)+)"),
      _flags{},
      _numberPattern("(-?\\d+)"),
      _xElectrodes(0),
      _yElectrodes(0) {
    if (_imp != nullptr) {
        _xElectrodes = StringToInt(_imp->_settings.GetValue("x_electrodes"));
        _yElectrodes = StringToInt(_imp->_settings.GetValue("y_electrodes"));
    }
    Reset();
}

void BendingRawData::ReadLine(std::vector<int>& values, std::string& line) {
    values.clear();
    ExtractNumbers(values, _numberPattern);
    line = _match;
}

bool BendingRawData::HasSize(const std::vector<int>& values, int electrodes) const {
    return electrodes >= 0 && values.size() == static_cast<size_t>(electrodes);
}

bool BendingRawData::ParseFrame() {
    const char letter = _match.empty() ? '\0' : _match[0];
    switch (letter) {
        case 'X':
            _yValues.clear();
            _uValues.clear();
            _vValues.clear();
            ReadLine(_xValues, _xLine);
            break;
        case 'Y':
            ReadLine(_yValues, _yLine);
            break;
        case 'U':
            ReadLine(_uValues, _uLine);
            break;
        default:  // the V line, and the header lines, which carry no numbers
            ReadLine(_vValues, _vLine);
            break;
    }
    return HasSize(_xValues, _xElectrodes) && HasSize(_yValues, _yElectrodes) &&
           HasSize(_uValues, _xElectrodes) && HasSize(_vValues, _yElectrodes);
}

void BendingRawData::Reset() {
    _flags.fill(0);
    _xValues.clear();
    _yValues.clear();
    _uValues.clear();
    _vValues.clear();
}

void BendingRawData::ChangeState() {
    if (!ParseFrame()) {
        return;
    }
    State::ChangeState();
    // The display is built from this frame before the vectors are emptied.
    _imp->StartBendingDebug(this);
    Reset();
}

void BendingRawData::Update() {
    if (!ParseFrame()) {
        return;
    }
    _imp->UpdateScene();
    _imp->Log("<FONT COLOR=GREEN>" + _xLine + "<br />" + _yLine + "</FONT>" + "<br />" +
              "<FONT COLOR=BLUE>" + _uLine + "<br />" + _vLine + "</FONT>");
    Reset();
}

}  // namespace morvex_gui
