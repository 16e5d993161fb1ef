#include "QtWindowImp.h"

#include "BendingDebugScene.h"
#include "ButtonNormalScene.h"
#include "ButtonReferenceDataScene.h"
#include "DebugScene.h"
#include "MultiFingerLiftScene.h"
#include "MultiFingerScene.h"
#include "NormalBorderScene.h"
#include "NormalFlagScene.h"
#include "NormalLinearityScene.h"
#include "NormalPreciseScene.h"
#include "NormalScene.h"
#include "OpenShortScene.h"
#include "OpenShortState.h"
#include "PictureScene.h"
#include "QualificationScene.h"
#include "RasterScene.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "ReferenceDataScene.h"
#include "SingleDebugScene.h"
#include "SingleDebugThresholdScene.h"
#include "SingleDebugZeroScene.h"

// Every mode scene operation takes the one road of StartSceneFor: build the
// scene bound to its state, start it, make it current.

namespace morvex_gui_qtlib {

void QtWindowImp::StartNormal(morvex_gui::Normal* state) {
    StartSceneFor<NormalScene>(state);
}

void QtWindowImp::StartNormalFlag(morvex_gui::CoreNormalFlag* state) {
    StartSceneFor<NormalFlagScene>(state);
}

void QtWindowImp::StartNormalBorder(morvex_gui::CoreBorder* state) {
    StartSceneFor<NormalBorderScene>(state);
}

void QtWindowImp::StartNormalLinearity(morvex_gui::CoreLinearity* state) {
    StartSceneFor<NormalLinearityScene>(state);
}

void QtWindowImp::StartButtonNormal(morvex_gui::ButtonState* state) {
    StartSceneFor<ButtonNormalScene>(state);
}

void QtWindowImp::StartNormalPrecise(morvex_gui::CorePrecise* state) {
    StartSceneFor<NormalPreciseScene>(state);
}

void QtWindowImp::StartReferenceData(morvex_gui::SingleRawData* state) {
    StartSceneFor<ReferenceDataScene>(state);
}

void QtWindowImp::StartButtonReferenceData(morvex_gui::SingleRawData* state) {
    StartSceneFor<ButtonReferenceDataScene>(state);
}

void QtWindowImp::StartDebug(morvex_gui::RawData* state) {
    StartSceneFor<DebugScene>(state);
}

void QtWindowImp::StartRasterX(morvex_gui::RawData* state) {
    StartSceneFor<RasterXScene>(state);
}

void QtWindowImp::StartRasterY(morvex_gui::RawData* state) {
    StartSceneFor<RasterYScene>(state);
}

void QtWindowImp::StartBendingDebug(morvex_gui::BendingRawData* state) {
    StartSceneFor<BendingDebugScene>(state);
}

void QtWindowImp::StartPicture(morvex_gui::PictureView* state) {
    StartSceneFor<PictureScene>(state);
}

void QtWindowImp::StartRaster(morvex_gui::CoreRaster* state) {
    StartSceneFor<RasterScene>(state);
}

void QtWindowImp::StartSingleDebug(morvex_gui::SingleRawData* state) {
    StartSceneFor<SingleDebugScene>(state);
}

void QtWindowImp::StartSingleDebugThreshold(morvex_gui::SingleRawData* state) {
    StartSceneFor<SingleDebugThresholdScene>(state);
}

void QtWindowImp::StartSingleDebugZero(morvex_gui::SingleRawData* state) {
    StartSceneFor<SingleDebugZeroScene>(state);
}

void QtWindowImp::StartMultiFingerLift(morvex_gui::TuneMultiFingerLift* state) {
    StartSceneFor<MultiFingerLiftScene>(state, 0);
}

void QtWindowImp::StartMultiFingerLiftRX(morvex_gui::TuneMultiFingerLift* state) {
    StartSceneFor<MultiFingerLiftScene>(state, 1);
}

void QtWindowImp::StartMultiFingerLiftRY(morvex_gui::TuneMultiFingerLift* state) {
    StartSceneFor<MultiFingerLiftScene>(state, 2);
}

void QtWindowImp::StartMultiFinger(morvex_gui::TuneMultiFinger* state) {
    StartSceneFor<MultiFingerScene>(state);
}

void QtWindowImp::StartQualification(morvex_gui::TuneQualification* state) {
    StartSceneFor<QualificationScene>(state);
}

void QtWindowImp::StartRasterRX(morvex_gui::CoreRaster* state) {
    StartSceneFor<RasterScene>(state);
}

void QtWindowImp::StartRasterRY(morvex_gui::CoreRaster* state) {
    StartSceneFor<RasterScene>(state);
}

void QtWindowImp::StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* state, int mode) {
    StartSceneFor<MultiFingerLiftScene>(state, mode);
}

void QtWindowImp::StartOpenShort(morvex_gui::OpenShortState* state) {
    if (View() == nullptr) {
        return;
    }
    StartSceneFor<OpenShortScene>(state);
    emit SignalStartOpenShort(state->GetXSquares(), state->GetYSquares());
}

}  // namespace morvex_gui_qtlib
