#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <boost/make_shared.hpp>

#include "CoreBorder.h"
#include "CoreLinearity.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePenState.h"
#include "CorePrecise.h"
#include "DisplayView.h"
#include "EventPump.h"
#include "NormalBorderScene.h"
#include "NormalFlagScene.h"
#include "NormalLinearityScene.h"
#include "NormalPreciseScene.h"
#include "NormalScene.h"
#include "PictureScene.h"
#include "PictureView.h"
#include "SceneWindowImp.h"
#include "ViewFixture.h"

using namespace morvex_gui;
using namespace morvex_gui_qtlib;

// The pictures live in the application's resource library; a test linking it
// statically has to pull them in itself.
static void LoadPictureResources() {
    Q_INIT_RESOURCE(Resources);
}

namespace {

// A fixture of the usual 820 x 620 view, where the default 800 x 600 panel
// gets scale 1 and offsets 10: scene = panel + 10.
struct TouchView {
    explicit TouchView(int width = 820, int height = 620) : fixture(width, height), imp(fixture) {}

    void Set(const char* key, const char* value) { imp.Set(key, value); }
    // The current scene as the mode's class.
    template <typename SceneT>
    SceneT& Current() {
        SceneT* scene = imp.Current<SceneT>().get();
        if (scene == nullptr) {
            throw std::runtime_error("the mode's scene is not current");
        }
        return *scene;
    }
    void Feed(State& state, const std::string& line) { state.Parse(line.c_str()); }
    // One finger, id 0, at panel (x, y).
    void Touch(State& state, int x, int y) {
        Feed(state, "( 1,0," + std::to_string(x) + "," + std::to_string(y));
    }
    void Lift(State& state) { Feed(state, "( 0"); }
    // A finger put down at one point and moved to the next, so the scene
    // judges the second.
    void Stroke(State& state, int x0, int y0, int x1, int y1) {
        Lift(state);
        Touch(state, x0, y0);
        Touch(state, x1, y1);
    }

    // One finger at the panel point under scene point `point` of `geometry`.
    void TouchAt(State& state, const TouchGeometry& geometry, const QPointF& point) {
        Touch(state, static_cast<int>((point.x() - geometry.Left()) / geometry.Scale()),
              static_cast<int>((point.y() - geometry.Top()) / geometry.Scale()));
    }

    ViewFixture fixture;
    SceneWindowImp imp;
};

using Settings = std::initializer_list<std::pair<const char*, const char*>>;

// A touch view showing the scene of a mode's state, made after `settings`.
template <typename StateT, typename SceneT>
struct ModeView : TouchView {
    explicit ModeView(Settings settings = {}) {
        for (const auto& setting : settings) {
            Set(setting.first, setting.second);
        }
        state = boost::make_shared<StateT>(&imp);
        Lift(*state);
    }
    SceneT& Scene() { return Current<SceneT>(); }
    boost::shared_ptr<StateT> state;
};

// Holds finger 0 down and moves it by hand: from (x0, y0) to (x1, y1).
void MoveFinger(Normal& state, int x0, int y0, int x1, int y1) {
    state._touchings.set(0);
    state._lastTouchings.set(0);
    state._lastPos[0] = {x0, y0};
    state._pos[0] = {x1, y1};
}

// Step `step` of a zigzag across the whole panel.
void ZigzagStep(Normal& state, int step) {
    MoveFinger(state, (step * 37) % 800, (step * 11) % 600, ((step + 1) * 37) % 800,
               ((step + 1) * 11) % 600);
}

std::vector<QLineF> VisibleLines(const std::vector<QGraphicsLineItem*>& items) {
    std::vector<QLineF> lines;
    for (const QGraphicsLineItem* item : items) {
        if (item->isVisible()) {
            lines.push_back(item->line());
        }
    }
    return lines;
}

// Pixels where the window, as painted change by change, differs from a full
// new paint of the view, once the view's refresh has painted the last changes.
int StalePixels(morvex_gui_qtlib::DisplayView& view) {
    QCoreApplication::processEvents();
    PumpFor(2 * morvex_gui_qtlib::DisplayView::kRefreshIntervalMs);
    PumpUntil([&] { return !view.RepaintPending(); });
    const QImage shown =
        view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != fresh.size()) {
        return -1;
    }
    int stale = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            stale += shown.pixel(x, y) != fresh.pixel(x, y);
        }
    }
    return stale;
}

int CountVisible(QGraphicsScene* scene, int type) {
    int n = 0;
    for (const QGraphicsItem* item : scene->items()) {
        n += item->type() == type && item->isVisible();
    }
    return n;
}

// Draws a zigzag, letting the view paint now and then, and expects the window
// to equal a full repaint, before and after the scene clears its trails.
template <typename StateT, typename SceneT>
void ExpectClearedTrailsLeaveNothingOnScreen() {
    ModeView<StateT, SceneT> view;
    auto& scene = view.Scene();
    for (int i = 0; i < 300; ++i) {
        ZigzagStep(*view.state, i);
        scene.Update();
        if (i % 50 == 0) {
            QCoreApplication::processEvents();
        }
    }
    EXPECT_EQ(StalePixels(view.fixture.View()), 0);
    scene.Clear();
    EXPECT_EQ(StalePixels(view.fixture.View()), 0);
}

}  // namespace

// ---- geometry ----

TEST(TouchScenesTest, GeometryFitsCentresAndMirrorsThePanel) {
    TouchGeometry geometry;
    geometry.Fit(QRectF(0, 0, 820, 620), 800, 600);
    EXPECT_DOUBLE_EQ(geometry.Scale(), 1.0);
    EXPECT_EQ(geometry.FrameLines()[0], QLineF(10, 10, 10, 610));
    EXPECT_EQ(geometry.FrameLines()[3], QLineF(810, 610, 810, 10));

    geometry.Fit(QRectF(0, 0, 1000, 620), 800, 600);
    EXPECT_DOUBLE_EQ(geometry.Left(), 100.0);
    EXPECT_EQ(geometry.Map({0, 0}, true, false), QPointF(900, 10));
    EXPECT_EQ(geometry.Map({800, 600}, true, true), QPointF(100, 10));

    geometry.Fit(QRectF(0, 0, 420, 620), 800, 600);  // width decides: half scale
    EXPECT_DOUBLE_EQ(geometry.Scale(), 0.5);
    EXPECT_DOUBLE_EQ(geometry.Top(), 160.0);

    geometry.Fit(QRectF(0, 0, 820, 620), 0, 600);
    EXPECT_FALSE(geometry.IsDrawable());
    geometry.Fit(QRectF(0, 0, 15, 15), 800, 600);
    EXPECT_FALSE(geometry.IsDrawable()) << "a scene smaller than the margin";
}

// ---- trails ----

TEST(TouchScenesTest, TrailsJoinEachFingersPreviousAndNewPoint) {
    ModeView<CoreNormal, NormalScene> view({{"x_reverse", "True"}});
    auto& state = view.state;
    auto& scene = view.Scene();
    EXPECT_EQ(view.fixture.CountItems(QGraphicsLineItem::Type), 4 + 5 * NormalScene::kTrailLength);
    EXPECT_EQ(CountVisible(view.fixture.Graphics(), QGraphicsLineItem::Type), 4);

    view.Touch(*state, 0, 100);  // a finger that just came down draws nothing yet
    EXPECT_TRUE(VisibleLines(scene.Trail(0)).empty());
    view.Feed(*state, "( 2,0,800,100,1,5,5");
    EXPECT_EQ(VisibleLines(scene.Trail(0)), std::vector<QLineF>{QLineF(10, 110, 810, 110)})
        << "mirrored: panel x 800 at the left edge, x 0 at the right";
    EXPECT_TRUE(VisibleLines(scene.Trail(1)).empty());
    EXPECT_EQ(scene.Trail(0)[0]->pen().color(), QColor(0, 255, 0, 100));
    EXPECT_EQ(scene.Trail(1)[0]->pen().color(), QColor(255, 0, 0, 100));

    view.fixture.Resize(1000, 620);  // a resize erases the trails and refits the frame
    EXPECT_EQ(CountVisible(view.fixture.Graphics(), QGraphicsLineItem::Type), 4);
    EXPECT_DOUBLE_EQ(scene.Geometry().Left(), 100.0);
}

TEST(TouchScenesTest, TrailIsARingThatReusesItsOldestSegment) {
    ModeView<CoreNormal, NormalScene> view;
    auto& scene = view.Scene();
    // Drive the scene directly: a steady finger moving one unit per report.
    for (int i = 0; i <= NormalScene::kTrailLength; ++i) {
        MoveFinger(*view.state, i % 700, 0, i % 700 + 1, 0);
        scene.Update();
    }
    EXPECT_EQ(VisibleLines(scene.Trail(0)).size(), size_t(NormalScene::kTrailLength));
    const int last = NormalScene::kTrailLength % 700;
    EXPECT_EQ(scene.Trail(0)[0]->line(), QLineF(last + 11, 10, last + 10, 10));
    EXPECT_EQ(view.fixture.CountItems(QGraphicsLineItem::Type), 4 + 5 * NormalScene::kTrailLength);
}

TEST(TouchScenesTest, GroupsReachEveryPlaceTheirSegmentsWereShown) {
    // The view repaints a trail segment only within its group's reach, also
    // where a reused segment was shown before.
    ModeView<CoreNormal, NormalScene> view;
    auto& scene = view.Scene();
    std::vector<QRectF> shownAt(NormalScene::kTrailLength);
    for (int i = 0; i < NormalScene::kTrailLength + 120; ++i) {
        ZigzagStep(*view.state, i);
        scene.Update();
        const int index = i % NormalScene::kTrailLength;
        shownAt[index] |= scene.Trail(0)[index]->sceneBoundingRect();
    }
    for (int i = 0; i < NormalScene::kTrailLength; ++i) {
        const QGraphicsItem* group = scene.Trail(0)[i]->parentItem();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->sceneBoundingRect().contains(shownAt[i])) << i;
    }
    scene.Clear();
    EXPECT_TRUE(VisibleLines(scene.Trail(0)).empty());
    EXPECT_TRUE(scene.Trail(0)[0]->parentItem()->boundingRect().isNull());
}

TEST(TouchScenesTest, ClearedTrailsLeaveNothingBehindOnScreen) {
    ExpectClearedTrailsLeaveNothingOnScreen<CoreNormal, NormalScene>();
}

TEST(TouchScenesTest, PenContactWipesTheFingerTrails) {
    TouchView view;
    const std::string zeros = ",0,0,0,0,0,0,0,0,0";
    auto state = boost::make_shared<CorePenState>(&view.imp);
    view.Feed(*state, "( 0" + zeros + ",0,0,0,0,0,0");
    auto& scene = view.Current<NormalScene>();
    view.Feed(*state, "( 2,0,10,10,1,20,20" + zeros);
    view.Feed(*state, "( 2,0,30,30,1,40,40" + zeros);
    EXPECT_EQ(VisibleLines(scene.Trail(1)).size(), 1u);
    view.Feed(*state, "( 1,254,50,50,0,0,0" + zeros);
    EXPECT_TRUE(VisibleLines(scene.Trail(0)).empty());
    EXPECT_TRUE(VisibleLines(scene.Trail(1)).empty());
}

TEST(TouchScenesTest, ZeroResolutionDrawsNothing) {
    ModeView<CoreNormal, NormalScene> view({{"x_res", "0"}});
    view.Touch(*view.state, 10, 10);
    view.Touch(*view.state, 20, 20);
    EXPECT_EQ(CountVisible(view.fixture.Graphics(), QGraphicsLineItem::Type), 0);
}

// ---- trails with flags ----

TEST(TouchScenesTest, FlagLegendLightsTheStatusConditions) {
    ModeView<CoreNormalFlag, NormalFlagScene> view;
    auto& state = view.state;
    auto& scene = view.Scene();
    ASSERT_EQ(scene.Legend().size(), 5u);
    EXPECT_EQ(scene.Legend()[0]->rect(), QRectF(15, 575, 60, 30));
    EXPECT_EQ(scene.Legend()[4]->rect(), QRectF(275, 575, 60, 30));

    view.Feed(*state, "( 0F14");  // noise and buffer
    std::vector<QColor> fills;
    for (const QGraphicsRectItem* box : scene.Legend()) {
        fills.push_back(box->brush().color());
    }
    const QColor red(255, 0, 0, 100);
    const QColor green(0, 255, 0, 50);
    EXPECT_EQ(fills, (std::vector<QColor>{red, green, red, green, green}));

    view.Feed(*state, "( 0F00");
    EXPECT_EQ(scene.Legend()[0]->brush().color(), green);
}

TEST(TouchScenesTest, FlagTrailsDotNewPointsOnlyAndWrapAtTheirRingSize) {
    ModeView<CoreNormalFlag, NormalFlagScene> view;
    auto& state = view.state;
    auto& scene = view.Scene();
    view.Touch(*state, 100, 100);
    view.Feed(*state, "( 1,0,110,100F01");  // trail on the first redraw, legend on the second
    EXPECT_EQ(VisibleLines(scene.Trail(0)), std::vector<QLineF>{QLineF(120, 110, 110, 110)});
    EXPECT_EQ(scene.Dots(0)[0]->rect(), QRectF(117, 107, 6, 6));
    EXPECT_EQ(scene.Legend()[4]->brush().color(), QColor(255, 0, 0, 100));

    view.Feed(*state, "( 1,0,110,100,");  // resting finger: zero-length segment, no new dot
    EXPECT_EQ(scene.Trail(0)[1]->line(), QLineF(120, 110, 120, 110));
    EXPECT_TRUE(scene.Dots(0)[1]->isVisible());
    EXPECT_EQ(scene.Dots(0)[1]->rect(), QRectF());

    for (int i = 2; i <= NormalFlagScene::kTrailLength; ++i) {
        view.Touch(*state, 100 + i % 2, 200);
    }
    EXPECT_EQ(scene.Trail(0)[0]->line().p1().y(), 210.0) << "the 1001st segment reuses item 0";
    EXPECT_EQ(VisibleLines(scene.Trail(0)).size(), size_t(NormalFlagScene::kTrailLength));
}

TEST(TouchScenesTest, ClearedFlagTrailsAndDotsLeaveNothingBehindOnScreen) {
    ExpectClearedTrailsLeaveNothingOnScreen<CoreNormalFlag, NormalFlagScene>();
}

// ---- linearity ----

namespace {

struct LinearityView : ModeView<CoreLinearity, NormalLinearityScene> {
    LinearityView() : ModeView({{"line_width", "40"}}) {}
};

}  // namespace

TEST(TouchScenesTest, LinearityBandsRunAlongTheDiagonals) {
    LinearityView view;
    const QPolygon band1({{10, 50}, {10, 10}, {50, 10}, {810, 570}, {810, 610}, {770, 610}});
    EXPECT_EQ(view.Scene().Band(0), band1);
    EXPECT_EQ(view.Scene().Corners()[0], QPolygon({{10, 50}, {10, 10}, {50, 10}}));
    EXPECT_EQ(view.fixture.CountItems(QGraphicsPolygonItem::Type), 2);
}

TEST(TouchScenesTest, LinearityFailsOnceWhenAStrokeLeavesTheBands) {
    LinearityView view;
    view.Stroke(*view.state, 100, 75, 200, 150);  // on the diagonal
    EXPECT_EQ(view.Scene().SegmentCount(0), 1u);
    EXPECT_TRUE(view.fixture.VerdictList().empty());

    view.Touch(*view.state, 400, 0);  // middle of the top edge
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(view.Scene().SegmentCount(0), 1u) << "the failing point draws nothing";

    view.Touch(*view.state, 400, 20);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{false});
    ASSERT_EQ(view.Scene().SegmentCount(0), 2u);

    view.fixture.Resize(1000, 700);  // clears the segments, but allows no second verdict
    EXPECT_EQ(view.Scene().SegmentCount(0), 0u);
    view.Touch(*view.state, 400, 0);
    view.Touch(*view.state, 400, 10);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{false});
}

TEST(TouchScenesTest, LinearityPassesAtTheFourthCorner) {
    LinearityView view;
    view.Stroke(*view.state, 5, 5, 10, 10);     // top-left
    view.Touch(*view.state, 400, 300);          // along band 1
    view.Touch(*view.state, 795, 595);          // bottom-right
    view.Stroke(*view.state, 5, 595, 10, 590);  // bottom-left
    view.Touch(*view.state, 400, 300);          // along band 2
    EXPECT_TRUE(view.fixture.VerdictList().empty());
    const size_t drawn = view.Scene().SegmentCount(0);
    view.Touch(*view.state, 795, 5);  // top-right completes the four
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
    EXPECT_EQ(view.Scene().SegmentCount(0), drawn) << "the passing point draws nothing";

    view.fixture.Resize(900, 700);
    view.Touch(*view.state, 400, 0);
    view.Touch(*view.state, 400, 300);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
}

TEST(TouchScenesTest, LinearitySegmentsAreBounded) {
    LinearityView view;
    view.Stroke(*view.state, 100, 75, 104, 78);
    auto& scene = view.Scene();
    view.state->_lastPos[0] = {100, 75};
    view.state->_pos[0] = {104, 78};
    for (size_t i = 0; i < NormalLinearityScene::kSegmentsPerSlot + 10; ++i) {
        scene.Update();
    }
    EXPECT_EQ(scene.SegmentCount(0), NormalLinearityScene::kSegmentsPerSlot);
}

// ---- border ----

namespace {

struct BorderView : ModeView<CoreBorder, NormalBorderScene> {
    explicit BorderView(const char* width = "40") : ModeView({{"border_width", width}}) {}
    // Touches cell i at its centre.
    void TouchCell(size_t i) {
        TouchAt(*state, Scene().Geometry(), Scene().Cells().at(i)->rect().center());
    }
};

}  // namespace

TEST(TouchScenesTest, BorderPassesOnceEveryCellIsTouched) {
    BorderView view;
    ASSERT_EQ(view.Scene().Cells().size(), 66u);  // 2 x 19 across, 2 x 14 down
    for (size_t i = 0; i < 66; ++i) {
        view.TouchCell(i);
    }
    EXPECT_EQ(view.Scene().HitCount(), 66);
    EXPECT_TRUE(view.fixture.VerdictList().empty()) << "the pass needs one more touch";
    view.Touch(*view.state, 400, 300);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
    view.TouchCell(0);
    view.Touch(*view.state, 401, 300);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
    EXPECT_EQ(view.Scene().Cells()[0]->brush().color(), QColor(Qt::white));
}

TEST(TouchScenesTest, BorderHitsSurviveARebuildOfTheSameCells) {
    BorderView view;
    for (size_t i = 0; i < 30; ++i) {
        view.TouchCell(i);
    }
    view.fixture.Resize(830, 620);  // same scale, shifted: the same 66 cells
    ASSERT_EQ(view.Scene().Cells().size(), 66u);
    EXPECT_EQ(view.Scene().HitCount(), 30);
    EXPECT_EQ(view.Scene().Cells()[29]->brush().color(), QColor(Qt::white));
    EXPECT_NE(view.Scene().Cells()[30]->brush().color(), QColor(Qt::white));
    for (size_t i = 0; i < 66; ++i) {
        view.TouchCell(i);
    }
    view.Touch(*view.state, 400, 300);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
}

TEST(TouchScenesTest, BorderMirrorsTouchesAndWithoutWidthMakesNoCells) {
    {
        BorderView view;
        view.Set("x_reverse", "True");
        auto mirrored = boost::make_shared<CoreBorder>(&view.imp);
        view.Lift(*mirrored);
        view.Touch(*mirrored, 1, 300);  // lands at x 809, in the right column
        int white = 0;
        for (const QGraphicsRectItem* cell : view.Scene().Cells()) {
            if (cell->brush().color() == QColor(Qt::white)) {
                ++white;
                EXPECT_EQ(cell->rect().left(), 770.0);
            }
        }
        EXPECT_EQ(white, 1);
    }
    for (const char* width : {"0", "-5"}) {
        BorderView view(width);
        EXPECT_TRUE(view.Scene().Cells().empty());
        view.Touch(*view.state, 10, 10);
        view.Touch(*view.state, 20, 10);
        EXPECT_TRUE(view.fixture.VerdictList().empty());
    }
}

// ---- precision ----

namespace {

struct PreciseView : ModeView<CorePrecise, NormalPreciseScene> {
    explicit PreciseView(const char* radius = "20") : ModeView({{"circle_radius", radius}}) {}
    // Touches target i at its centre.
    void TouchTarget(size_t i) {
        TouchAt(*state, Scene().Geometry(), Scene().Targets().at(i)->rect().center());
    }
};

}  // namespace

TEST(TouchScenesTest, PrecisionTargetsSpanThePanel) {
    PreciseView view;
    const auto& targets = view.Scene().Targets();
    ASSERT_EQ(targets.size(), 12u);
    EXPECT_DOUBLE_EQ(targets[0]->rect().left(), 10.0);
    EXPECT_NEAR(targets[1]->rect().left(), 263.333, 0.001);
    EXPECT_DOUBLE_EQ(targets[3]->rect().left(), 770.0);
    EXPECT_DOUBLE_EQ(targets[4]->rect().top(), 290.0);
    EXPECT_DOUBLE_EQ(targets[11]->rect().top(), 570.0);
    EXPECT_DOUBLE_EQ(targets[11]->rect().width(), 40.0);
}

TEST(TouchScenesTest, PrecisionPassesOnTwelveHitsThenOneMoreTouch) {
    PreciseView view;
    view.state->_xReverse = true;  // the targets ignore mirroring
    for (size_t i = 0; i < 12; ++i) {
        if (i > 0) {
            view.TouchTarget(i - 1);  // a red target counts nothing
        }
        view.TouchTarget(i);
    }
    EXPECT_EQ(view.Scene().HitCount(), 12);
    EXPECT_TRUE(view.fixture.VerdictList().empty()) << "the pass needs one more touch";
    view.Touch(*view.state, 400, 150);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
    view.TouchTarget(0);
    view.Touch(*view.state, 400, 151);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
}

TEST(TouchScenesTest, PrecisionHitsSurviveARebuildAndCountDistinctTargets) {
    PreciseView view;
    for (size_t i = 0; i < 5; ++i) {
        view.TouchTarget(i);
    }
    view.fixture.Resize(1000, 700);
    ASSERT_EQ(view.Scene().Targets().size(), 12u);
    EXPECT_EQ(view.Scene().HitCount(), 5);
    EXPECT_EQ(view.Scene().Targets()[4]->brush().color(), QColor(Qt::red));
    EXPECT_EQ(view.Scene().Targets()[5]->brush().color(), QColor(Qt::green));
    for (size_t i = 0; i < 12; ++i) {
        view.TouchTarget(i);
    }
    EXPECT_EQ(view.Scene().HitCount(), 12);
    view.Touch(*view.state, 400, 150);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
}

TEST(TouchScenesTest, OverlappingTargetsCountOnceEach) {
    PreciseView view("120");            // circles wider than their spacing overlap
    view.Touch(*view.state, 213, 120);  // between the first two targets of the top row
    EXPECT_EQ(view.Scene().HitCount(), 2);
    for (size_t i = 0; i < 12; ++i) {
        view.TouchTarget(i);
    }
    EXPECT_EQ(view.Scene().HitCount(), 12);
    view.Touch(*view.state, 1, 1);
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
}

// ---- pictures ----

namespace {

// Loads the pictures before the view's scene starts.
struct PictureResources {
    PictureResources() { LoadPictureResources(); }
};

struct PictureViewFixture : PictureResources, ModeView<PictureView, PictureScene> {
    PictureViewFixture() : ModeView({{"x_res", "800"}}) {}
    int Shown() {
        int shown = -1;
        for (size_t i = 0; i < Scene().Pictures().size(); ++i) {
            if (Scene().Pictures()[i]->isVisible()) {
                EXPECT_EQ(shown, -1) << "one picture at a time";
                shown = static_cast<int>(i);
            }
        }
        return shown;
    }
    // 250 units of travel: past the threshold of 200 at this resolution.
    void Swipe(bool forward) {
        Lift(*state);
        Touch(*state, 300, 300);
        Touch(*state, forward ? 550 : 50, 300);
    }
    void Pinch(int from, int to) {
        Lift(*state);
        Feed(*state, "( 2,0,100,300,1," + std::to_string(100 + from) + ",300");
        Feed(*state, "( 2,0,100,300,1," + std::to_string(100 + from) + ",301");
        Feed(*state, "( 2,0,100,300,1," + std::to_string(100 + to) + ",300");
    }
};

}  // namespace

TEST(TouchScenesTest, PicturesStartAtTheFifthCentredAtBaseScale) {
    PictureViewFixture view;
    ASSERT_EQ(view.Scene().Pictures().size(), 5u);
    for (const QGraphicsPixmapItem* picture : view.Scene().Pictures()) {
        ASSERT_FALSE(picture->pixmap().isNull());
        EXPECT_EQ(picture->pixmap().size(), QSize(880, 1280));
    }
    EXPECT_EQ(view.Shown(), 4);
    const QGraphicsPixmapItem* shown = view.Scene().Pictures()[4];
    EXPECT_DOUBLE_EQ(shown->scale(), 0.3);
    EXPECT_EQ(shown->pos(), QPointF(410 - 132, 310 - 192));
}

TEST(TouchScenesTest, SwipesPageWithinTheFivePictures) {
    PictureViewFixture view;
    view.Swipe(true);
    EXPECT_EQ(view.Shown(), 4);
    view.Swipe(false);
    view.Swipe(false);
    EXPECT_EQ(view.Shown(), 2);
    view.Swipe(false);
    view.Swipe(false);
    view.Swipe(false);
    EXPECT_EQ(view.Shown(), 0);
}

TEST(TouchScenesTest, PinchZoomsAboutTheCentreUntilAResize) {
    PictureViewFixture view;
    view.Pinch(100, 200);
    const QGraphicsPixmapItem* shown = view.Scene().Pictures()[4];
    EXPECT_NEAR(shown->scale(), 0.36, 1e-6);
    EXPECT_NEAR(shown->pos().x(), 410 - 158.4, 1e-4);
    EXPECT_NEAR(shown->pos().y(), 310 - 230.4, 1e-4);

    for (int i = 0; i < 8; ++i) {
        view.Pinch(300, 200);
    }
    EXPECT_NEAR(shown->scale(), 0.06, 1e-6) << "shrinking stops at one step";

    view.fixture.Resize(900, 700);
    EXPECT_DOUBLE_EQ(shown->scale(), 0.3);
    EXPECT_EQ(shown->pos(), QPointF(450 - 132, 350 - 192));
}
