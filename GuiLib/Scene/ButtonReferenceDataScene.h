#pragma once

#include "ReferenceDataScene.h"

namespace morvex_gui_qtlib {

// The button reference-data test: judged against the button threshold and
// recorded as "Button Single Raw".
class ButtonReferenceDataScene : public ReferenceDataScene {
public:
    ButtonReferenceDataScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state);

protected:
    int Threshold() const override;
};

}  // namespace morvex_gui_qtlib
