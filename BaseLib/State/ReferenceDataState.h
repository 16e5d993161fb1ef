#pragma once

#include "SingleRawData.h"

namespace morvex_gui {

// The reference raw data ("HR" lines), shown and judged by the reference-data
// display, which writes the "Single Raw" record. The mode argument is ignored.
class ReferenceDataState : public SingleRawData {
public:
    ReferenceDataState(WindowImp* imp, int count, int mode);
};

}  // namespace morvex_gui
