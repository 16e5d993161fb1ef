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

void SceneWindowImp::StartMultiFingerLiftActive(TuneMultiFingerLift* state, int mode) {
    RecordingWindowImp::StartMultiFingerLiftActive(state, mode);
    _fixture.Show<MultiFingerLiftScene>(state, mode);
}

// Records the call, then builds the mode's scene bound to the state.
#define SCENE_WINDOW_IMP_DEFINE(operation, StateT, SceneT, ...) \
    void SceneWindowImp::operation(StateT* state) {             \
        RecordingWindowImp::operation(state);                   \
        _fixture.Show<SceneT>(state, ##__VA_ARGS__);            \
    }
SCENE_WINDOW_IMP_OPERATIONS(SCENE_WINDOW_IMP_DEFINE)
