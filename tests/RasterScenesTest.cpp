#include <gtest/gtest.h>

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <algorithm>
#include <boost/make_shared.hpp>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "CoreRaster.h"
#include "MultiFingerLiftScene.h"
#include "MultiFingerScene.h"
#include "QualificationScene.h"
#include "RasterScene.h"
#include "SceneWindowImp.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "TuneQualification.h"
#include "ViewFixture.h"

using morvex_gui::CoreRaster;
using morvex_gui::State;
using morvex_gui::TuneMultiFinger;
using morvex_gui::TuneMultiFingerLift;
using morvex_gui::TuneQualification;
using morvex_gui_qtlib::CheckRasterCell;
using morvex_gui_qtlib::MultiFingerLiftScene;
using morvex_gui_qtlib::MultiFingerScene;
using morvex_gui_qtlib::QualificationScene;
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

QPointF Centre(const QGraphicsEllipseItem* item) {
    return item->rect().center();
}

double Radius(const QGraphicsEllipseItem* item) {
    return item->rect().width() / 2;
}

QColor Fill(const QGraphicsEllipseItem* item) {
    return item->brush().color();
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

TEST_F(RasterSceneTest, DrawPointSizesAndColoursEachValue) {
    struct Row {
        int value;
        double radius;
        QColor colour;
    };
    const std::vector<Row> table = {
        {0, 0.5, QColor(0, 0, 0)},          {10, 0.5, QColor(0, 0, 0)},
        {-10, 0.5, QColor(0, 0, 0)},        {11, 0.5, QColor(0, 0, 0)},
        {-11, 0.5, QColor(0, 0, 0)},        {20, 0.8, QColor(8, 1, 0)},
        {100, 7.2, QColor(255, 49, 0)},     {-100, 4.5, QColor(0, 24, 98)},
        {5000, 399.2, QColor(255, 255, 0)}, {-5000, 249.5, QColor(0, 255, 255)},
    };
    Frame frame = Filled(4, 5, 0);
    for (size_t i = 0; i < table.size(); ++i) {
        frame[i / 5][i % 5] = table[i].value;
    }
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, Filled(4, 5, 0));
    auto scene = imp.Current<RasterScene>();
    ASSERT_TRUE(scene);
    EXPECT_EQ(fixture.CountItems(QGraphicsEllipseItem::Type), 20);
    Feed(*state, frame);

    for (size_t i = 0; i < table.size(); ++i) {
        const int r = static_cast<int>(i / 5);
        const int c = static_cast<int>(i % 5);
        const QGraphicsEllipseItem* node = scene->Node(r, c);
        SCOPED_TRACE(table[i].value);
        EXPECT_NEAR(Radius(node), table[i].radius, 1e-9);
        EXPECT_NEAR(Centre(node).x(), NodeAt(r, c, 5, 4).x(), 1e-9);
        EXPECT_NEAR(Centre(node).y(), NodeAt(r, c, 5, 4).y(), 1e-9);
        EXPECT_EQ(Fill(node), table[i].colour);
        EXPECT_EQ(node->brush().style(), Qt::SolidPattern);
        EXPECT_EQ(node->pen().color(), table[i].colour);
    }
}

TEST(RasterLookTest, MatchesTheStepByStepSumsAndStaysQuickForExtremeValues) {
    for (int value = -1500; value <= 1500; ++value) {
        const RasterScene::PointLook expected = ReferenceLook(value);
        const RasterScene::PointLook look = RasterScene::LookOf(value);
        ASSERT_EQ(look.radius, expected.radius) << value;
        ASSERT_EQ(look.colour, expected.colour) << value;
    }
    for (int value : {4095, 4096, 4097, 20000, -4097, -20000}) {
        const RasterScene::PointLook expected = ReferenceLook(value);
        EXPECT_NEAR(RasterScene::LookOf(value).radius, expected.radius, 1e-6) << value;
        EXPECT_EQ(RasterScene::LookOf(value).colour, expected.colour) << value;
    }
    EXPECT_EQ(RasterScene::LookOf(INT_MAX).colour, QColor(255, 255, 0));
    EXPECT_EQ(RasterScene::LookOf(INT_MIN).colour, QColor(0, 255, 255));
    EXPECT_TRUE(std::isfinite(RasterScene::LookOf(INT_MIN).radius));
}

TEST_F(RasterSceneTest, NumberedDottedGridLiesOverTheNodes) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, Filled(4, 5, 50));
    auto scene = imp.Current<RasterScene>();
    ASSERT_TRUE(scene);
    const auto& grid = scene->Grid();
    ASSERT_EQ(grid.HorizontalLines().size(), 4u);
    ASSERT_EQ(grid.VerticalLines().size(), 5u);
    ASSERT_EQ(grid.RowLabels().size(), 3u);
    ASSERT_EQ(grid.ColumnLabels().size(), 4u);
    EXPECT_EQ(grid.HorizontalLines()[1]->line(), QLineF(30, 209.5, 770, 209.5));
    EXPECT_EQ(grid.VerticalLines()[4]->line(), QLineF(769.5, 30, 769.5, 570));
    EXPECT_EQ(grid.HorizontalLines()[0]->pen().style(), Qt::DotLine);
    EXPECT_EQ(grid.HorizontalLines()[0]->pen().color(), QColor(Qt::darkGreen));
    EXPECT_EQ(grid.RowLabels()[0]->text(), "1");
    EXPECT_EQ(grid.RowLabels()[2]->text(), "3");
    EXPECT_EQ(grid.RowLabels()[2]->pos(), QPointF(15, 20 + 3 * 180));
    EXPECT_EQ(grid.ColumnLabels()[3]->text(), "4");
    EXPECT_EQ(grid.ColumnLabels()[3]->pos(), QPointF(20 + 4 * 185, 15));

    // Every circle is below every grid item.
    const QList<QGraphicsItem*> bottomUp = fixture.Graphics()->items(Qt::AscendingOrder);
    int lastCircle = -1;
    int firstGridItem = bottomUp.size();
    for (int i = 0; i < bottomUp.size(); ++i) {
        const int type = bottomUp[i]->type();
        if (type == QGraphicsEllipseItem::Type) {
            lastCircle = i;
        } else if (type == QGraphicsLineItem::Type || type == QGraphicsSimpleTextItem::Type) {
            firstGridItem = std::min(firstGridItem, i);
        }
    }
    EXPECT_LT(lastCircle, firstGridItem);

    // The grid follows a new size at the next redraw.
    fixture.Resize(400, 300);
    EXPECT_EQ(grid.HorizontalLines()[1]->line(), QLineF(30, 209.5, 770, 209.5));
    Feed(*state, Filled(4, 5, 50));
    EXPECT_EQ(grid.HorizontalLines()[1]->line(), QLineF(30, 109.5, 370, 109.5));
}

TEST_F(RasterSceneTest, NoDrawingAreaReLaysTheGridButDrawsNoNode) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, Filled(4, 5, 0));
    auto scene = imp.Current<RasterScene>();
    fixture.Resize(60, 300);
    Feed(*state, Filled(4, 5, 100));
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    EXPECT_EQ(scene->Node(2, 2)->brush().style(), Qt::NoBrush);
    EXPECT_EQ(scene->Grid().VerticalLines()[4]->line().x1(), 29.5);
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
    EXPECT_EQ(scene->Node(3, 4)->brush().style(), Qt::NoBrush);
    EXPECT_EQ(scene->Node(4, 0), nullptr);

    // A scene started on an empty state builds nothing and draws nothing.
    auto empty = boost::make_shared<CoreRaster>(&imp, 0);
    auto bare = fixture.Show<RasterScene>(empty.get());
    bare->Update();
    EXPECT_EQ(bare->Node(0, 0), nullptr);
}

TEST_F(RasterSceneTest, FewerThanTwoColumnsDrawNothing) {
    imp.Set("x_electrodes", "-1");
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, Filled(4, 1, 100));
    ASSERT_EQ(imp.Count("StartRaster"), 1);
    Feed(*state, Filled(4, 1, 100));
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    EXPECT_EQ(fixture.CountItems(QGraphicsEllipseItem::Type), 0);
    EXPECT_EQ(fixture.CountItems(QGraphicsLineItem::Type), 0);
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

    boost::shared_ptr<MultiFingerLiftScene> StartLift(int mode) {
        state = boost::make_shared<TuneMultiFingerLift>(&imp, mode);
        Feed(*state, Filled(4, 10, 0));
        return imp.Current<MultiFingerLiftScene>();
    }

    void Settle(const Frame& frame) {
        for (int i = 0; i < 3; ++i) {
            Feed(*state, frame);
        }
    }

    ViewFixture fixture;
    SceneWindowImp imp;
    boost::shared_ptr<TuneMultiFingerLift> state;
};

}  // namespace

TEST_F(LiftSceneTest, JudgesAfterSettlingAndRepeatsTheFailureAfterEveryFrame) {
    auto scene = StartLift(0);
    ASSERT_TRUE(scene);
    EXPECT_EQ(fixture.CountItems(QGraphicsSimpleTextItem::Type), 3 + 9 + 40);
    Frame bad = Filled(4, 10, 0);
    bad[1][5] = 100;   // centre cell at its upper limit
    bad[2][0] = -150;  // edge cell within the edge limits
    bad[3][9] = 250;   // edge cell beyond them
    Settle(bad);
    EXPECT_TRUE(fixture.VerdictList().empty());
    EXPECT_FALSE(scene->HasFailed());

    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_TRUE(scene->HasFailed());
    EXPECT_EQ(imp._results.at("raster").rfind("Raster: ,Fail\r\n0,0,", 0), 0u);
    // Cells before the failing one are collapsed; the rest of the frame is not visited.
    EXPECT_EQ(scene->Node(1, 4)->rect().size(), QSizeF(0, 0));
    EXPECT_EQ(scene->Node(1, 5)->rect().size(), QSizeF(1, 1));
    EXPECT_EQ(scene->Node(3, 0)->rect().size(), QSizeF(1, 1));

    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList(), (std::vector<bool>{false, false}));
    EXPECT_EQ(imp.Count("SetResult"), 1);
    EXPECT_EQ(Fill(scene->Node(1, 5)), RasterScene::LookOf(100).colour);
    EXPECT_NEAR(Radius(scene->Node(3, 9)), RasterScene::LookOf(250).radius, 1e-9);
    EXPECT_EQ(scene->Node(2, 0)->rect().size(), QSizeF(0, 0));
    EXPECT_EQ(scene->Node(3, 0)->rect().size(), QSizeF(0, 0));
    EXPECT_TRUE(scene->ValueLabel(3, 9)->isVisible());
    EXPECT_EQ(scene->ValueLabel(3, 9)->text(), "250");
    EXPECT_EQ(scene->ValueLabel(3, 9)->pos(), NodeAt(3, 9, 10, 4));
    EXPECT_FALSE(scene->ValueLabel(2, 0)->isVisible());

    // Without the show-values flag the offending cells keep only their circles.
    scene->SetExtraDisplay(false);
    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList().size(), 3u);
    EXPECT_FALSE(scene->ValueLabel(3, 9)->isVisible());
    EXPECT_EQ(Fill(scene->Node(3, 9)), RasterScene::LookOf(250).colour);
}

TEST_F(LiftSceneTest, GoodFramesAreNeverReportedAsPass) {
    auto scene = StartLift(0);
    Frame good = Filled(4, 10, 50);
    good[0][0] = 199;
    for (int i = 0; i < 10; ++i) {
        Feed(*state, good);
    }
    EXPECT_TRUE(fixture.VerdictList().empty());
    EXPECT_EQ(imp.Count("SetResult"), 0);
    EXPECT_EQ(scene->Node(0, 0)->rect().size(), QSizeF(0, 0));
}

TEST_F(LiftSceneTest, LiftYBandRunsOverTheRowsAndWritesTheRasterYRecord) {
    imp.Set("raster_y_max", "100");
    imp.Set("raster_y_min", "-100");
    imp.Set("raster_y_edge_max", "200");
    imp.Set("raster_y_edge_min", "-200");
    imp.Set("raster_y_edge_counter", "1");
    auto scene = StartLift(2);
    ASSERT_EQ(scene->GetMode(), 2);
    Frame frame = Filled(4, 10, 0);
    frame[0][5] = 150;  // row 0 is in the band
    Settle(frame);
    Feed(*state, frame);
    EXPECT_TRUE(fixture.VerdictList().empty());
    frame[1][0] = 150;  // row 1 is a centre row
    Feed(*state, frame);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results.at("raster y").rfind("Raster Y: ,Fail\r\n", 0), 0u);
}

TEST_F(LiftSceneTest, ActiveModeFailsOnlyWhenTheWholeCentreReadsZero) {
    imp.Set("x_electrodes", "10");
    imp.Set("y_electrodes", "6");
    for (const char* key : {"active_l_edge_counter", "active_r_edge_counter",
                            "active_u_edge_counter", "active_d_edge_counter"}) {
        imp.Set(key, "2");
    }
    state = boost::make_shared<TuneMultiFingerLift>(&imp, 3);
    Feed(*state, Filled(8, 12, 5));
    auto scene = imp.Current<MultiFingerLiftScene>();
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->GetMode(), 3);
    Settle(Filled(8, 12, 0));
    Frame almost = Filled(8, 12, 0);
    almost[5][9] = 1;  // one inner cell still sees the panel
    Feed(*state, almost);
    EXPECT_TRUE(fixture.VerdictList().empty());
    Frame centreZero = Filled(8, 12, 7);
    for (int r = 2; r < 6; ++r) {
        for (int c = 2; c < 10; ++c) {
            centreZero[r][c] = 0;
        }
    }
    Feed(*state, centreZero);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results.count("raster"), 1u);
}

TEST_F(LiftSceneTest, NoDrawingAreaCountsNoUpdate) {
    fixture.Resize(50, 50);
    auto scene = StartLift(0);
    const Frame bad = Filled(4, 10, 500);
    for (int i = 0; i < 5; ++i) {
        Feed(*state, bad);
    }
    EXPECT_TRUE(fixture.VerdictList().empty());
    fixture.Resize(800, 600);
    Settle(bad);
    EXPECT_TRUE(fixture.VerdictList().empty());
    Feed(*state, bad);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
}

namespace {

class MultiFingerSceneTest : public ::testing::Test {
protected:
    MultiFingerSceneTest() : imp(fixture) {
        imp.Set("x_electrodes", "4");
        imp.Set("y_electrodes", "3");
        state = boost::make_shared<TuneMultiFinger>(&imp);
        Pair("X0,0,0,0,", "Y0,0,0,");
        scene = imp.Current<MultiFingerScene>();
    }

    void Pair(const char* x, const char* y) {
        state->Parse(x);
        state->Parse(y);
    }

    std::vector<QPointF> MarkCentres() const {
        std::vector<QPointF> centres;
        for (const QGraphicsEllipseItem* mark : scene->ShownMarks()) {
            EXPECT_TRUE(mark->isVisible());
            EXPECT_EQ(mark->rect().size(), QSizeF(10, 10));
            centres.push_back(Centre(mark));
        }
        return centres;
    }

    int VisibleEllipses() const {
        int n = 0;
        for (QGraphicsItem* item : fixture.Graphics()->items()) {
            n += item->type() == QGraphicsEllipseItem::Type && item->isVisible();
        }
        return n;
    }

    ViewFixture fixture;
    SceneWindowImp imp;
    boost::shared_ptr<TuneMultiFinger> state;
    boost::shared_ptr<MultiFingerScene> scene;
};

}  // namespace

TEST_F(MultiFingerSceneTest, MarksEveryCrossingOfTwoSetFlags) {
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->Grid().HorizontalLines().size(), 3u);
    EXPECT_EQ(scene->Grid().VerticalLines().size(), 4u);
    EXPECT_EQ(scene->Grid().ColumnLabels().back()->text(), "3");

    Pair("X0,1,0,1,", "Y1,0,1,");
    EXPECT_EQ(MarkCentres(), (std::vector<QPointF>{NodeAt(0, 1, 4, 3), NodeAt(2, 1, 4, 3),
                                                   NodeAt(0, 3, 4, 3), NodeAt(2, 3, 4, 3)}));
    const QGraphicsEllipseItem* mark = scene->ShownMarks().front();
    EXPECT_EQ(mark->brush().color(), QColor(255, 0, 0, 160));
    EXPECT_EQ(mark->pen().color(), QColor(255, 0, 0, 20));
    EXPECT_EQ(mark->pen().widthF(), 2.0);

    // Values other than 1 do not count; the old discs go.
    Pair("X2,-1,1,0,", "Y0,1,0,");
    EXPECT_EQ(MarkCentres(), (std::vector<QPointF>{NodeAt(1, 2, 4, 3)}));
    EXPECT_EQ(VisibleEllipses(), 1);
    Pair("X0,0,0,0,", "Y0,0,0,");
    EXPECT_TRUE(scene->ShownMarks().empty());
    EXPECT_EQ(VisibleEllipses(), 0);
}

TEST_F(MultiFingerSceneTest, ResizeMovesTheGridAndLeavesTheDiscs) {
    Pair("X1,0,0,0,", "Y1,0,0,");
    fixture.Resize(400, 300);
    EXPECT_EQ(scene->Grid().VerticalLines()[3]->line(), QLineF(369.5, 30, 369.5, 270));
    EXPECT_EQ(MarkCentres(), std::vector<QPointF>{QPointF(30, 30)});
    Pair("X0,0,0,1,", "Y0,0,1,");
    EXPECT_EQ(MarkCentres(), std::vector<QPointF>{QPointF(370, 270)});
}

TEST_F(MultiFingerSceneTest, FlagsBeyondTheGridAreIgnored) {
    // Longer flag lines than the grid was laid out for: only crossings on the grid count.
    state->Parse("X1,1,1,1,1,1,");
    state->Parse("Y1,1,1,1,");
    scene->Update();
    EXPECT_EQ(scene->ShownMarks().size(), 12u);

    // A scene laid out while the state holds no flags has no grid and draws nothing.
    auto empty = boost::make_shared<TuneMultiFinger>(&imp);
    auto bare = fixture.Show<MultiFingerScene>(empty.get());
    EXPECT_TRUE(bare->Grid().VerticalLines().empty());
    empty->Parse("X1,1,1,1,");
    bare->Update();
    bare->OnResize();
    EXPECT_TRUE(bare->ShownMarks().empty());
}

namespace {

class QualificationSceneTest : public RasterSceneTest {};

}  // namespace

TEST_F(QualificationSceneTest, HeatMapWithFingerAndNoiseRingsOnTop) {
    imp.Set("fingX_value", "2");
    imp.Set("fingY_value", "1");
    imp.Set("noiseX_value", "4");
    imp.Set("noiseY_value", "3");
    auto state = boost::make_shared<TuneQualification>(&imp);
    Feed(*state, Filled(4, 5, 0));
    auto scene = imp.Current<QualificationScene>();
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->FingerMarker()->rect(), QRectF(29.5, 29.5, 0, 0));
    EXPECT_EQ(scene->FingerMarker()->pen().color(), QColor(Qt::green));
    EXPECT_EQ(scene->NoiseMarker()->pen().color(), QColor(Qt::red));
    EXPECT_EQ(scene->NoiseMarker()->brush().style(), Qt::NoBrush);

    Frame frame = Filled(4, 5, 0);
    frame[2][3] = 100;
    frame[0][1] = -100;
    Feed(*state, frame);
    EXPECT_EQ(Fill(scene->Node(2, 3)), QColor(255, 49, 0));
    EXPECT_EQ(Fill(scene->Node(0, 1)), QColor(0, 24, 98));
    EXPECT_EQ(scene->FingerMarker()->rect(), QRectF(30 + 2 * 185 - 10, 30 + 180 - 10, 20, 20));
    EXPECT_EQ(scene->NoiseMarker()->rect(), QRectF(30 + 4 * 185 - 8, 30 + 3 * 180 - 8, 16, 16));
    // Everything in the scene's rectangle, from the top of the stack down.
    const QList<QGraphicsItem*> topDown = fixture.Graphics()->items(
        fixture.Graphics()->sceneRect(), Qt::IntersectsItemBoundingRect, Qt::DescendingOrder);
    EXPECT_EQ(topDown[0], scene->NoiseMarker());
    EXPECT_EQ(topDown[1], scene->FingerMarker());

    // New tuning values show with the next frame, outside the grid if need be.
    imp.Set("fingX_value", "10");
    imp.Set("noiseX_value", "0");
    imp.Set("noiseY_value", "0");
    Feed(*state, frame);
    EXPECT_EQ(Centre(scene->FingerMarker()), QPointF(30 + 10 * 185, 210));
    EXPECT_EQ(Centre(scene->NoiseMarker()), QPointF(30, 30));
}
