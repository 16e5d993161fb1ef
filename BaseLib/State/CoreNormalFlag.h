#pragma once

#include <string>

#include "Normal.h"

namespace morvex_gui {

// The touch report with the controller's optional status byte ("F" and two hex
// digits), turned into five condition bits for the legend of the flag scene.
class CoreNormalFlag : public Normal {
public:
    // Bits of _flag, in legend order.
    enum Condition { kNoise = 0, kBending, kBuffer, kPalm, kWater, kConditionCount };

    explicit CoreNormalFlag(WindowImp* imp);
    ~CoreNormalFlag() override;

    void ChangeState() override;
    void Update() override;

    int _flag;
    // True while the redraw in progress is the legend's, not the trails'.
    bool _flagChanged;
    std::string _lastFlag;

private:
    // Length of the coordinate part of the match, without the status byte.
    size_t CoordinateLength() const;
    void ReadStatusByte();
};

}  // namespace morvex_gui
