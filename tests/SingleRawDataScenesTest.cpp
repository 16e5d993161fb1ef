#include <gtest/gtest.h>

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <boost/make_shared.hpp>

#include "ButtonRawDataState.h"
#include "ButtonReferenceDataScene.h"
#include "ButtonReferenceDataState.h"
#include "ReferenceDataScene.h"
#include "ReferenceDataState.h"
#include "SceneWindowImp.h"
#include "SingleDebugScene.h"
#include "SingleDebugThresholdScene.h"
#include "SingleDebugZeroScene.h"
#include "SingleRawDataX.h"
#include "TempProgramDir.h"

using namespace morvex_gui;
using namespace morvex_gui_qtlib;

namespace {

const QColor kPass(0, 255, 0, 160);
const QColor kFail(255, 0, 0, 120);

QColor PenColour(const QGraphicsLineItem* item) {
    return item->pen().color();
}

class SingleRawDataScenesTest : public ::testing::Test {
protected:
    // An X single raw-data state of `count` values in `mode`, started on a
    // line of zeros.
    boost::shared_ptr<SingleRawDataX> StartX(int count, int mode) {
        auto state = boost::make_shared<SingleRawDataX>(&imp, count, mode);
        std::string zeros = "X0";
        for (int i = 1; i < count; ++i) {
            zeros += ",0";
        }
        state->Parse(zeros.c_str());
        return state;
    }

    TempProgramDir dir;
    ViewFixture fixture{820, 600};  // four values: cells of 200
    SceneWindowImp imp{fixture};
};

}  // namespace

// ---- reference data ----------------------------------------------------------

TEST_F(SingleRawDataScenesTest, ReferenceDataGivesTheVerdictOfItsFirstLineOnce) {
    imp.Set("singleraw_threshold", "100");
    auto state = boost::make_shared<ReferenceDataState>(&imp, 4, 0);
    state->Parse("HR1,2,3,4");
    auto scene = imp.Current<ReferenceDataScene>();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(fixture.Verdicts().count(), 0);

    state->Parse("HR100,120,100,150");
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{true});
    EXPECT_EQ(imp._results["Single Raw"], "Single Raw: ,Pass\r\n100,120,100,150\r\n");

    state->Parse("HR99,100,100,100");
    EXPECT_EQ(PenColour(scene->Bars().Bar(0)), kFail);
    EXPECT_EQ(PenColour(scene->Bars().Bar(1)), kPass);
    EXPECT_EQ(fixture.Verdicts().count(), 1);
    EXPECT_EQ(imp.Count("SetResult"), 1);
}

TEST_F(SingleRawDataScenesTest, AValueBelowTheThresholdFailsEvenWithoutRoomToDrawIt) {
    fixture.Resize(30, 600);
    imp.Set("singleraw_threshold", "100");
    auto state = boost::make_shared<ReferenceDataState>(&imp, 4, 0);
    state->Parse("HR1,2,3,4");
    EXPECT_EQ(imp.Current<ReferenceDataScene>()->Bars().Size(), 0u);
    state->Parse("HR100,100,100,99");
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["Single Raw"], "Single Raw: ,Fail\r\n100,100,100,99\r\n");
}

TEST_F(SingleRawDataScenesTest, MarksLabelsAndTheThresholdLineAtHalfScale) {
    imp.Set("singleraw_threshold", "5");
    auto state = boost::make_shared<ReferenceDataState>(&imp, 4, 0);
    state->Parse("HR10,20,30,41");
    auto scene = imp.Current<ReferenceDataScene>();
    EXPECT_EQ(scene->ThresholdLine()->line(), QLineF(0, 298, 820, 298)) << "5 halved as integer";
    EXPECT_EQ(scene->Bars().Bar(3)->line(), QLineF(616, 280, 806, 280));
    EXPECT_EQ(scene->Bars().Label(3)->text(), "3");
    EXPECT_EQ(scene->Bars().Label(3)->pos(), QPointF(617, 260));

    state->Parse("HR10,20,30,-41");
    EXPECT_EQ(scene->Bars().Bar(3)->line(), QLineF(616, 320.5, 806, 320.5)) << "exact half";
    EXPECT_EQ(scene->Bars().Label(3)->text(), "-41") << "labels show values once redrawn";
    EXPECT_EQ(scene->Bars().Label(3)->pos(), QPointF(617, 300.5));

    fixture.Resize(820, 400);
    EXPECT_EQ(scene->ThresholdLine()->line(), QLineF(0, 198, 820, 198)) << "moved at once";
    imp.SetExtraDisplay(false);
    state->Parse("HR10,20,30,40");
    EXPECT_FALSE(scene->Bars().Label(0)->isVisible());
}

TEST_F(SingleRawDataScenesTest, ButtonReferenceDataUsesTheButtonThresholdAndRecord) {
    imp.Set("singleraw_threshold", "1000");
    imp.Set("b_singleraw_threshold", "-10");
    auto state = boost::make_shared<ButtonReferenceDataState>(&imp, 2, 0);
    state->Parse("The button reference rawdata: 0,0");
    auto scene = imp.Current<ButtonReferenceDataScene>();
    ASSERT_NE(scene, nullptr);
    EXPECT_DOUBLE_EQ(scene->ThresholdLine()->line().y1(), 305) << "a negative threshold lies below";
    state->Parse("The button reference rawdata: -10,12");
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{true});
    EXPECT_EQ(imp._results, (std::map<std::string, std::string>{
                                {"Button Single Raw", "Button Single Raw: ,Pass\r\n -10,12\r\n"}}));
}

// ---- single-channel debug ------------------------------------------------------

TEST_F(SingleRawDataScenesTest, ButtonRawDataFailsOnceOutsideTheButtonLimits) {
    imp.Set("b_rawdata_max", "100");
    imp.Set("b_rawdata_min", "-50");
    auto state = boost::make_shared<ButtonRawDataState>(&imp, 8, 0);
    state->Parse("The button rawdata: 0,0,0,0,0,0,0,0");
    auto scene = imp.Current<SingleDebugScene>();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(imp._results["Button Rawdata"], "Button Rawdata: ,Pass\r\n 0,0,0,0,0,0,0,0\r\n");

    state->Parse("The button rawdata: 100,-50,0,0,0,0,0,0");
    EXPECT_EQ(fixture.Verdicts().count(), 0);
    state->Parse("The button rawdata: 100,-51,0,0,0,0,0,0");
    state->Parse("The button rawdata: 101,0,0,0,0,0,0,0");
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["Button Rawdata"], "Button Rawdata: ,Fail\r\n 100,-51,0,0,0,0,0,0\r\n");
    EXPECT_EQ(PenColour(scene->Bars().Bar(0)), kFail);
    EXPECT_EQ(PenColour(scene->Bars().Bar(1)), kPass);
}

TEST_F(SingleRawDataScenesTest, ThresholdLinesColourTheMarksOnOneOrBothSides) {
    imp.Set("parameter_value", "40");
    imp.Set("b_rawdata_max", "1000");
    imp.Set("b_rawdata_min", "-1000");
    auto upperOnly = StartX(4, 6);
    auto scene = imp.Current<SingleDebugThresholdScene>();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->UpperLine()->line(), QLineF(0, 280, 820, 280));
    EXPECT_EQ(scene->UpperLabel()->text(), "THR:40");
    EXPECT_EQ(scene->UpperLabel()->pos(), QPointF(0, 265));
    EXPECT_FALSE(scene->LowerLine()->isVisible());
    EXPECT_FALSE(scene->PeakLabel()->isVisible());
    upperOnly->Parse("X41,-41,0,0");
    EXPECT_EQ(PenColour(scene->Bars().Bar(0)), kFail);
    EXPECT_EQ(PenColour(scene->Bars().Bar(1)), kPass);
    EXPECT_EQ(fixture.Verdicts().count(), 0) << "the threshold colouring gives no verdict";

    auto bothSides = StartX(4, 7);
    scene = imp.Current<SingleDebugThresholdScene>();
    EXPECT_TRUE(scene->LowerLine()->isVisible());
    EXPECT_EQ(scene->LowerLabel()->text(), "THR:-40");
    EXPECT_EQ(scene->LowerLine()->line(), QLineF(0, 320, 820, 320));
    bothSides->Parse("X41,-41,0,0");
    EXPECT_EQ(PenColour(scene->Bars().Bar(1)), kFail);
}

TEST_F(SingleRawDataScenesTest, SumModeMarksThePeakChannelAboveTwenty) {
    imp.Set("parameter_value", "40");
    auto state = StartX(4, 4);
    auto scene = imp.Current<SingleDebugThresholdScene>();
    EXPECT_NEAR(scene->UpperLine()->line().y1(), 300 - 20 / 15.0, 1e-9);
    EXPECT_TRUE(scene->PeakLabel()->isVisible()) << "shown in mode 4 until the first frame";

    state->Parse("X3,-9,9,0");  // sum 21 into channel 2
    EXPECT_TRUE(scene->PeakLine()->isVisible());
    EXPECT_EQ(scene->PeakLabel()->text(), "21");
    EXPECT_EQ(scene->PeakLabel()->pos(), QPointF(417, 580));
    EXPECT_EQ(scene->PeakLine()->line(), QLineF(511, 600, 511, 0));
    EXPECT_EQ(PenColour(scene->Bars().Bar(2)), kPass) << "21 / 15 = 1, inside the lines";

    state->Parse("X10,10,0,0");
    EXPECT_FALSE(scene->PeakLine()->isVisible()) << "a peak of 20 is noise";
    EXPECT_FALSE(scene->PeakLabel()->isVisible());
}

TEST_F(SingleRawDataScenesTest, ZeroSceneMarksUpToFiveCrossings) {
    imp.Set("parameter_value", "5");
    auto state = StartX(4, 2);
    auto scene = imp.Current<SingleDebugZeroScene>();
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->MarkerLines().size(), 5u);

    state->Parse("X-3,3,-1,5");
    EXPECT_EQ(scene->Crossings(), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_TRUE(scene->MarkerLines()[1]->isVisible());
    EXPECT_EQ(scene->MarkerLabels()[1]->text(), "3");
    EXPECT_EQ(scene->MarkerLines()[0]->line(), QLineF(216, 0, 216, 600));
    EXPECT_EQ(scene->MarkerLabels()[0]->pos(), QPointF(219, 580));
    EXPECT_FALSE(scene->MarkerLines()[2]->isVisible());

    state->Parse("X-3,2,0,0");
    EXPECT_EQ(scene->Crossings(), (std::vector<int>{0, 0, 0, 0})) << "a jump of 5 is no crossing";
    EXPECT_FALSE(scene->MarkerLines()[0]->isVisible());

    auto many = StartX(12, 2);
    scene = imp.Current<SingleDebugZeroScene>();
    many->Parse("X-10,0,-10,0,-10,0,-10,0,-10,0,-10,0");
    int shown = 0;
    for (auto* line : scene->MarkerLines()) {
        shown += line->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(shown, 5);
    EXPECT_EQ(scene->MarkerLabels()[4]->text(), "9");
}
