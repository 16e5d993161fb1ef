#pragma once

#include "SingleRawData.h"

namespace morvex_gui {

// The button reference-data test; its display judges against "b_singleraw_threshold".
// The mode argument is ignored: this test has one display.
class ButtonReferenceDataState : public SingleRawData {
public:
    ButtonReferenceDataState(WindowImp* imp, int count, int mode);
};

}  // namespace morvex_gui
