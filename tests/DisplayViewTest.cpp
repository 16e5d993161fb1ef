#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMainWindow>

#include "EventPump.h"
#include "ScreenGrab.h"
#include "ViewFixture.h"

using morvex_gui_qtlib::DisplayView;
using morvex_gui_qtlib::Scene;

namespace {

class CountingScene : public Scene {
public:
    CountingScene(QGraphicsScene* scene, int* resizes, int* destroyed)
        : Scene(scene), _resizes(resizes), _destroyed(destroyed) {}
    ~CountingScene() override { ++*_destroyed; }
    void OnResize() override { ++*_resizes; }

private:
    int* _resizes;
    int* _destroyed;
};

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

int StalePixelsAfterRefresh(DisplayView& view) {
    LetRefreshHappen(view);
    return StalePixels(view);
}

// Moves `mark` once a millisecond for a quarter of a second; the paints the
// view's viewport got meanwhile.
int PaintsDuringAStreamOfChanges(DisplayView& view, QGraphicsItem* mark) {
    PaintCounter counter(view.viewport());
    QElapsedTimer clock;
    clock.start();
    for (int moves = 0; clock.elapsed() < 250; ++moves) {
        mark->setPos(moves % 250, (moves * 3) % 150);
        PumpFor(1);
    }
    return counter.paints;
}

}  // namespace

TEST(DisplayViewTest, OwnsItsSceneAndFollowsResizes) {
    ViewFixture fixture(320, 200);
    EXPECT_EQ(fixture.Graphics()->items().size(), 1) << "only the caption";
    EXPECT_FALSE(fixture.View().GetScene());
    int resizes = 0;
    int destroyed = 0;
    fixture.Show<CountingScene>(&resizes, &destroyed);
    fixture.Resize(640, 480);
    EXPECT_EQ(fixture.Graphics()->sceneRect(), QRectF(0, 0, 640, 480));
    fixture.Resize(0, 480);
    EXPECT_EQ(fixture.Graphics()->sceneRect(), QRectF(0, 0, 640, 480));
    EXPECT_EQ(resizes, 1) << "a zero width changes nothing";

    auto bare = boost::make_shared<Scene>(fixture.Graphics());
    fixture.View().SetScene(bare);
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(bare->GetExtraDisplay());
    fixture.View().sendTestResult(true);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{true});
}

TEST(DisplayViewTest, PaintsAtMostOnceARefreshAndLeavesNothingStale) {
    QMainWindow first;
    auto* view = new DisplayView;
    first.setCentralWidget(view);
    first.resize(320, 200);
    first.show();
    auto* mark = view->scene()->addRect(10, 10, 20, 20, QPen(Qt::NoPen), QBrush(Qt::red));
    EXPECT_EQ(StalePixelsAfterRefresh(*view), 0);
    const int paints = PaintsDuringAStreamOfChanges(*view, mark);
    EXPECT_GE(paints, 1);
    EXPECT_LE(paints, 250 / DisplayView::kRefreshIntervalMs + 2);
    EXPECT_EQ(StalePixelsAfterRefresh(*view), 0) << "the last position is on screen";

    view->scene()->removeItem(mark);
    delete mark;
    view->RepaintNow();
    EXPECT_FALSE(view->RepaintPending());
    EXPECT_EQ(StalePixelsAfterRefresh(*view), 0);
}
