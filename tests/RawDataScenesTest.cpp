#include <gtest/gtest.h>

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <boost/make_shared.hpp>
#include <cstdint>

#include "BendingDebugScene.h"
#include "BendingRawData.h"
#include "ChannelBars.h"
#include "CoreDebug.h"
#include "CoreRasterX.h"
#include "CoreRasterY.h"
#include "DebugScene.h"
#include "LogCapture.h"
#include "MeanAbsoluteDeviation.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "SceneWindowImp.h"
#include "TempProgramDir.h"
#include "TestGlobals.h"

using namespace morvex_gui;
using morvex_gui_qtlib::ChannelBars;
using morvex_gui_qtlib::DebugScene;

namespace {

const QColor kPass(0, 255, 0, 160);
const QColor kFail(255, 0, 0, 120);

std::int64_t g_now = 0;
std::int64_t FakeClock() {
    return g_now;
}

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
    void TearDown() override {
        ResetGlobals();
        DebugScene::SetClock(nullptr);
    }
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

TEST(MeanAbsoluteDeviationTest, OverTenSamples) {
    const double alternating[10] = {0, 5, 0, 5, 0, 5, 0, 5, 0, 5};
    EXPECT_DOUBLE_EQ(morvex_gui_qtlib::MeanAbsoluteDeviation(alternating), 2.5);
    const double constant[10] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    EXPECT_DOUBLE_EQ(morvex_gui_qtlib::MeanAbsoluteDeviation(constant), 0.0);
}

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

TEST_F(RawDataScenesTest, DebugBarsAndLimitMarksSitAtHalfScaleEitherSideOfTheCentre) {
    WriteThresholds(2, 2, 40, -30);
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {20, -20}, {10, 0}, 4);
    const ChannelBars& bars = imp.Current<DebugScene>()->Bars();
    // step = (400 - 10) / 2 = 195; centre (400, 300).
    EXPECT_DOUBLE_EQ(bars.Step(), 195.0);
    EXPECT_EQ(bars.Bar(ChannelBars::kXAxis, 0)->line(), QLineF(400, 290, 400 - 195 + 4, 290));
    EXPECT_EQ(bars.Bar(ChannelBars::kYAxis, 1)->line(), QLineF(595, 300, 790 - 4, 300));
    EXPECT_EQ(bars.LimitLine(ChannelBars::kXAxis, 0)->line(), QLineF(400, 280, 209, 280));
    EXPECT_EQ(bars.LimitLine(ChannelBars::kXAxis, 1)->line(), QLineF(400, 315, 209, 315));
    EXPECT_EQ(bars.Label(ChannelBars::kXAxis, 1)->text(), "1");

    Feed(*state, {20, -20}, {10, 0}, 11);
    EXPECT_EQ(bars.Bar(ChannelBars::kXAxis, 0)->line(), QLineF(394, 290, 209, 290))
        << "a redrawn mark keeps 6 from the centre line";
    EXPECT_EQ(bars.Bar(ChannelBars::kYAxis, 1)->line(), QLineF(601, 300, 786, 300));
    EXPECT_EQ(fixture.Verdicts().count(), 0);
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

TEST_F(RawDataScenesTest, ANarrowViewStillJudgesEveryChannel) {
    fixture.Resize(40, 200);  // step (20 - 10) / 4 = 2.5: no room for marks
    WriteThresholds(4, 1, 50, -50);
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {0, 0, 0, 0}, {0}, 4);
    const ChannelBars& bars = imp.Current<DebugScene>()->Bars();
    EXPECT_EQ(bars.BarCount(ChannelBars::kXAxis), 0u);
    Feed(*state, {0, 0, 0, 0}, {0}, 10);
    Feed(*state, {0, 0, 0, 51}, {0});
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
}

TEST_F(RawDataScenesTest, ChannelNumbersFollowTheShowValuesSwitch) {
    WriteThresholds(1, 1, 500, -500);
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {0}, {0}, 14);
    QGraphicsSimpleTextItem* label =
        imp.Current<DebugScene>()->Bars().Label(ChannelBars::kXAxis, 0);
    imp.SetExtraDisplay(false);
    Feed(*state, {100}, {0});
    EXPECT_FALSE(label->isVisible());
    const QPointF hidden = label->pos();
    imp.SetExtraDisplay(true);
    Feed(*state, {200}, {0});
    EXPECT_TRUE(label->isVisible());
    EXPECT_NE(label->pos(), hidden);
    EXPECT_DOUBLE_EQ(label->pos().y(), 300 - 100 - 20);
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

TEST_F(RawDataScenesTest, DisconnectionTestFailsAChannelThatNeverMovesInItsPeriod) {
    g_jitterTest = 1;
    g_jitterXThreshold = g_jitterYThreshold = 1000;
    g_disconnectionTest = 1;
    g_disconnectTestPeriod = 2;
    g_now = 50000;
    DebugScene::SetClock(&FakeClock);
    WriteThresholds(2, 1, 0, 0);
    auto state = boost::make_shared<CoreDebug>(&imp);
    Feed(*state, {1, 1}, {1}, 14);

    Feed(*state, {1, 1}, {1});  // baseline
    g_now += 1000;
    Feed(*state, {2, 1}, {2});
    g_now += 999;
    Feed(*state, {1, 1}, {1});
    EXPECT_EQ(fixture.Verdicts().count(), 0);
    EXPECT_EQ(state->XOnOffRecord(), "X_ON/OFF,");

    g_now += 1;  // two seconds since the baseline
    Feed(*state, {1, 1}, {1});
    EXPECT_EQ(state->XOnOffRecord(), "X_ON/OFF,1,0");
    EXPECT_EQ(state->YOnOffRecord(), "Y_ON/OFF,1");
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["jitter"],
              "Jitter: ,Fail\r\nX,\r\nY,\r\nX_ON/OFF,1,0\r\nY_ON/OFF,1\r\n");

    // The next redraw takes a new baseline; the period starts again.
    g_now += 5000;
    Feed(*state, {1, 1}, {1});
    EXPECT_EQ(state->XOnOffRecord(), "X_ON/OFF,1,0");
}

// ---- raster X and Y ----------------------------------------------------------

TEST_F(RawDataScenesTest, RasterXReportsOnlyItsOwnAxisOnce) {
    WriteThresholds(3, 2, 50, -50);
    auto state = boost::make_shared<CoreRasterX>(&imp);
    Feed(*state, {0, 0, 0}, {0, 0}, 4);
    auto scene = imp.Current<morvex_gui_qtlib::RasterXScene>();
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

TEST_F(RawDataScenesTest, RasterYReportsOnlyItsOwnAxisOnce) {
    WriteThresholds(3, 2, 50, -50);
    auto state = boost::make_shared<CoreRasterY>(&imp);
    Feed(*state, {0, 0, 0}, {0, 0}, 4);
    auto scene = imp.Current<morvex_gui_qtlib::RasterYScene>();
    ASSERT_NE(scene, nullptr);

    Feed(*state, {0, 0, 51}, {0, 50});
    EXPECT_EQ(PenColour(scene->Bars().Bar(ChannelBars::kXAxis, 2)), kFail);
    EXPECT_EQ(fixture.Verdicts().count(), 0);

    Feed(*state, {0, 0, 0}, {-51, 0});
    Feed(*state, {0, 0, 0}, {-51, 0});
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["debug"], "Debug: ,Fail\r\nX,0,0,0\r\nY,-51,0\r\n");
}

TEST_F(RawDataScenesTest, RasterMarksNeedMoreThanFourUnitsPerChannel) {
    fixture.Resize(400, 300);
    WriteThresholds(20, 1, 50, -50);
    auto wide = boost::make_shared<CoreRasterX>(&imp);
    Feed(*wide, std::vector<int>(20, 0), {0}, 4);
    const ChannelBars& bars = imp.Current<morvex_gui_qtlib::RasterXScene>()->Bars();
    EXPECT_DOUBLE_EQ(bars.Step(), 9.5);
    EXPECT_EQ(bars.BarCount(ChannelBars::kXAxis), 20u);

    // A resize alone moves nothing; the next frame lays everything out again.
    const QLineF before = bars.LimitLine(ChannelBars::kXAxis, 0)->line();
    fixture.Resize(600, 300);
    EXPECT_EQ(bars.LimitLine(ChannelBars::kXAxis, 0)->line(), before);
    Feed(*wide, std::vector<int>(20, 0), {0});
    EXPECT_NE(bars.LimitLine(ChannelBars::kXAxis, 0)->line(), before);

    fixture.Resize(100, 300);
    WriteThresholds(10, 1, 50, -50);
    auto narrow = boost::make_shared<CoreRasterX>(&imp);
    Feed(*narrow, std::vector<int>(10, 0), {0}, 4);
    const ChannelBars& none = imp.Current<morvex_gui_qtlib::RasterXScene>()->Bars();
    EXPECT_DOUBLE_EQ(none.Step(), 4.0);
    EXPECT_EQ(none.BarCount(ChannelBars::kXAxis), 0u);
    std::vector<int> failing(10, 0);
    failing[9] = 60;
    Feed(*narrow, failing, {0});
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
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

TEST_F(BendingSceneTest, RawAndBendingValuesAreDrawnSideBySide) {
    auto state = StartBending();
    auto scene = imp.Current<morvex_gui_qtlib::BendingDebugScene>();
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->XLines().size(), 3u);
    ASSERT_EQ(scene->VLines().size(), 2u);
    // step = (400 - 10) / 3 = 130, centre (400, 300).
    EXPECT_EQ(scene->XLines()[0]->line(), QLineF(400, 290, 270, 290));
    EXPECT_EQ(scene->ULines()[0]->line(), QLineF(400, 320, 270, 320)) << "negative: below centre";
    EXPECT_EQ(scene->XLines()[2]->line(), QLineF(140, 310, 10, 310));
    EXPECT_EQ(scene->YLines()[1]->line(), QLineF(530, 300, 660, 300));
    EXPECT_EQ(scene->VLines()[1]->line(), QLineF(530, 298, 660, 298));

    FeedFrame(*state);
    EXPECT_EQ(scene->XLines()[0]->line(), QLineF(398, 290, 270, 290)) << "2 shorter at the centre";
    EXPECT_EQ(scene->YLines()[1]->line(), QLineF(532, 300, 660, 300));
}

TEST_F(BendingSceneTest, FramesOfAnotherLengthAreClipped) {
    auto state = StartBending();
    auto scene = imp.Current<morvex_gui_qtlib::BendingDebugScene>();
    const QLineF u0 = scene->ULines()[0]->line();
    const QLineF x2 = scene->XLines()[2]->line();

    state->Parse("X1,2,3,4,5,6,7");  // more X values than lines, no U, Y or V values
    scene->Update();
    EXPECT_EQ(scene->ULines()[0]->line(), u0);
    state->Parse("X8");  // fewer X values than lines
    scene->Update();
    EXPECT_DOUBLE_EQ(scene->XLines()[0]->line().y1(), 296);
    EXPECT_NE(scene->XLines()[2]->line(), x2) << "moved by the longer frame";
}

TEST_F(BendingSceneTest, ANarrowRectangleShowsOnlyTheAxes) {
    fixture.Resize(20, 300);
    auto state = StartBending();
    auto scene = imp.Current<morvex_gui_qtlib::BendingDebugScene>();
    EXPECT_TRUE(scene->XLines().empty());
    EXPECT_EQ(fixture.CountItems(QGraphicsLineItem::Type), 2);
    FeedFrame(*state);
    EXPECT_EQ(fixture.CountItems(QGraphicsLineItem::Type), 2);
}
