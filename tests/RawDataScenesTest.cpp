#include <gtest/gtest.h>

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <boost/make_shared.hpp>

#include "BendingDebugScene.h"
#include "BendingRawData.h"
#include "ChannelBars.h"
#include "CoreDebug.h"
#include "CoreRasterX.h"
#include "DebugScene.h"
#include "LogCapture.h"
#include "RasterXScene.h"
#include "ReferenceDataScene.h"
#include "ReferenceDataState.h"
#include "SceneWindowImp.h"
#include "SingleDebugZeroScene.h"
#include "SingleRawDataX.h"
#include "TempProgramDir.h"
#include "TestGlobals.h"

using namespace morvex_gui;
using namespace morvex_gui_qtlib;

namespace {

const QColor kPass(0, 255, 0, 160);
const QColor kFail(255, 0, 0, 120);

std::string Line(char axis, const std::vector<int>& values) {
    std::string line(1, axis);
    for (size_t i = 0; i < values.size(); ++i) {
        line += (i ? "," : "") + std::to_string(values[i]);
    }
    return line;
}

QColor PenColour(const QGraphicsLineItem* item) {
    return item->pen().color();
}

class RawDataScenesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }
    static void ResetGlobals() {
        g_jitterTest = 0;
        g_jitterXThreshold = 0;
        g_jitterYThreshold = 0;
        g_disconnectionTest = 0;
        g_disconnectTestPeriod = 0;
    }

    // Every X channel limited to [xLower, xUpper], every Y channel likewise.
    void WriteThresholds(int x, int y, int upper, int lower) {
        imp.Set("x_electrodes", std::to_string(x));
        imp.Set("y_electrodes", std::to_string(y));
        auto row = [](int count, int value) {
            std::string text;
            for (int i = 0; i < count; ++i) {
                text += std::to_string(value) + ",";
            }
            return text;
        };
        const std::string table = row(x, upper) + "\r\n" + row(x, lower) + "\r\n" + row(y, upper) +
                                  "\r\n" + row(y, lower);
        dir.Write(QString("X%1Y%2.txt").arg(x).arg(y), QByteArray::fromStdString(table));
    }

    void Feed(State& state, const std::vector<int>& x, const std::vector<int>& y, int times = 1) {
        for (int i = 0; i < times; ++i) {
            state.Parse(Line('X', x).c_str());
            state.Parse(Line('Y', y).c_str());
        }
    }

    TempProgramDir dir;
    ViewFixture fixture{800, 600};
    SceneWindowImp imp{fixture};
};

}  // namespace

// ---- debug -------------------------------------------------------------------

TEST_F(RawDataScenesTest, DebugValueOutsideItsLimitsFailsOnceAndRewritesTheRecord) {
    WriteThresholds(4, 3, 50, -20);
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {10, 10, 10, 10}, {10, 10, 10}, 4);
    ASSERT_NE(imp.Current<DebugScene>(), nullptr);
    EXPECT_EQ(imp._results["debug"], "Debug: ,Pass\r\nX,10,10,10,10\r\nY,10,10,10\r\n");

    Feed(*state, {999, 10, 10, 10}, {10, 10, -99}, 10);
    EXPECT_EQ(fixture.Verdicts().count(), 0) << "the first ten redraws only settle";

    Feed(*state, {50, -20, 10, 10}, {50, -20, 0});
    EXPECT_EQ(fixture.Verdicts().count(), 0) << "a value on its limit passes";

    Feed(*state, {50, -20, 51, 10}, {50, -21, 0});
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["debug"], "Debug: ,Fail\r\nX,50,-20,51,10\r\nY,50,-21,0\r\n");
    const ChannelBars& bars = imp.Current<DebugScene>()->Bars();
    EXPECT_EQ(PenColour(bars.Bar(ChannelBars::kXAxis, 2)), kFail);
    EXPECT_EQ(PenColour(bars.Bar(ChannelBars::kXAxis, 1)), kPass);
    EXPECT_EQ(PenColour(bars.Bar(ChannelBars::kYAxis, 1)), kFail);

    Feed(*state, {99, 99, 99, 99}, {10, 10, 10});
    Feed(*state, {10, 10, 10, 10}, {10, 10, 10});
    EXPECT_EQ(fixture.Verdicts().count(), 1);
    EXPECT_EQ(imp.Count("SetResult"), 2);
    EXPECT_EQ(PenColour(bars.Bar(ChannelBars::kXAxis, 2)), kPass);
}

TEST_F(RawDataScenesTest, ChannelsWithoutLimitsFailAndTheLogSaysWhy) {
    LogCapture log;
    WriteThresholds(2, 1, 50, -50);
    imp.Set("x_electrodes", "0");  // the table then has no limits at all
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {0, 0}, {0}, 4);
    const ChannelBars& bars = imp.Current<DebugScene>()->Bars();
    EXPECT_FALSE(bars.LimitLine(ChannelBars::kXAxis, 0)->isVisible());
    Feed(*state, {0, 0}, {0}, 11);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_TRUE(log.Contains("no limits for X channel 0"));
    EXPECT_EQ(log.Size(), 1u) << "logged once, not per frame";
}

TEST_F(RawDataScenesTest, JitterJudgesTheSpreadOfTheLastTenSamples) {
    g_jitterTest = 1;
    g_jitterXThreshold = 5.0;
    g_jitterYThreshold = 5.0;
    WriteThresholds(2, 1, 0, 0);  // limits play no part in the jitter test
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {0, 3}, {1}, 4);
    EXPECT_EQ(imp._results["jitter"], "Jitter: ,Pass\r\n\r\n\r\n");
    for (int frame = 0; frame < 10 + 10 + 5; ++frame) {
        Feed(*state, {frame % 2 == 0 ? 0 : 10, 3}, {1});
    }
    EXPECT_EQ(fixture.Verdicts().count(), 0) << "a jitter of 5.0 is not above 5.0";
    EXPECT_EQ(state->XRecord(), "X,5,0");
    EXPECT_EQ(state->YRecord(), "Y,0");

    g_jitterXThreshold = 4.9;
    Feed(*state, {0, 3}, {1});
    Feed(*state, {10, 3}, {1});
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["jitter"], "Jitter: ,Fail\r\nX,5,0\r\nY,0\r\n");
    EXPECT_EQ(imp._results.count("debug"), 0u);
}

// ---- raster X and Y ----------------------------------------------------------

TEST_F(RawDataScenesTest, RasterXReportsOnlyItsOwnAxisOnce) {
    WriteThresholds(3, 2, 50, -50);
    auto state = boost::make_shared<CoreRasterX>(&imp);
    Feed(*state, {0, 0, 0}, {0, 0}, 4);
    auto scene = imp.Current<RasterXScene>();
    ASSERT_NE(scene, nullptr);

    Feed(*state, {0, 0, 0}, {0, 51});
    EXPECT_EQ(PenColour(scene->Bars().Bar(ChannelBars::kYAxis, 1)), kFail);
    EXPECT_EQ(fixture.Verdicts().count(), 0);

    Feed(*state, {0, -51, 0}, {0, 0});
    Feed(*state, {99, 0, 0}, {0, 0});
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["debug"], "Debug: ,Fail\r\nX,0,-51,0\r\nY,0,0\r\n");

    Feed(*state, {0, 0, 0}, {0, 0});
    EXPECT_EQ(PenColour(scene->Bars().Bar(ChannelBars::kXAxis, 0)), kPass);
    EXPECT_EQ(fixture.Verdicts().count(), 1);
}

// ---- bending -----------------------------------------------------------------

class BendingSceneTest : public RawDataScenesTest {
protected:
    boost::shared_ptr<BendingRawData> StartBending() {
        imp.Set("x_electrodes", "3");
        imp.Set("y_electrodes", "2");
        auto state = boost::make_shared<BendingRawData>(&imp);
        FeedFrame(*state);
        return state;
    }
    void FeedFrame(State& state) {
        state.Parse("X20,40,-20");
        state.Parse("Y10,0");
        state.Parse("U-40,6,8");
        state.Parse("V2,4");
    }
};

TEST_F(BendingSceneTest, FramesOfAnotherLengthAreClipped) {
    auto state = StartBending();
    auto scene = imp.Current<BendingDebugScene>();
    const QLineF u0 = scene->ULines()[0]->line();
    const QLineF x2 = scene->XLines()[2]->line();

    state->Parse("X1,2,3,4,5,6,7");  // more X values than lines, no U, Y or V values
    scene->Update();
    EXPECT_EQ(scene->ULines()[0]->line(), u0);
    state->Parse("X8");  // fewer X values than lines
    scene->Update();
    EXPECT_DOUBLE_EQ(scene->XLines()[0]->line().y1(), 296);
    EXPECT_NE(scene->XLines()[2]->line(), x2) << "moved by the longer frame";

    fixture.Resize(20, 300);  // too narrow for bars: only the two axes
    auto narrow = StartBending();
    FeedFrame(*narrow);
    EXPECT_TRUE(imp.Current<BendingDebugScene>()->XLines().empty());
}

// ---- single-channel data -------------------------------------------------------

class SingleRawDataScenesTest : public RawDataScenesTest {
protected:
    SingleRawDataScenesTest() { fixture.Resize(820, 600); }  // four values: cells of 200

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
};

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
