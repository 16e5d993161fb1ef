#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QImage>
#include <boost/make_shared.hpp>

#include "ButtonNormalScene.h"
#include "ButtonState.h"
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
#include "SceneWindowImp.h"
#include "ScreenGrab.h"
#include "ViewFixture.h"

using namespace morvex_gui;
using namespace morvex_gui_qtlib;

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

std::vector<QLineF> VisibleLines(const std::vector<QGraphicsLineItem*>& items) {
    std::vector<QLineF> lines;
    for (const QGraphicsLineItem* item : items) {
        if (item->isVisible()) {
            lines.push_back(item->line());
        }
    }
    return lines;
}

// The view as its window shows it once the view's refresh has painted the
// last changes, and as a fresh paint of the whole view makes it.
struct Screen {
    QImage shown;
    QImage fresh;
};

Screen Grab(morvex_gui_qtlib::DisplayView& view) {
    LetRefreshHappen(view);
    return {ShownOnScreen(view), FreshPaint(view)};
}

// Fills finger 0's ring with a zigzag over the left half of the panel, then
// with one over the right half, letting the view paint now and then. The left
// half must then be blank on screen and in a fresh paint, the right half drawn;
// after a clear, all of the view must be blank.
template <typename StateT, typename SceneT>
void ExpectWrappedAndClearedTrailsLeaveNothingBehind() {
    ModeView<StateT, SceneT> view;
    auto& scene = view.Scene();
    auto& display = view.fixture.View();
    const QImage blank = Grab(display).fresh;
    const int length = static_cast<int>(scene.Trail(0).size());
    for (int i = 0; i < 2 * length; ++i) {
        const int half = i < length ? 0 : 400;
        MoveFinger(*view.state, half + (i * 37) % 390, (i * 11) % 600, half + ((i + 1) * 37) % 390,
                   ((i + 1) * 11) % 600);
        scene.Update();
        if (i % 97 == 0) {
            QCoreApplication::processEvents();
        }
    }
    const QRect left(15, 15, 390, 590);
    const QRect right(415, 15, 390, 590);
    Screen screen = Grab(display);
    EXPECT_EQ(DifferingPixels(screen.shown, blank, left), 0)
        << "the wrapped ring left old segments";
    EXPECT_EQ(DifferingPixels(screen.fresh, blank, left), 0);
    EXPECT_GT(DifferingPixels(screen.shown, blank, right), 0);
    EXPECT_EQ(DifferingPixels(screen.shown, screen.fresh, display.rect()), 0);

    scene.Clear();
    screen = Grab(display);
    EXPECT_EQ(DifferingPixels(screen.shown, blank, display.rect()), 0) << "the clear left segments";
    EXPECT_EQ(DifferingPixels(screen.fresh, blank, display.rect()), 0);
}

}  // namespace

// ---- geometry ----

// ---- trails ----

TEST(TouchScenesTest, TrailsJoinEachFingersPreviousAndNewPoint) {
    ModeView<CoreNormal, NormalScene> view({{"x_reverse", "True"}});
    auto& state = view.state;
    auto& scene = view.Scene();
    EXPECT_EQ(view.fixture.CountItems(QGraphicsLineItem::Type), 4 + 5 * NormalScene::kTrailLength);
    view.Touch(*state, 0, 100);  // a finger that just came down draws nothing yet
    EXPECT_TRUE(VisibleLines(scene.Trail(0)).empty());
    view.Feed(*state, "( 2,0,800,100,1,5,5");
    EXPECT_EQ(VisibleLines(scene.Trail(0)), std::vector<QLineF>{QLineF(10, 110, 810, 110)})
        << "mirrored: panel x 800 at the left edge, x 0 at the right";
    EXPECT_TRUE(VisibleLines(scene.Trail(1)).empty());

    view.fixture.Resize(1000, 620);  // a resize erases the trails and refits the frame
    EXPECT_TRUE(VisibleLines(scene.Trail(0)).empty());
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

TEST(TouchScenesTest, WrappedAndClearedTrailsLeaveNothingBehindOnScreen) {
    ExpectWrappedAndClearedTrailsLeaveNothingBehind<CoreNormal, NormalScene>();
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

// ---- trails with flags ----

TEST(TouchScenesTest, FlagTrailsDotNewPointsOnlyAndWrapAtTheirRingSize) {
    ModeView<CoreNormalFlag, NormalFlagScene> view;
    auto& state = view.state;
    auto& scene = view.Scene();
    view.Touch(*state, 100, 100);
    view.Feed(*state, "( 1,0,110,100F01");  // trail on the first redraw, legend on the second
    EXPECT_EQ(VisibleLines(scene.Trail(0)), std::vector<QLineF>{QLineF(120, 110, 110, 110)});
    EXPECT_EQ(scene.Dots(0)[0]->rect(), QRectF(117, 107, 6, 6));
    view.Feed(*state, "( 0F14");  // noise and buffer
    std::vector<QColor> fills;
    for (const QGraphicsRectItem* box : scene.Legend()) {
        fills.push_back(box->brush().color());
    }
    const QColor red(255, 0, 0, 100);
    const QColor green(0, 255, 0, 50);
    EXPECT_EQ(fills, (std::vector<QColor>{red, green, red, green, green}));
    view.Touch(*state, 110, 100);

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

TEST(TouchScenesTest, WrappedAndClearedFlagTrailsAndDotsLeaveNothingBehindOnScreen) {
    ExpectWrappedAndClearedTrailsLeaveNothingBehind<CoreNormalFlag, NormalFlagScene>();
}

// ---- linearity ----

namespace {

struct LinearityView : ModeView<CoreLinearity, NormalLinearityScene> {
    LinearityView() : ModeView({{"line_width", "40"}}) {}
};

}  // namespace

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

// ---- border and precision ----

TEST(TouchScenesTest, BorderAndPrecisionPassOnceEveryTargetWasTouchedThenOneMoreTouch) {
    // One finger at the panel point under the centre of `area`.
    const auto touchCentre = [](auto& view, const QRectF& area) {
        const TouchGeometry& geometry = view.Scene().Geometry();
        view.Touch(*view.state,
                   static_cast<int>((area.center().x() - geometry.Left()) / geometry.Scale()),
                   static_cast<int>((area.center().y() - geometry.Top()) / geometry.Scale()));
    };
    ModeView<CoreBorder, NormalBorderScene> border({{"border_width", "40"}});
    ASSERT_EQ(border.Scene().Cells().size(), 66u);  // 2 x 19 across, 2 x 14 down
    for (const QGraphicsRectItem* cell : border.Scene().Cells()) {
        touchCentre(border, cell->rect());
    }
    EXPECT_TRUE(border.fixture.VerdictList().empty()) << "the pass needs one more touch";
    border.Touch(*border.state, 400, 300);
    EXPECT_EQ(border.fixture.VerdictList(), std::vector<bool>{true});

    ModeView<CorePrecise, NormalPreciseScene> precise({{"circle_radius", "20"}});
    ASSERT_EQ(precise.Scene().Targets().size(), 12u);
    for (const QGraphicsEllipseItem* target : precise.Scene().Targets()) {
        touchCentre(precise, target->rect());
    }
    EXPECT_EQ(precise.Scene().HitCount(), 12);
    precise.Touch(*precise.state, 400, 150);
    EXPECT_EQ(precise.fixture.VerdictList(), std::vector<bool>{true});
}

// ---- buttons ----

TEST(TouchScenesTest, ButtonsPassOnceAfterEveryConfiguredButtonWasPressed) {
    const QColor idle(124, 252, 0);
    const QColor pressed(255, 0, 0);
    TouchView view;
    view.Set("button_number", "3");
    auto state = boost::make_shared<ButtonState>(&view.imp);
    state->Parse("HThe button: 0,0,0,0,0,0,0,0");
    auto scene = view.fixture.Show<ButtonNormalScene>(state.get());
    // Each report's redraw reaches the scene.
    const auto report = [&](const char* states) {
        state->Parse((std::string("HThe button: ") + states).c_str());
    };
    const auto colours = [&] {
        std::vector<QColor> fills;
        for (const QGraphicsRectItem* bar : scene->Bars()) {
            fills.push_back(bar->brush().color());
        }
        return fills;
    };
    report("1,1,1,1,1,0,0,0");  // slots 0 to 4 belong to no configured button
    report("0,0,0,0,0,0,1,0");
    report("0,0,0,0,0,0,0,0");
    report("0,0,0,0,0,0,1,0");  // the same button again counts once
    EXPECT_EQ(scene->PressedCount(), 1);
    EXPECT_EQ(colours(), (std::vector<QColor>{idle, pressed, idle}));
    report("0,0,0,0,0,1,0,1");
    EXPECT_TRUE(view.fixture.VerdictList().empty()) << "the pass comes with the next report";
    report("0,0,0,0,0,0,0,0");
    report("0,0,0,0,0,1,1,1");
    report("0,0,0,0,0,0,0,0");
    EXPECT_EQ(view.fixture.VerdictList(), std::vector<bool>{true});
}
