#include "CoreRaster.h"

#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

const char* const kRasterPattern = "[RS](\\-?\\d+,)+";

const boost::regex& NumberPattern() {
    static const boost::regex pattern("(-?\\d+)");
    return pattern;
}

// The two counts that the bridge adds beyond the electrodes, per row and per frame.
constexpr int kExtraNumbersPerLine = 2;
constexpr int kExtraLinesPerFrame = 2;

const char* RecordHeader(int mode) {
    switch (mode) {
        case 1:
            return "Raster X: ,";
        case 2:
            return "Raster Y: ,";
        default:
            return "Raster: ,";
    }
}

const char* RecordKey(int mode) {
    switch (mode) {
        case 1:
            return "raster x";
        case 2:
            return "raster y";
        default:
            return "raster";
    }
}

}  // namespace

CoreRaster::CoreRaster(WindowImp* imp, int mode)
    : State(imp, kRasterPattern),
      _numbersPerLine(SettingValue("x_electrodes") + kExtraNumbersPerLine),
      _linesPerFrame(SettingValue("y_electrodes") + kExtraLinesPerFrame),
      _inFrame(false),
      _mode(mode) {}

CoreRaster::~CoreRaster() = default;

int CoreRaster::SettingValue(const char* key) const {
    return StringToInt(_imp->_settings.GetValue(key));
}

bool CoreRaster::ParseFrame() {
    const bool header = !_match.empty() && _match[0] == 'S';
    _row.clear();
    ExtractNumbers(_row, NumberPattern());
    const bool fits = static_cast<int>(_row.size()) == _numbersPerLine;
    if (header) {
        // A header always ends the frame that was open: the rows after it belong
        // to a new frame, so a lost row never shifts one frame into the next.
        _inFrame = fits;
        if (!fits) {
            return false;
        }
        _buffers.clear();
    } else if (!_inFrame || !fits) {
        // A row outside a frame, or of the wrong length, never counts.
        return false;
    }
    _buffers.push_back(_row);
    if (!IsFrameComplete()) {
        return false;
    }
    _inFrame = false;
    return true;
}

bool CoreRaster::IsFrameComplete() const {
    return static_cast<int>(_buffers.size()) >= _linesPerFrame;
}

void CoreRaster::logResult(std::string result) {
    std::string record = RecordHeader(_mode);
    record += result;
    record += "\r\n";
    for (const std::vector<int>& row : _buffers) {
        for (int value : row) {
            record += std::to_string(value);
            record += ',';
        }
        record += "\r\n";
    }
    _imp->SetResult(RecordKey(_mode), record);
}

void CoreRaster::ChangeState() {
    if (!ParseFrame()) {
        return;
    }
    logResult("Pass");
    _imp->StartTimer(1);
    State::ChangeState();
    _imp->StartRaster(this);
}

void CoreRaster::Update() {
    ShowLine(ParseFrame());
}

void CoreRaster::ShowLine(bool frameComplete) {
    if (frameComplete) {
        _imp->UpdateScene();
    }
    _logText.assign(frameComplete ? "<FONT COLOR=BLUE>" : "<FONT COLOR=GREEN>");
    _logText += _match;
    _logText += "</FONT>";
    _imp->Log(_logText);
}

}  // namespace morvex_gui
