#pragma once

#include <boost/shared_ptr.hpp>
#include <string>

#include "RecordingWindowImp.h"
#include "ViewFixture.h"

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

    // Touch modes.
    void StartNormal(morvex_gui::Normal* state) override;
    void StartNormalFlag(morvex_gui::CoreNormalFlag* state) override;
    void StartNormalLinearity(morvex_gui::CoreLinearity* state) override;
    void StartNormalBorder(morvex_gui::CoreBorder* state) override;
    void StartNormalPrecise(morvex_gui::CorePrecise* state) override;
    void StartPicture(morvex_gui::PictureView* state) override;

    // Raw-data modes.
    void StartDebug(morvex_gui::RawData* state) override;
    void StartRasterX(morvex_gui::RawData* state) override;
    void StartRasterY(morvex_gui::RawData* state) override;
    void StartBendingDebug(morvex_gui::BendingRawData* state) override;
    void StartOpenShort(morvex_gui::OpenShortState* state) override;
    void StartReferenceData(morvex_gui::SingleRawData* state) override;
    void StartButtonReferenceData(morvex_gui::SingleRawData* state) override;
    void StartSingleDebug(morvex_gui::SingleRawData* state) override;
    void StartSingleDebugThreshold(morvex_gui::SingleRawData* state) override;
    void StartSingleDebugZero(morvex_gui::SingleRawData* state) override;

    // Raster modes.
    void StartRaster(morvex_gui::CoreRaster* state) override;
    void StartMultiFingerLift(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftRX(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftRY(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* state, int mode) override;
    void StartMultiFinger(morvex_gui::TuneMultiFinger* state) override;
    void StartQualification(morvex_gui::TuneQualification* state) override;

private:
    ViewFixture& _fixture;
};
