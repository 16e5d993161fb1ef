#pragma once

#include <boost/dynamic_bitset.hpp>
#include <string>
#include <utility>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Reads the five-finger touch report as gestures for the picture display: a
// one-finger swipe pages, a two-finger pinch zooms in steps of 0.2. The scene
// is redrawn once per completed swipe or zoom step.
class PictureView : public State {
public:
    using Position = std::pair<int, int>;

    explicit PictureView(WindowImp* imp);
    ~PictureView() override;

    void ChangeState() override;
    void Update() override;

    bool IsSwipe() const { return _isSwipe; }
    bool GetSwipeForward() const { return _swipeForward; }
    float GetScale() const { return _scale; }

    int _swipeThreshold;
    int _zoomThreshold;
    std::vector<Position> _pos;
    boost::dynamic_bitset<> _touchings;
    std::vector<Position> _lastPos;
    boost::dynamic_bitset<> _lastTouchings;
    std::string _lastLine;
    int _maxTouches;
    int _touchCount;
    int _lastTouchCount;
    bool _isSwipe;
    bool _swipeForward;
    float _scale;
    Position _startPos;
    Position _startPos2;
    float _startDistance;
    bool _gestureActive;

private:
    void StoreTouches();
    // Lowest slot at or after `from` that touches in this and the previous report.
    int NextSteadySlot(int from) const;
    // Each does nothing when the report carries no finger held since the last.
    void FollowSwipe();
    void FollowPinch();
    void Zoom(int steps);

    // Zoom counted in whole steps, so repeated shrinking stops at one step
    // above zero instead of drifting to a vanishing scale.
    int _zoomSteps;
    std::vector<int> _numbers;
};

}  // namespace morvex_gui
