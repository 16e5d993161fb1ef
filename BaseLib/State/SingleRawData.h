#pragma once

#include <boost/regex.hpp>
#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Base of the states that receive one line of numbers at a time (button raw
// data, reference data, single X or Y lines). The mode picks the display and,
// for the threshold modes, how the values are transformed before drawing.
class SingleRawData : public State {
public:
    SingleRawData(WindowImp* imp, const char* numberPattern, const char* parse, int count,
                  int mode);

    void ChangeState() override;
    void Update() override;

    // type 0 "Button Rawdata", 1 "Single Raw", 3 "Button Single Raw"; other
    // types write nothing.
    virtual void logResult(std::string result, int type);

    const std::vector<int>& GetValues() const { return _values; }
    int GetCount() const { return _count; }
    int GetMode() const { return _mode; }
    int GetThreshold() const { return _threshold; }
    int GetPeakValue() const { return _peakValue; }
    int GetPeakChannel() const { return _peakChannel; }
    float GetDivisor() const { return _divisor; }
    int GetBRawdataMax() const { return _bRawdataMax; }
    int GetBRawdataMin() const { return _bRawdataMin; }
    int GetBThreshold() const { return _bThreshold; }

protected:
    std::vector<int> _values;
    boost::regex _numberPattern;
    int _count;
    int _mode;
    int _threshold;
    int _peakValue;
    int _peakChannel;
    float _divisor;
    int _bRawdataMax;
    int _bRawdataMin;
    std::string _lastLine;
    int _bThreshold;

private:
    int IntegerSetting(const char* key) const;
    void ReadValues();
    void StartDisplay();
    // Sum mode: false when the sum exceeds the threshold and was handed back.
    bool CollapseToSum();
    void ScaleToPeak();
};

}  // namespace morvex_gui
