#include "SceneWindowImp.h"

#include <QGraphicsScene>
#include <boost/make_shared.hpp>

#include "BendingDebugScene.h"
#include "ButtonReferenceDataScene.h"
#include "ConfigParameter.h"
#include "DebugScene.h"
#include "MultiFingerLiftScene.h"
#include "MultiFingerScene.h"
#include "NormalBorderScene.h"
#include "NormalFlagScene.h"
#include "NormalLinearityScene.h"
#include "NormalPreciseScene.h"
#include "NormalScene.h"
#include "OpenShortScene.h"
#include "PictureScene.h"
#include "QualificationScene.h"
#include "RasterScene.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "ReferenceDataScene.h"
#include "SingleDebugScene.h"
#include "SingleDebugThresholdScene.h"
#include "SingleDebugZeroScene.h"

using namespace morvex_gui;
using namespace morvex_gui_qtlib;

void SceneWindowImp::Set(const char* key, const std::string& value) {
    _settings.SetParameter(ConfigParameter(key, value));
}

void SceneWindowImp::StartCommon() {
    RecordingWindowImp::StartCommon();
    _fixture.View().SetScene(boost::make_shared<Scene>(_fixture.Graphics()));
}

void SceneWindowImp::ClearAll() {
    RecordingWindowImp::ClearAll();
    _fixture.Graphics()->clear();
    _fixture.View().AddTextItem();
}

void SceneWindowImp::UpdateScene() {
    RecordingWindowImp::UpdateScene();
    if (auto scene = _fixture.View().GetScene()) {
        scene->Update();
    }
}

void SceneWindowImp::SetExtraDisplay(bool show) {
    RecordingWindowImp::SetExtraDisplay(show);
    if (auto scene = _fixture.View().GetScene()) {
        scene->SetExtraDisplay(show);
    }
}

void SceneWindowImp::StartNormal(Normal* state) {
    RecordingWindowImp::StartNormal(state);
    _fixture.Show<NormalScene>(state);
}

void SceneWindowImp::StartNormalFlag(CoreNormalFlag* state) {
    RecordingWindowImp::StartNormalFlag(state);
    _fixture.Show<NormalFlagScene>(state);
}

void SceneWindowImp::StartNormalLinearity(CoreLinearity* state) {
    RecordingWindowImp::StartNormalLinearity(state);
    _fixture.Show<NormalLinearityScene>(state);
}

void SceneWindowImp::StartNormalBorder(CoreBorder* state) {
    RecordingWindowImp::StartNormalBorder(state);
    _fixture.Show<NormalBorderScene>(state);
}

void SceneWindowImp::StartNormalPrecise(CorePrecise* state) {
    RecordingWindowImp::StartNormalPrecise(state);
    _fixture.Show<NormalPreciseScene>(state);
}

void SceneWindowImp::StartPicture(PictureView* state) {
    RecordingWindowImp::StartPicture(state);
    _fixture.Show<PictureScene>(state);
}

void SceneWindowImp::StartDebug(RawData* state) {
    RecordingWindowImp::StartDebug(state);
    _fixture.Show<DebugScene>(state);
}

void SceneWindowImp::StartRasterX(RawData* state) {
    RecordingWindowImp::StartRasterX(state);
    _fixture.Show<RasterXScene>(state);
}

void SceneWindowImp::StartRasterY(RawData* state) {
    RecordingWindowImp::StartRasterY(state);
    _fixture.Show<RasterYScene>(state);
}

void SceneWindowImp::StartBendingDebug(BendingRawData* state) {
    RecordingWindowImp::StartBendingDebug(state);
    _fixture.Show<BendingDebugScene>(state);
}

void SceneWindowImp::StartOpenShort(OpenShortState* state) {
    RecordingWindowImp::StartOpenShort(state);
    _fixture.Show<OpenShortScene>(state);
}

void SceneWindowImp::StartReferenceData(SingleRawData* state) {
    RecordingWindowImp::StartReferenceData(state);
    _fixture.Show<ReferenceDataScene>(state);
}

void SceneWindowImp::StartButtonReferenceData(SingleRawData* state) {
    RecordingWindowImp::StartButtonReferenceData(state);
    _fixture.Show<ButtonReferenceDataScene>(state);
}

void SceneWindowImp::StartSingleDebug(SingleRawData* state) {
    RecordingWindowImp::StartSingleDebug(state);
    _fixture.Show<SingleDebugScene>(state);
}

void SceneWindowImp::StartSingleDebugThreshold(SingleRawData* state) {
    RecordingWindowImp::StartSingleDebugThreshold(state);
    _fixture.Show<SingleDebugThresholdScene>(state);
}

void SceneWindowImp::StartSingleDebugZero(SingleRawData* state) {
    RecordingWindowImp::StartSingleDebugZero(state);
    _fixture.Show<SingleDebugZeroScene>(state);
}

void SceneWindowImp::StartRaster(CoreRaster* state) {
    RecordingWindowImp::StartRaster(state);
    _fixture.Show<RasterScene>(state);
}

void SceneWindowImp::StartMultiFingerLift(TuneMultiFingerLift* state) {
    RecordingWindowImp::StartMultiFingerLift(state);
    _fixture.Show<MultiFingerLiftScene>(state, 0);
}

void SceneWindowImp::StartMultiFingerLiftRX(TuneMultiFingerLift* state) {
    RecordingWindowImp::StartMultiFingerLiftRX(state);
    _fixture.Show<MultiFingerLiftScene>(state, 1);
}

void SceneWindowImp::StartMultiFingerLiftRY(TuneMultiFingerLift* state) {
    RecordingWindowImp::StartMultiFingerLiftRY(state);
    _fixture.Show<MultiFingerLiftScene>(state, 2);
}

void SceneWindowImp::StartMultiFingerLiftActive(TuneMultiFingerLift* state, int mode) {
    RecordingWindowImp::StartMultiFingerLiftActive(state, mode);
    _fixture.Show<MultiFingerLiftScene>(state, mode);
}

void SceneWindowImp::StartMultiFinger(TuneMultiFinger* state) {
    RecordingWindowImp::StartMultiFinger(state);
    _fixture.Show<MultiFingerScene>(state);
}

void SceneWindowImp::StartQualification(TuneQualification* state) {
    RecordingWindowImp::StartQualification(state);
    _fixture.Show<QualificationScene>(state);
}
