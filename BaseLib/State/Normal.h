#pragma once

#include <boost/dynamic_bitset.hpp>
#include <string>
#include <utility>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Base of the states that read the controller's coordinate report: the panel's
// resolution and mirroring from the settings, and per touch slot the latest
// and the previous position and touch bit. The touch scenes read these fields
// on every redraw.
class Normal : public State {
public:
    using Position = std::pair<int, int>;

    Normal(WindowImp* imp, const char* parse, int touches);
    ~Normal() override;

    void ChangeState() override;

    int GetLineWidth() const { return _lineWidth; }
    int GetCircleRadius() const { return _circleRadius; }
    int SlotCount() const { return static_cast<int>(_pos.size()); }

    // Appends the integers of [first, last) in order, as the pattern "(-?\d+)"
    // (or "(\d+)" when signs are not wanted) finds them; a number outside the
    // int range is skipped. Hand-written because it runs on every report line.
    static void ScanNumbers(const char* first, const char* last, bool withSign,
                            std::vector<int>& numbers);

    int _xRes;
    int _yRes;
    bool _xReverse;
    bool _yReverse;
    int _borderWidth;
    int _lineWidth;
    int _circleRadius;
    std::vector<Position> _pos;
    boost::dynamic_bitset<> _touchings;
    std::vector<Position> _lastPos;
    boost::dynamic_bitset<> _lastTouchings;
    std::string _lastLine;
    int _maxTouches;

protected:
    // Resolution and mirroring; both resolutions are written back, so the keys
    // exist afterwards.
    void ReadPanelSettings();

    // The usual report update: count, then (id, x, y) triples, then the redraw
    // and the log line in `colour` (an HTML colour name).
    void UpdateReport(const char* colour);

    // Fills _numbers from the first `length` characters of the match.
    void ReadNumbers(size_t length, bool withSign = true);
    // Clears the touch bits and stores the (id, x, y) triples after the count.
    void StoreIdTriples();
    // Stores one touch; a slot outside the state's slots is dropped.
    void StoreTouch(int slot, int x, int y);
    // Which slot an id of a report with `count` touches goes to.
    virtual int SlotFor(int count, int id) const;

    // A finger touches now or did before, and the text changed.
    bool NeedsRedraw() const;
    // Redraws and logs the match in `colour` when NeedsRedraw.
    void ShowReport(const char* colour);
    // The latest report becomes the previous one.
    void KeepAsPrevious();

    // Reused for every line, so reading a report allocates nothing.
    std::vector<int> _numbers;

private:
    void ReadWidthSettings();
};

}  // namespace morvex_gui
