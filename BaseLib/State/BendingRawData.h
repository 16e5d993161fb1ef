#pragma once

#include <array>
#include <boost/regex.hpp>
#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// The bending display of the engineering device: per frame an X, Y, U and V
// line (raw data of the X and Y electrodes and the bending data that belong to
// them), between header lines. A frame counts only when all four lines have
// the configured electrode counts; each frame must begin with its X line.
class BendingRawData : public State {
public:
    explicit BendingRawData(WindowImp* imp);

    void ChangeState() override;
    void Update() override;

    bool ParseFrame();
    void Reset();

    const std::vector<int>& GetXValues() const { return _xValues; }
    const std::vector<int>& GetYValues() const { return _yValues; }
    const std::vector<int>& GetUValues() const { return _uValues; }
    const std::vector<int>& GetVValues() const { return _vValues; }
    int GetXElectrodes() const { return _xElectrodes; }
    int GetYElectrodes() const { return _yElectrodes; }

private:
    void ReadLine(std::vector<int>& values, std::string& line);
    bool HasSize(const std::vector<int>& values, int electrodes) const;

    std::vector<int> _xValues;
    std::vector<int> _yValues;
    std::vector<int> _uValues;
    std::vector<int> _vValues;
    std::string _xLine;
    std::string _yLine;
    std::string _uLine;
    std::string _vLine;
    std::array<int, 4> _flags;
    boost::regex _numberPattern;
    int _xElectrodes;
    int _yElectrodes;
};

}  // namespace morvex_gui
