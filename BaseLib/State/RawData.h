#pragma once

#include <boost/regex.hpp>
#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Base of the X/Y frame states (debug, jitter, raster X and Y, open/short).
// A frame is an "X" line followed by a "Y" line; the mode's display starts on
// the fourth complete frame whose channel counts did not change, and each later
// frame is kept here for the scene to read on its redraw.
class RawData : public State {
public:
    RawData(WindowImp* imp, const char* numberPattern, const char* parse);
    // A state of the debug family: signed channel values on "X" and "Y" lines.
    RawData(WindowImp* imp, int mode);

    void Update() override;
    void ChangeState() override;
    virtual bool ParseFrame();

    void SetMode(int mode) { _mode = mode; }
    int GetMode() const { return _mode; }

    // Writes the "debug" record, or the "jitter" one in jitter mode; a later
    // call replaces the earlier record.
    void logResult(std::string result);

    const std::vector<int>& GetXData() const { return _xData; }
    const std::vector<int>& GetYData() const { return _yData; }
    int GetXCount() const { return _xCount; }
    int GetYCount() const { return _yCount; }
    int GetRawdataMax() const { return _rawdataMax; }
    int GetRawdataMin() const { return _rawdataMin; }
    // The limit in `row` for channel `index`; false when the table lacks it.
    bool GetLimit(size_t row, size_t index, int& limit) const;

    // The jitter record lines, filled by the debug scene while it judges.
    std::string& XRecord() { return _xRecord; }
    std::string& YRecord() { return _yRecord; }
    std::string& XOnOffRecord() { return _xOnOffRecord; }
    std::string& YOnOffRecord() { return _yOnOffRecord; }
    void SetDisconnectionTest(int on) { _disconnectionTest = on; }

    static constexpr int kDebugMode = 0;
    static constexpr int kRasterXMode = 1;
    static constexpr int kRasterYMode = 2;
    static constexpr int kJitterMode = 14;

protected:
    // The update of one frame; true when the frame was complete (and logged).
    bool UpdateFrame();
    // Hands the frame's two lines to the recording of bridge data.
    void RecordFrameSegment();
    // The debug family's update: each displayed frame is also recorded.
    void UpdateRecordedFrame();
    bool FrameHasStoredCounts() const;
    // Counts a complete frame towards the start of the test: true on the
    // fourth in a row whose channel counts did not change.
    bool CountStableFrame();

    std::string _xRecord;
    std::string _yRecord;
    std::string _xOnOffRecord;
    std::string _yOnOffRecord;
    int _disconnectionTest;
    std::vector<int> _xData;
    std::vector<int> _yData;
    std::string _xLine;
    std::string _yLine;
    boost::regex _numberPattern;
    int _rawdataMax;
    int _rawdataMin;
    std::vector<std::vector<int> > _thresholdData;
    int _checkTimes;
    int _xCount;
    int _yCount;
    int _mode;

private:
    void ReadLimitSetting(const char* key, int& value);
    void StartDisplay();
};

}  // namespace morvex_gui
