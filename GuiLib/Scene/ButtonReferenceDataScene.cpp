#include "ButtonReferenceDataScene.h"

#include "SingleRawData.h"

namespace morvex_gui_qtlib {

namespace {
constexpr int kButtonSingleRawRecord = 3;
}

ButtonReferenceDataScene::ButtonReferenceDataScene(QGraphicsScene* scene,
                                                   morvex_gui::SingleRawData* state)
    : ReferenceDataScene(scene, state, kButtonSingleRawRecord) {}

int ButtonReferenceDataScene::Threshold() const {
    return BoundState().GetBThreshold();
}

}  // namespace morvex_gui_qtlib
