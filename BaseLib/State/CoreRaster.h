#pragma once

#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Assembles the raster replies (an "S" line followed by "R" lines, each a row
// of comma-terminated numbers) into a frame, writes the raster result record
// and starts the raster display on the first complete frame.
class CoreRaster : public State {
public:
    typedef std::vector<std::vector<int> > Frame;

    CoreRaster(WindowImp* imp, int mode);
    ~CoreRaster() override;

    void Update() override;
    void ChangeState() override;

    // Adds the current match to the frame; true when it completes the frame.
    bool ParseFrame();
    // Stores the raster record (header by mode, the verdict, then one line per row).
    void logResult(std::string result);

    const Frame& GetBuffers() const { return _buffers; }
    int GetMode() const { return _mode; }
    int GetNumbersPerLine() const { return _numbersPerLine; }
    int GetLinesPerFrame() const { return _linesPerFrame; }

protected:
    // Reads a setting as a decimal number; a missing key reads 0.
    int SettingValue(const char* key) const;
    // Redraws on a complete frame; every fitting line is shown in the log.
    void ShowLine(bool frameComplete);

    Frame _buffers;
    int _numbersPerLine;
    int _linesPerFrame;
    bool _inFrame;
    int _mode;

private:
    bool IsFrameComplete() const;

    // Scratch row and log text, kept so a line costs no fresh allocation.
    std::vector<int> _row;
    std::string _logText;
};

}  // namespace morvex_gui
