#include <gtest/gtest.h>

#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <algorithm>
#include <boost/make_shared.hpp>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "CoreRaster.h"
#include "MultiFingerLiftScene.h"
#include "MultiFingerScene.h"
#include "RasterScene.h"
#include "SceneWindowImp.h"
#include "ScreenGrab.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "ViewFixture.h"

using morvex_gui::CoreRaster;
using morvex_gui::State;
using morvex_gui::TuneMultiFinger;
using morvex_gui::TuneMultiFingerLift;
using morvex_gui_qtlib::CheckRasterCell;
using morvex_gui_qtlib::MultiFingerLiftScene;
using morvex_gui_qtlib::MultiFingerScene;
using morvex_gui_qtlib::RasterScene;
using Frame = CoreRaster::Frame;

namespace {

void Feed(State& state, const Frame& frame) {
    for (size_t r = 0; r < frame.size(); ++r) {
        std::string line = r == 0 ? "S" : "R";
        for (int value : frame[r]) {
            line += std::to_string(value) + ",";
        }
        state.Parse(line.c_str());
    }
}

Frame Filled(int rows, int columns, int value) {
    return Frame(rows, std::vector<int>(columns, value));
}

using Dot = morvex_gui_qtlib::RasterDots::Dot;

QColor Fill(const Dot* dot) {
    return dot->filled ? dot->colour : QColor();
}

QImage ShownAfterRefresh(morvex_gui_qtlib::DisplayView& view) {
    LetRefreshHappen(view);
    return ShownOnScreen(view);
}

// The node of row r, column c in an 800 x 600 view for a grid of the given size.
QPointF NodeAt(int r, int c, int columns, int rows) {
    return QPointF(30 + c * 740.0 / (columns - 1), 30 + r * 540.0 / (rows - 1));
}

// The rule for one value, summed step by step as the drawing defines it.
RasterScene::PointLook ReferenceLook(int value) {
    double radius = 0, red = 0, green = 0, blue = 0;
    for (int i = 10; i < value; ++i) {
        radius += 0.08;
        red += 0.06 * i;
        green += 0.01 * i;
    }
    for (int i = 10; i < -value; ++i) {
        radius += 0.05;
        blue += 0.02 * i;
        green += 0.005 * i;
    }
    const auto cap = [](double x) { return static_cast<int>(std::min(x, 255.0)); };
    return {radius <= 0.5 ? 0.5 : radius, QColor(cap(red), cap(green), cap(blue))};
}

// Three electrodes by two: frames of four rows of five numbers.
class RasterSceneTest : public ::testing::Test {
protected:
    RasterSceneTest() : imp(fixture) {
        imp.Set("x_electrodes", "3");
        imp.Set("y_electrodes", "2");
    }
    ViewFixture fixture;
    SceneWindowImp imp;
};

}  // namespace

// Each value's circle on its node, and on screen: circles that grow over their
// neighbours and shrink again leave no pixel behind.
TEST_F(RasterSceneTest, DrawPointSizesAndColoursEachValueAndLeavesNothingStale) {
    const std::vector<int> values = {10, 11, 20, 100, -100, -5000, 3000};
    Frame frame = Filled(4, 5, 0);
    for (size_t i = 0; i < values.size(); ++i) {
        frame[i / 5][i % 5] = values[i];
    }
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, Filled(4, 5, 0));
    auto scene = imp.Current<RasterScene>();
    ASSERT_TRUE(scene);
    Feed(*state, Filled(4, 5, 0));
    const QImage quiet = ShownAfterRefresh(fixture.View());
    Feed(*state, frame);
    for (size_t i = 0; i < values.size(); ++i) {
        const int r = static_cast<int>(i / 5);
        const int c = static_cast<int>(i % 5);
        const Dot* node = scene->Node(r, c);
        SCOPED_TRACE(values[i]);
        EXPECT_EQ(node->rect.width() / 2, RasterScene::LookOf(values[i]).radius);
        EXPECT_LT((node->rect.center() - NodeAt(r, c, 5, 4)).manhattanLength(), 1e-9);
        EXPECT_EQ(Fill(node), RasterScene::LookOf(values[i]).colour);
    }
    const QImage loud = ShownAfterRefresh(fixture.View());
    EXPECT_EQ(DifferingPixels(loud, FreshPaint(fixture.View()), loud.rect()), 0);
    EXPECT_GT(DifferingPixels(loud, quiet, loud.rect()), 100000) << "the circles are shown";
    Feed(*state, Filled(4, 5, 0));
    EXPECT_EQ(DifferingPixels(ShownAfterRefresh(fixture.View()), quiet, quiet.rect()), 0);
}

TEST(RasterLookTest, MatchesTheStepByStepSumsAndStaysQuickForExtremeValues) {
    const std::vector<std::pair<int, RasterScene::PointLook> > table = {
        {10, {0.5, QColor(0, 0, 0)}},     {11, {0.5, QColor(0, 0, 0)}},
        {20, {0.8, QColor(8, 1, 0)}},     {100, {7.2, QColor(255, 49, 0)}},
        {-100, {4.5, QColor(0, 24, 98)}}, {-5000, {249.5, QColor(0, 255, 255)}}};
    for (const auto& [value, look] : table) {
        EXPECT_NEAR(RasterScene::LookOf(value).radius, look.radius, 1e-9) << value;
        EXPECT_EQ(RasterScene::LookOf(value).colour, look.colour) << value;
    }
    std::vector<int> values = {4095, 4096, 4097, 20000, -4097, -20000};
    for (int value = -1500; value <= 1500; ++value) {
        values.push_back(value);
    }
    for (int value : values) {
        const RasterScene::PointLook expected = ReferenceLook(value);
        ASSERT_NEAR(RasterScene::LookOf(value).radius, expected.radius, 1e-6) << value;
        ASSERT_EQ(RasterScene::LookOf(value).colour, expected.colour) << value;
    }
    EXPECT_EQ(RasterScene::LookOf(INT_MAX).colour, QColor(255, 255, 0));
    EXPECT_EQ(RasterScene::LookOf(INT_MIN).colour, QColor(0, 255, 255));
    EXPECT_TRUE(std::isfinite(RasterScene::LookOf(INT_MIN).radius));
}

TEST_F(RasterSceneTest, APartialFrameDrawsOnlyTheRowsItHas) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, Filled(4, 5, 0));
    auto scene = imp.Current<RasterScene>();
    // A new frame has just opened: the state holds one row.
    state->Parse("S100,100,100,100,100,");
    ASSERT_EQ(state->GetBuffers().size(), 1u);
    scene->Update();
    EXPECT_EQ(Fill(scene->Node(0, 4)), QColor(255, 49, 0));
    EXPECT_FALSE(scene->Node(3, 4)->filled);
    EXPECT_EQ(scene->Node(4, 0), nullptr);

    // A scene started on an empty state builds nothing and draws nothing.
    auto empty = boost::make_shared<CoreRaster>(&imp, 0);
    auto bare = fixture.Show<RasterScene>(empty.get());
    bare->Update();
    EXPECT_EQ(bare->Node(0, 0), nullptr);

    // A frame of one column: no step between columns, nothing drawn.
    imp.Set("x_electrodes", "-1");
    auto narrow = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*narrow, Filled(4, 1, 100));
    Feed(*narrow, Filled(4, 1, 100));
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    EXPECT_EQ(imp.Current<RasterScene>()->Node(0, 0), nullptr);
}

TEST(CheckRasterCellTest, EdgeBandAndCentreHaveTheirOwnInclusiveLimits) {
    // centre limits 100 / -100, edge limits 200 / -200, no active margins.
    const auto counts = [](int value, int edge, int column, int row, int mode) {
        return CheckRasterCell(value, 100, -100, 200, -200, edge, 0, 0, 0, 0, column, row, 10, 6,
                               mode);
    };
    for (int mode : {0, 1}) {
        for (int c = 0; c < 10; ++c) {
            const bool centre = c >= 2 && c < 8;
            EXPECT_EQ(counts(150, 2, c, 3, mode), centre) << "column " << c;
            EXPECT_TRUE(counts(200, 2, c, 3, mode));
            EXPECT_FALSE(counts(99, 2, c, 3, mode));
        }
    }
    EXPECT_TRUE(counts(100, 2, 4, 0, 0));
    EXPECT_TRUE(counts(-100, 2, 4, 0, 0));
    EXPECT_FALSE(counts(-99, 2, 4, 0, 0));
    EXPECT_TRUE(counts(-200, 2, 0, 0, 0));
    // Mode 2 takes the band over the rows.
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(counts(150, 2, 0, r, 2), r >= 2 && r < 4) << "row " << r;
    }
    // No band: every cell is a centre cell; a band wider than the panel: none is.
    for (int c = 0; c < 10; ++c) {
        EXPECT_TRUE(counts(150, 0, c, 0, 0));
        EXPECT_FALSE(counts(150, 12, c, 0, 0));
        EXPECT_TRUE(counts(150, -3, c, 0, 0));
    }
}

TEST(CheckRasterCellTest, ActiveModesCountOnlyZerosInsideTheMargins) {
    for (int mode : {3, 4}) {
        int inside = 0;
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 12; ++c) {
                const bool zeroCounts =
                    CheckRasterCell(0, 0, 0, 0, 0, 0, 2, 2, 2, 2, c, r, 12, 8, mode);
                EXPECT_EQ(zeroCounts, r >= 2 && r < 6 && c >= 2 && c < 10);
                EXPECT_FALSE(CheckRasterCell(5, 0, 0, 0, 0, 0, 2, 2, 2, 2, c, r, 12, 8, mode));
                inside += zeroCounts;
            }
        }
        EXPECT_EQ(inside, 32);
    }
    // Margins from the settings at the ends of the int range neither overflow
    // nor wrap: negative ones leave every cell inside, huge ones none.
    EXPECT_TRUE(CheckRasterCell(0, 0, 0, 0, 0, 0, INT_MIN, INT_MIN, 0, 0, 11, 0, 12, 8, 3));
    EXPECT_FALSE(CheckRasterCell(0, 0, 0, 0, 0, 0, INT_MAX, INT_MAX, 0, 0, 11, 0, 12, 8, 3));
    EXPECT_FALSE(CheckRasterCell(0, 0, 0, 0, 0, 0, 0, 0, INT_MAX, INT_MAX, 0, 7, 12, 8, 4));
}

namespace {

// Ten columns by four rows, limits 100/-100 inside, 200/-200 in a band of two.
class LiftSceneTest : public ::testing::Test {
protected:
    LiftSceneTest() : imp(fixture) {
        imp.Set("x_electrodes", "8");
        imp.Set("y_electrodes", "2");
        imp.Set("raster_max", "100");
        imp.Set("raster_min", "-100");
        imp.Set("raster_x_edge_max", "200");
        imp.Set("raster_x_edge_min", "-200");
        imp.Set("raster_x_edge_counter", "2");
    }

    ViewFixture fixture;
    SceneWindowImp imp;
};

}  // namespace

TEST_F(LiftSceneTest, JudgesAfterSettlingAndRepeatsTheFailureAfterEveryFrame) {
    auto state = boost::make_shared<TuneMultiFingerLift>(&imp, 0);
    Feed(*state, Filled(4, 10, 0));
    auto scene = imp.Current<MultiFingerLiftScene>();
    ASSERT_TRUE(scene);
    Frame bad = Filled(4, 10, 0);
    bad[1][5] = 100;   // centre cell at its upper limit
    bad[2][0] = -150;  // edge cell within the edge limits
    bad[3][9] = 250;   // edge cell beyond them
    for (int settling = 0; settling < 3; ++settling) {
        Feed(*state, bad);
    }
    EXPECT_TRUE(fixture.VerdictList().empty());
    EXPECT_FALSE(scene->HasFailed());

    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_TRUE(scene->HasFailed());
    EXPECT_EQ(imp._results.at("raster").rfind("Raster: ,Fail\r\n0,0,", 0), 0u);
    // Cells before the failing one are collapsed; the rest of the frame is not visited.
    EXPECT_EQ(scene->Node(1, 4)->rect.size(), QSizeF(0, 0));
    EXPECT_EQ(scene->Node(1, 5)->rect.size(), QSizeF(1, 1));
    EXPECT_EQ(scene->Node(3, 0)->rect.size(), QSizeF(1, 1));

    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList(), (std::vector<bool>{false, false}));
    EXPECT_EQ(imp.Count("SetResult"), 1);
    EXPECT_EQ(Fill(scene->Node(1, 5)), RasterScene::LookOf(100).colour);
    EXPECT_NEAR(scene->Node(3, 9)->rect.width() / 2, RasterScene::LookOf(250).radius, 1e-9);
    EXPECT_EQ(scene->Node(2, 0)->rect.size(), QSizeF(0, 0));
    EXPECT_EQ(scene->Node(3, 0)->rect.size(), QSizeF(0, 0));
    EXPECT_TRUE(scene->ValueLabel(3, 9)->shown);
    EXPECT_EQ(scene->ValueLabel(3, 9)->number, 250);
    const QImage labelled = ShownAfterRefresh(fixture.View());

    // Without the show-values flag the offending cells keep only their circles.
    scene->SetExtraDisplay(false);
    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList().size(), 3u);
    EXPECT_FALSE(scene->ValueLabel(3, 9)->shown);
    EXPECT_EQ(Fill(scene->Node(3, 9)), RasterScene::LookOf(250).colour);
    const QImage plain = ShownAfterRefresh(fixture.View());
    EXPECT_EQ(DifferingPixels(plain, FreshPaint(fixture.View()), plain.rect()), 0);
    EXPECT_GT(DifferingPixels(plain, labelled, plain.rect()), 0) << "the values are gone";
}

TEST_F(RasterSceneTest, MultiFingerMarksEveryCrossingOfTwoSetFlagsOnTheGrid) {
    imp.Set("x_electrodes", "4");
    imp.Set("y_electrodes", "3");
    auto state = boost::make_shared<TuneMultiFinger>(&imp);
    const auto pair = [&](const char* x, const char* y) {
        state->Parse(x);
        state->Parse(y);
    };
    pair("X0,0,0,0,", "Y0,0,0,");
    auto scene = imp.Current<MultiFingerScene>();
    ASSERT_TRUE(scene);
    const auto centres = [&] {
        std::vector<QPointF> shown;
        for (const QGraphicsEllipseItem* mark : scene->ShownMarks()) {
            shown.push_back(mark->rect().center());
        }
        return shown;
    };
    pair("X0,1,0,1,", "Y1,0,1,");
    EXPECT_EQ(centres(), (std::vector<QPointF>{NodeAt(0, 1, 4, 3), NodeAt(2, 1, 4, 3),
                                               NodeAt(0, 3, 4, 3), NodeAt(2, 3, 4, 3)}));
    pair("X2,-1,1,0,", "Y0,1,0,");  // values other than 1 do not count; old discs go
    EXPECT_EQ(centres(), (std::vector<QPointF>{NodeAt(1, 2, 4, 3)}));
    pair("X1,1,1,1,1,1,", "Y1,1,1,1,");  // longer than the grid: only its crossings count
    scene->Update();
    EXPECT_EQ(scene->ShownMarks().size(), 12u);

    // A scene laid out while the state holds no flags has no grid and draws nothing.
    auto empty = boost::make_shared<TuneMultiFinger>(&imp);
    auto bare = fixture.Show<MultiFingerScene>(empty.get());
    empty->Parse("X1,1,1,1,");
    bare->Update();
    bare->OnResize();
    EXPECT_TRUE(bare->ShownMarks().empty());
}
