#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTextEdit>
#include <boost/make_shared.hpp>
#include <functional>

#include "BendingDebugScene.h"
#include "BendingRawData.h"
#include "ButtonNormalScene.h"
#include "ButtonReferenceDataScene.h"
#include "ButtonReferenceDataState.h"
#include "ButtonState.h"
#include "CoreBorder.h"
#include "CoreDebug.h"
#include "CoreLinearity.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePrecise.h"
#include "CoreRaster.h"
#include "CoreRasterX.h"
#include "CoreRasterY.h"
#include "DebugScene.h"
#include "DisplayView.h"
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
#include "PictureView.h"
#include "QtWindowImp.h"
#include "QualificationScene.h"
#include "RasterScene.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "ReferenceDataScene.h"
#include "ReferenceDataState.h"
#include "SingleDebugScene.h"
#include "SingleDebugThresholdScene.h"
#include "SingleDebugZeroScene.h"
#include "SingleRawDataX.h"
#include "TempProgramDir.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "TuneQualification.h"
#include "WidgetHolder.h"

using namespace morvex_gui;
using namespace morvex_gui_qtlib;

namespace {

class SceneOperationsTest : public ::testing::Test {
protected:
    SceneOperationsTest() : imp(&widgets) {
        view.resize(800, 600);
        view.show();
        widgets.SetLog(&log);
        widgets.SetView(&view);
        imp._settings.SetParameter(ConfigParameter("x_electrodes", "8"));
        imp._settings.SetParameter(ConfigParameter("y_electrodes", "6"));
        imp._settings.SetParameter(ConfigParameter("x_res", "1024"));
        imp._settings.SetParameter(ConfigParameter("y_res", "768"));
    }

    // Builds a state of type StateT, runs `start` on the GUI interface with it
    // and checks that the current scene is a SceneT that keeps the state alive.
    template <class SceneT, class StateT, class... Args>
    void ExpectScene(const std::function<void(QtWindowImp&, StateT*)>& start, Args... args) {
        auto state = boost::make_shared<StateT>(&imp, args...);
        boost::weak_ptr<StateT> watch = state;
        start(imp, state.get());
        ASSERT_NE(dynamic_cast<SceneT*>(view.GetScene().get()), nullptr) << typeid(SceneT).name();
        state.reset();
        EXPECT_FALSE(watch.expired()) << "the current scene must hold its state";
        imp.StartCommon();
        EXPECT_TRUE(watch.expired()) << "dropping the scene releases the state";
    }

    TempProgramDir dir;
    QTextEdit log;
    DisplayView view;
    WidgetHolder widgets;
    QtWindowImp imp;
};

}  // namespace

TEST_F(SceneOperationsTest, EveryOperationInstallsItsSceneBoundToItsState) {
    ExpectScene<NormalScene, CoreNormal>([](QtWindowImp& w, CoreNormal* s) { w.StartNormal(s); });
    ExpectScene<NormalFlagScene, CoreNormalFlag>(
        [](QtWindowImp& w, CoreNormalFlag* s) { w.StartNormalFlag(s); });
    ExpectScene<NormalBorderScene, CoreBorder>(
        [](QtWindowImp& w, CoreBorder* s) { w.StartNormalBorder(s); });
    ExpectScene<NormalLinearityScene, CoreLinearity>(
        [](QtWindowImp& w, CoreLinearity* s) { w.StartNormalLinearity(s); });
    ExpectScene<ButtonNormalScene, ButtonState>(
        [](QtWindowImp& w, ButtonState* s) { w.StartButtonNormal(s); });
    ExpectScene<NormalPreciseScene, CorePrecise>(
        [](QtWindowImp& w, CorePrecise* s) { w.StartNormalPrecise(s); });
    ExpectScene<ReferenceDataScene, ReferenceDataState>(
        [](QtWindowImp& w, ReferenceDataState* s) { w.StartReferenceData(s); }, 4, 0);
    ExpectScene<ButtonReferenceDataScene, ButtonReferenceDataState>(
        [](QtWindowImp& w, ButtonReferenceDataState* s) { w.StartButtonReferenceData(s); }, 4, 0);
    ExpectScene<DebugScene, CoreDebug>([](QtWindowImp& w, CoreDebug* s) { w.StartDebug(s); });
    ExpectScene<RasterXScene, CoreRasterX>(
        [](QtWindowImp& w, CoreRasterX* s) { w.StartRasterX(s); });
    ExpectScene<RasterYScene, CoreRasterY>(
        [](QtWindowImp& w, CoreRasterY* s) { w.StartRasterY(s); });
    ExpectScene<BendingDebugScene, BendingRawData>(
        [](QtWindowImp& w, BendingRawData* s) { w.StartBendingDebug(s); });
    ExpectScene<PictureScene, PictureView>(
        [](QtWindowImp& w, PictureView* s) { w.StartPicture(s); });
    ExpectScene<RasterScene, CoreRaster>([](QtWindowImp& w, CoreRaster* s) { w.StartRaster(s); },
                                         0);
    ExpectScene<RasterScene, CoreRaster>([](QtWindowImp& w, CoreRaster* s) { w.StartRasterRX(s); },
                                         1);
    ExpectScene<RasterScene, CoreRaster>([](QtWindowImp& w, CoreRaster* s) { w.StartRasterRY(s); },
                                         2);
    ExpectScene<SingleDebugScene, SingleRawDataX>(
        [](QtWindowImp& w, SingleRawDataX* s) { w.StartSingleDebug(s); }, 4, 0);
    ExpectScene<SingleDebugThresholdScene, SingleRawDataX>(
        [](QtWindowImp& w, SingleRawDataX* s) { w.StartSingleDebugThreshold(s); }, 4, 4);
    ExpectScene<SingleDebugZeroScene, SingleRawDataX>(
        [](QtWindowImp& w, SingleRawDataX* s) { w.StartSingleDebugZero(s); }, 4, 2);
    ExpectScene<MultiFingerScene, TuneMultiFinger>(
        [](QtWindowImp& w, TuneMultiFinger* s) { w.StartMultiFinger(s); });
    ExpectScene<QualificationScene, TuneQualification>(
        [](QtWindowImp& w, TuneQualification* s) { w.StartQualification(s); });
    ExpectScene<OpenShortScene, OpenShortState>(
        [](QtWindowImp& w, OpenShortState* s) { w.StartOpenShort(s); });

    // The lift family passes its mode.
    auto lift = boost::make_shared<TuneMultiFingerLift>(&imp, 0);
    std::vector<int> modes;
    for (const auto& start : std::vector<std::function<void()>>{
             [&] { imp.StartMultiFingerLift(lift.get()); },
             [&] { imp.StartMultiFingerLiftRX(lift.get()); },
             [&] { imp.StartMultiFingerLiftRY(lift.get()); },
             [&] { imp.StartMultiFingerLiftActive(lift.get(), 4); }}) {
        start();
        modes.push_back(dynamic_cast<MultiFingerLiftScene&>(*view.GetScene()).GetMode());
    }
    EXPECT_EQ(modes, (std::vector<int>{0, 1, 2, 4}));
}

TEST_F(SceneOperationsTest, OpenShortAnnouncesItsGridAndNothingHappensWithoutAView) {
    QSignalSpy spy(&imp, &QtWindowImp::SignalStartOpenShort);
    auto state = boost::make_shared<OpenShortState>(&imp);
    imp.StartOpenShort(state.get());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), state->GetXSquares());
    EXPECT_EQ(spy.at(0).at(1).toInt(), state->GetYSquares());

    WidgetHolder empty;
    QtWindowImp headless(&empty);
    QSignalSpy headlessSpy(&headless, &QtWindowImp::SignalStartOpenShort);
    auto other = boost::make_shared<CoreDebug>(&headless);
    headless.StartDebug(other.get());
    headless.StartOpenShort(state.get());
    headless.UpdateScene();
    EXPECT_EQ(headlessSpy.count(), 0);
}
