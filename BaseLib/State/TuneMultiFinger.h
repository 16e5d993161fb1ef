#pragma once

#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Finger positions as an "X" line and a "Y" line of 0/1 flags, one per
// electrode; a complete pair starts or redraws the multi-finger display.
class TuneMultiFinger : public State {
public:
    explicit TuneMultiFinger(WindowImp* imp);
    ~TuneMultiFinger() override;

    void Update() override;
    void ChangeState() override;

    // Takes the current match into the X or Y flags; true when both are full.
    bool ParseFrame();
    void ClearData();

    const std::vector<int>& GetXData() const { return _xData; }
    const std::vector<int>& GetYData() const { return _yData; }
    int GetXCount() const { return _xCount; }
    int GetYCount() const { return _yCount; }

private:
    std::vector<int> _xData;
    std::vector<int> _yData;
    std::string _xLine;
    std::string _yLine;
    boost::regex _numberPattern;
    int _xCount;
    int _yCount;
    std::string _logText;
};

}  // namespace morvex_gui
