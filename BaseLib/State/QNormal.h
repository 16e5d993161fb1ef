#pragma once

#include "Normal.h"

namespace morvex_gui {

// A report of up to twenty fingers: the count, then (x, y) pairs without ids,
// pair k being finger k.
class QNormal : public Normal {
public:
    explicit QNormal(WindowImp* imp);

    void Update() override;
};

}  // namespace morvex_gui
