#pragma once

#include "RawData.h"

namespace morvex_gui {

// The classic device's debug mode: fixed-width signed values. It only runs the
// common start and logs the frames; it never asks for a redraw, because its
// stored channel counts stay 0.
class ClassicDebug : public RawData {
public:
    explicit ClassicDebug(WindowImp* imp);

    void ChangeState() override;
};

}  // namespace morvex_gui
