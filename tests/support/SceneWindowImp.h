#pragma once

#include <boost/shared_ptr.hpp>
#include <string>

#include "RecordingWindowImp.h"
#include "ViewFixture.h"

// Each scene operation with the state it binds and the scene it shows; the
// argument after the scene, if any, is the scene's display mode.
#define SCENE_WINDOW_IMP_OPERATIONS(X)                                      \
    X(StartNormal, Normal, NormalScene)                                     \
    X(StartNormalFlag, CoreNormalFlag, NormalFlagScene)                     \
    X(StartNormalLinearity, CoreLinearity, NormalLinearityScene)            \
    X(StartNormalBorder, CoreBorder, NormalBorderScene)                     \
    X(StartNormalPrecise, CorePrecise, NormalPreciseScene)                  \
    X(StartPicture, PictureView, PictureScene)                              \
    X(StartDebug, RawData, DebugScene)                                      \
    X(StartRasterX, RawData, RasterXScene)                                  \
    X(StartRasterY, RawData, RasterYScene)                                  \
    X(StartBendingDebug, BendingRawData, BendingDebugScene)                 \
    X(StartOpenShort, OpenShortState, OpenShortScene)                       \
    X(StartReferenceData, SingleRawData, ReferenceDataScene)                \
    X(StartButtonReferenceData, SingleRawData, ButtonReferenceDataScene)    \
    X(StartSingleDebug, SingleRawData, SingleDebugScene)                    \
    X(StartSingleDebugThreshold, SingleRawData, SingleDebugThresholdScene)  \
    X(StartSingleDebugZero, SingleRawData, SingleDebugZeroScene)            \
    X(StartRaster, CoreRaster, RasterScene)                                 \
    X(StartMultiFingerLift, TuneMultiFingerLift, MultiFingerLiftScene, 0)   \
    X(StartMultiFingerLiftRX, TuneMultiFingerLift, MultiFingerLiftScene, 1) \
    X(StartMultiFingerLiftRY, TuneMultiFingerLift, MultiFingerLiftScene, 2) \
    X(StartMultiFinger, TuneMultiFinger, MultiFingerScene)                  \
    X(StartQualification, TuneQualification, QualificationScene)

// A recording GUI interface that also does what the Qt one does with scenes:
// the common start blanks the display, each mode's scene operation builds the
// mode's scene on the fixture's view, and a redraw reaches the current scene.
// So tests can feed reply lines through a state and watch the drawing, the
// verdicts and the records.
class SceneWindowImp : public RecordingWindowImp {
public:
    explicit SceneWindowImp(ViewFixture& fixture) : _fixture(fixture) {}

    void Set(const char* key, const std::string& value);

    // The current scene as the given class (null if it is another).
    template <typename SceneT>
    boost::shared_ptr<SceneT> Current() const {
        return boost::dynamic_pointer_cast<SceneT>(_fixture.View().GetScene());
    }

    void StartCommon() override;
    void ClearAll() override;
    void UpdateScene() override;
    void SetExtraDisplay(bool show) override;
    void StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* state, int mode) override;

#define SCENE_WINDOW_IMP_DECLARE(operation, StateT, ...) \
    void operation(morvex_gui::StateT* state) override;
    SCENE_WINDOW_IMP_OPERATIONS(SCENE_WINDOW_IMP_DECLARE)
#undef SCENE_WINDOW_IMP_DECLARE

private:
    ViewFixture& _fixture;
};
