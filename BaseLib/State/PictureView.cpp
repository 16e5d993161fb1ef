#include "PictureView.h"

#include <cmath>

#include "Normal.h"
#include "StringConvert.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 5;
constexpr int kIdSlots = 8;
constexpr int kDefaultSwipeThreshold = 1000;
constexpr int kDefaultZoomThreshold = 500;
// One zoom step is a fifth of the natural size; the smallest scale is one step.
constexpr int kStepsPerUnit = 5;
constexpr int kSmallestSteps = 1 - kStepsPerUnit;

float Distance(const PictureView::Position& a, const PictureView::Position& b) {
    const float dx = static_cast<float>(a.first - b.first);
    const float dy = static_cast<float>(a.second - b.second);
    return std::sqrt(dx * dx + dy * dy);
}
}  // namespace

PictureView::PictureView(WindowImp* imp)
    : State(imp, "\\(\\s(\\d++,?)+"),
      _swipeThreshold(kDefaultSwipeThreshold),
      _zoomThreshold(kDefaultZoomThreshold),
      _pos(kSlots),
      _touchings(kSlots),
      _lastPos(kSlots),
      _lastTouchings(kSlots),
      _maxTouches(kSlots),
      _touchCount(0),
      _lastTouchCount(0),
      _isSwipe(false),
      _swipeForward(false),
      _scale(1.0f),
      _startPos(0, 0),
      _startPos2(0, 0),
      _startDistance(0.0f),
      _gestureActive(false),
      _zoomSteps(0) {}

PictureView::~PictureView() = default;

void PictureView::ChangeState() {
    State::ChangeState();
    ConfigParameter xRes;
    if (_imp->_settings.GetParameter("x_res", xRes)) {
        const int resolution = StringToInt(xRes.GetValue());
        _swipeThreshold = static_cast<int>(resolution * 0.25);
        _zoomThreshold = static_cast<int>(resolution / 15.0);
    }
    _imp->StartPicture(this);
}

void PictureView::Update() {
    StoreTouches();
    const bool anyTouch = _touchings.any() || _lastTouchings.any();
    if (anyTouch && _match != _lastLine) {
        if (_touchCount == 1 && _lastTouchCount == 1) {
            FollowSwipe();
        } else if (_touchCount == 2 && _lastTouchCount == 2) {
            FollowPinch();
        } else {
            _gestureActive = false;
        }
        _imp->Log("<FONT COLOR=GREEN>" + _match + "</FONT>");
        _lastLine = _match;
    }
    _lastTouchings = _touchings;
    _lastPos = _pos;
    _lastTouchCount = _touchCount;
}

void PictureView::StoreTouches() {
    _numbers.clear();
    Normal::ScanNumbers(_match.data(), _match.data() + _match.size(), true, _numbers);
    _touchings.reset();
    _touchCount = _numbers.empty() ? 0 : _numbers[0];
    size_t index = 1;
    for (int read = 0; read < _touchCount && index + 2 < _numbers.size(); ++read, index += 3) {
        const int slot = _numbers[index] % kIdSlots;
        // Ids whose slot lies beyond the five fingers are dropped.
        if (slot < 0 || slot >= kSlots) {
            continue;
        }
        _touchings.set(slot);
        _pos[slot] = Position(_numbers[index + 1], _numbers[index + 2]);
    }
}

int PictureView::NextSteadySlot(int from) const {
    for (int slot = from; slot < _maxTouches && slot < kSlots; ++slot) {
        if (_touchings[slot] && _lastTouchings[slot]) {
            return slot;
        }
    }
    return -1;
}

void PictureView::FollowSwipe() {
    const int slot = NextSteadySlot(0);
    if (slot < 0) {
        return;
    }
    _isSwipe = true;
    if (!_gestureActive) {
        _startPos = _lastPos[slot];
    }
    _gestureActive = true;
    const float dx = static_cast<float>(_pos[slot].first - _startPos.first);
    if (dx < -_swipeThreshold || dx > _swipeThreshold) {
        _swipeForward = dx > 0;
        _imp->UpdateScene();
        Zoom(-_zoomSteps);
        _gestureActive = false;
    }
}

void PictureView::FollowPinch() {
    const int first = NextSteadySlot(0);
    const int second = first < 0 ? -1 : NextSteadySlot(first + 1);
    if (second < 0) {
        return;
    }
    _isSwipe = false;
    if (!_gestureActive) {
        _startPos = _lastPos[first];
        _startPos2 = _lastPos[second];
        _startDistance = Distance(_startPos, _startPos2);
        _gestureActive = true;
    }
    const float change = Distance(_pos[first], _pos[second]) - _startDistance;
    if (change > _zoomThreshold) {
        Zoom(1);
        _imp->UpdateScene();
        _gestureActive = false;
    } else if (change < -_zoomThreshold) {
        if (_zoomSteps > kSmallestSteps) {
            Zoom(-1);
        }
        _imp->UpdateScene();
        _gestureActive = false;
    }
}

void PictureView::Zoom(int steps) {
    _zoomSteps += steps;
    _scale = static_cast<float>(kStepsPerUnit + _zoomSteps) / kStepsPerUnit;
}

}  // namespace morvex_gui
