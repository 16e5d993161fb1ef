#include "OpenShortState.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "OperationLog.h"
#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr int kDefaultXSquares = 7;
constexpr int kDefaultYSquares = 6;
// Above this a pair is broken whatever the table says.
constexpr int kAbsoluteDefect = 200;
constexpr int kOpenPart = 0;
constexpr int kShortPart = 1;

const char* TestName(int part) {
    return part == kOpenPart ? "open" : "short";
}

}  // namespace

OpenShortState::OpenShortState(WindowImp* imp)
    : RawData(imp, kDebugMode),
      _xSquares(SquaresSetting("horizontal_squares", kDefaultXSquares)),
      _ySquares(SquaresSetting("vertical_squares", kDefaultYSquares)),
      _openData(_xSquares - 1, std::vector<int>(_ySquares, 0)),
      _shortData(_xSquares, std::vector<int>(_ySquares - 1, 0)),
      _openChecked(false),
      _openShifted(false),
      _shortChecked(false),
      _shortShifted(false),
      _missingLimitReported{false, false} {}

int OpenShortState::SquaresSetting(const char* key, int fallback) const {
    ConfigParameter parameter;
    if (_imp == nullptr || !_imp->_settings.GetParameter(key, parameter)) {
        return fallback;
    }
    const int squares = StringToInt(parameter.GetValue());
    if (squares < 1) {
        // A grid needs at least one square; keep the matrices sizeable.
        LOG4CPLUS_WARN(OperationLogger(), "Setting " << key << " \"" << parameter.GetValue()
                                                     << "\" is not a square count; using 1");
        return 1;
    }
    return squares;
}

OpenShortState::Test OpenShortState::OpenTest() {
    return Test{kOpenPart,   _xSquares - 1, _ySquares,    0, &_xData, &_openData,
                &_openCells, &_openChecked, &_openShifted};
}

OpenShortState::Test OpenShortState::ShortTest() {
    return Test{kShortPart,   _xSquares,      _ySquares - 1, 3, &_yData, &_shortData,
                &_shortCells, &_shortChecked, &_shortShifted};
}

bool OpenShortState::FrameFitsGrid() const {
    return _xCount == (_xSquares - 1) * _ySquares && _yCount == (_ySquares - 1) * _xSquares;
}

void OpenShortState::ChangeState() {
    if (!ParseFrame() || !CountStableFrame()) {
        return;
    }
    if (!FrameFitsGrid()) {
        _checkTimes = 0;
        return;
    }
    logResult("Pass");
    _imp->StartTimer(1);
    State::ChangeState();
    _imp->StartOpenShort(this);
}

void OpenShortState::Update() {
    _openCells.clear();
    _shortCells.clear();
    _openChecked = _openShifted = _shortChecked = _shortShifted = false;
    if (!ParseFrame() || !FrameHasStoredCounts() || !FrameFitsGrid()) {
        return;
    }
    JudgeTest(OpenTest());
    JudgeTest(ShortTest());
    _imp->UpdateScene();
    _imp->ShowOpenShortData(_openData, _shortData);
}

void OpenShortState::JudgeTest(const Test& test) {
    for (int r = 0; r < test.rows; ++r) {
        for (int c = 0; c < test.columns; ++c) {
            const int index = test.columns * r + c;
            const int value = (*test.values)[index];
            (*test.matrix)[r][c] = value;
            if (value > kAbsoluteDefect) {
                test.cells->emplace_back(r, c);
            } else if (!*test.shifted && IsOutsideTolerance(test, index, value)) {
                test.cells->emplace_back(r, c);
            }
        }
    }
}

// True when the pair is to be listed: outside base +/- tolerance and not part
// of a shifted frame. The first such pair decides whether the frame is shifted.
bool OpenShortState::IsOutsideTolerance(const Test& test, int index, int value) {
    int base = 0;
    int tolerance = 0;
    if (!GetLimit(test.baseRow, index, base) || !GetLimit(test.baseRow + 1, index, tolerance)) {
        ReportMissingLimit(test, index);
        return true;
    }
    if (value <= base + tolerance && value >= base - tolerance) {
        return false;
    }
    if (*test.checked) {
        return true;
    }
    *test.checked = true;
    if (DetectShift(test.part)) {
        *test.shifted = true;
        return false;
    }
    return true;
}

bool OpenShortState::DetectShift(int part) {
    const Test test = part == kOpenPart ? OpenTest() : ShortTest();
    if (!HasBases(test, _deviations) || _deviations.empty()) {
        return false;
    }
    const auto range = std::minmax_element(_deviations.begin(), _deviations.end());
    const bool allAbove = *range.first > 0;
    const bool allBelow = *range.second < 0;
    if (!allAbove && !allBelow) {
        return false;
    }
    JudgeByShiftTolerance(test, _deviations);
    return true;
}

// The deviation of every value of the test from its base; false when a base
// is missing from the table, so no shift can be claimed.
bool OpenShortState::HasBases(const Test& test, std::vector<int>& deviations) {
    deviations.clear();
    const std::vector<int>& values = *test.values;
    for (size_t i = 0; i < values.size(); ++i) {
        int base = 0;
        if (!GetLimit(test.baseRow, i, base)) {
            ReportMissingLimit(test, static_cast<int>(i));
            return false;
        }
        // In 64 bits: a wild reading must not wrap into the other sign.
        const long long deviation = static_cast<long long>(values[i]) - base;
        deviations.push_back(static_cast<int>(
            std::max<long long>(std::min<long long>(deviation, INT_MAX), -INT_MAX)));
    }
    return true;
}

void OpenShortState::JudgeByShiftTolerance(const Test& test, const std::vector<int>& deviations) {
    for (int r = 0; r < test.rows; ++r) {
        for (int c = 0; c < test.columns; ++c) {
            const int index = test.columns * r + c;
            int shiftTolerance = 0;
            if (!GetLimit(test.baseRow + 2, index, shiftTolerance)) {
                ReportMissingLimit(test, index);
                test.cells->emplace_back(r, c);
            } else if (std::abs(deviations[index]) > shiftTolerance) {
                test.cells->emplace_back(r, c);
            }
        }
    }
}

void OpenShortState::ReportMissingLimit(const Test& test, int index) {
    if (_missingLimitReported[test.part]) {
        return;
    }
    _missingLimitReported[test.part] = true;
    LOG4CPLUS_WARN(OperationLogger(), "Open/short: the threshold table has no "
                                          << TestName(test.part) << " limits for pair " << index
                                          << " (rows " << test.baseRow << " to " << test.baseRow + 2
                                          << " needed); such pairs count as "
                                             "defects");
}

}  // namespace morvex_gui
