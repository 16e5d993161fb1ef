#pragma once

#include <vector>

#include "RawData.h"

namespace morvex_gui {

// A debug display fed by register dumps: the dump's bytes are little-endian
// 16-bit words, the X channels first, then the Y channels; the channel counts
// come from the settings "x_cross" and "y_cross".
class TuneDebug : public RawData {
public:
    explicit TuneDebug(WindowImp* imp);

    void ChangeState() override;
    void Update() override;

private:
    void ReadCrossCounts();
    // Fills the frame from the dump; false, with the frame left empty, when the
    // word count does not fit.
    bool FillFrameFromDump();

    std::vector<short> _words;
};

}  // namespace morvex_gui
