#pragma once

#include "BendingDebugScene.h"
#include "ButtonReferenceDataScene.h"
#include "DebugScene.h"
#include "OpenShortScene.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "RecordingWindowImp.h"
#include "ReferenceDataScene.h"
#include "SingleDebugThresholdScene.h"
#include "SingleDebugZeroScene.h"
#include "ViewFixture.h"

// A recording GUI interface that also does what the Qt one does for the
// raw-data modes: each scene operation builds the mode's scene on the
// fixture's view, and a redraw reaches the current scene. So tests can feed
// reply lines through a state and watch the verdicts and records.
class SceneWindowImp : public RecordingWindowImp {
public:
    explicit SceneWindowImp(ViewFixture& fixture) : _fixture(fixture) {}

    void StartDebug(morvex_gui::RawData* state) override {
        RecordingWindowImp::StartDebug(state);
        _fixture.Show<morvex_gui_qtlib::DebugScene>(state);
    }
    void StartRasterX(morvex_gui::RawData* state) override {
        RecordingWindowImp::StartRasterX(state);
        _fixture.Show<morvex_gui_qtlib::RasterXScene>(state);
    }
    void StartRasterY(morvex_gui::RawData* state) override {
        RecordingWindowImp::StartRasterY(state);
        _fixture.Show<morvex_gui_qtlib::RasterYScene>(state);
    }
    void StartBendingDebug(morvex_gui::BendingRawData* state) override {
        RecordingWindowImp::StartBendingDebug(state);
        _fixture.Show<morvex_gui_qtlib::BendingDebugScene>(state);
    }
    void StartOpenShort(morvex_gui::OpenShortState* state) override {
        RecordingWindowImp::StartOpenShort(state);
        _fixture.Show<morvex_gui_qtlib::OpenShortScene>(state);
    }
    void StartReferenceData(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartReferenceData(state);
        _fixture.Show<morvex_gui_qtlib::ReferenceDataScene>(state);
    }
    void StartButtonReferenceData(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartButtonReferenceData(state);
        _fixture.Show<morvex_gui_qtlib::ButtonReferenceDataScene>(state);
    }
    void StartSingleDebug(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartSingleDebug(state);
        _fixture.Show<morvex_gui_qtlib::SingleDebugScene>(state);
    }
    void StartSingleDebugThreshold(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartSingleDebugThreshold(state);
        _fixture.Show<morvex_gui_qtlib::SingleDebugThresholdScene>(state);
    }
    void StartSingleDebugZero(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartSingleDebugZero(state);
        _fixture.Show<morvex_gui_qtlib::SingleDebugZeroScene>(state);
    }
    void UpdateScene() override {
        RecordingWindowImp::UpdateScene();
        if (auto scene = _fixture.View().GetScene()) {
            scene->Update();
        }
    }
    void SetExtraDisplay(bool show) override {
        RecordingWindowImp::SetExtraDisplay(show);
        if (auto scene = _fixture.View().GetScene()) {
            scene->SetExtraDisplay(show);
        }
    }

    // The current scene as the given class (null if it is another).
    template <typename SceneT>
    SceneT* Current() const {
        return dynamic_cast<SceneT*>(_fixture.View().GetScene().get());
    }

private:
    ViewFixture& _fixture;
};
