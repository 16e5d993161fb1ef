#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QScreen>

#include "EventPump.h"
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

}  // namespace

TEST(DisplayViewTest, StartsWithOnlyTheCaptionAndNoScene) {
    morvex_gui_qtlib::DisplayView view;
    EXPECT_EQ(view.scene()->items().size(), 1);
    EXPECT_NE(view.TextItem(), nullptr);
    EXPECT_FALSE(view.GetScene());
    EXPECT_EQ(view.scene()->backgroundBrush().color(), QColor(64, 64, 64));
}

TEST(DisplayViewTest, ResizeSetsTheRectangleAndNotifiesTheCurrentScene) {
    ViewFixture fixture(320, 200);
    int resizes = 0;
    int destroyed = 0;
    fixture.Show<CountingScene>(&resizes, &destroyed);
    fixture.Resize(640, 480);
    EXPECT_EQ(fixture.Graphics()->sceneRect(), QRectF(0, 0, 640, 480));
    EXPECT_EQ(resizes, 1);

    fixture.Resize(0, 480);
    EXPECT_EQ(fixture.Graphics()->sceneRect(), QRectF(0, 0, 640, 480));
    EXPECT_EQ(resizes, 1);

    fixture.View().SetScene(boost::make_shared<Scene>(fixture.Graphics()));
    EXPECT_EQ(destroyed, 1);
}

TEST(DisplayViewTest, BareSceneStartsWithShowValuesAndVerdictsReachTheSignal) {
    ViewFixture fixture;
    auto scene = fixture.Show<Scene>();
    EXPECT_TRUE(scene->GetExtraDisplay());
    scene->Update();
    scene->Clear();
    EXPECT_EQ(fixture.Graphics()->items().size(), 1);
    fixture.View().sendTestResult(true);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{true});
}

namespace {

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

// Pixels where the view as its window shows it differs from a fresh paint.
int StalePixels(QWidget& view) {
    QWidget* window = view.window();
    const QPoint at = view.mapTo(window, QPoint(0, 0));
    const QImage shown =
        view.screen()
            ->grabWindow(window->winId(), at.x(), at.y(), view.width(), view.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
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

// Lets whatever paint was asked for happen at the view's refresh.
void LetRefreshHappen(DisplayView& view) {
    QCoreApplication::processEvents();
    PumpFor(2 * DisplayView::kRefreshIntervalMs);
    PumpUntil([&] { return !view.RepaintPending(); });
}

// Paints the view's window now, then lets a change of `graphics` ask for a
// paint. True when the request came within the refresh interval, so it must
// wait; a machine too slow for that proves nothing either way.
bool ChangeRightAfterAPaint(DisplayView& view, QGraphicsScene* graphics, const QRectF& rect) {
    view.RepaintNow();
    QElapsedTimer sincePaint;
    sincePaint.start();
    graphics->addRect(rect, QPen(Qt::NoPen), QBrush(Qt::blue));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return sincePaint.elapsed() < DisplayView::kRefreshIntervalMs;
}

}  // namespace

TEST(DisplayViewTest, ChangesSoonAfterAPaintWaitForTheRefreshAndAllReachTheScreen) {
    ViewFixture fixture(320, 200);
    DisplayView& view = fixture.View();
    LetRefreshHappen(view);
    auto* mark = fixture.Graphics()->addRect(10, 10, 20, 20, QPen(Qt::NoPen), QBrush(Qt::red));
    PaintCounter counter(view.viewport());

    // A stream of changes, one every millisecond, for a quarter of a second.
    QElapsedTimer clock;
    clock.start();
    int moves = 0;
    while (clock.elapsed() < 250) {
        mark->setPos(moves % 250, (moves * 3) % 150);
        ++moves;
        PumpFor(1);
    }
    EXPECT_GE(counter.paints, 1);
    EXPECT_LE(counter.paints, 250 / DisplayView::kRefreshIntervalMs + 2)
        << "at most one paint a refresh interval, for " << moves << " changes";

    LetRefreshHappen(view);
    EXPECT_EQ(StalePixels(view), 0) << "the last position is on screen, the earlier ones gone";
}

TEST(DisplayViewTest, RepaintNowPaintsWhatWaitsAndEndsTheWait) {
    ViewFixture fixture(320, 200);
    DisplayView& view = fixture.View();
    LetRefreshHappen(view);
    if (ChangeRightAfterAPaint(view, fixture.Graphics(), QRectF(40, 40, 30, 30))) {
        EXPECT_TRUE(view.RepaintPending());
        EXPECT_NE(StalePixels(view), 0) << "the new item is not painted yet";
    }
    view.RepaintNow();
    EXPECT_FALSE(view.RepaintPending());
    EXPECT_EQ(StalePixels(view), 0);

    fixture.Graphics()->clear();
    LetRefreshHappen(view);
    EXPECT_EQ(StalePixels(view), 0);
}

TEST(DisplayViewTest, PacingFollowsTheViewIntoTheWindowThatShowsIt) {
    QMainWindow first;
    auto* view = new DisplayView;
    first.setCentralWidget(view);
    first.resize(320, 200);
    first.show();
    LetRefreshHappen(*view);
    if (ChangeRightAfterAPaint(*view, view->scene(), QRectF(5, 5, 10, 10))) {
        EXPECT_TRUE(view->RepaintPending()) << "the main window's paints are paced";
    }
    LetRefreshHappen(*view);
    EXPECT_EQ(StalePixels(*view), 0);

    QMainWindow second;
    second.setCentralWidget(view);  // takes the view out of the first window
    second.resize(320, 200);
    second.show();
    LetRefreshHappen(*view);
    PaintCounter firstPaints(&first);
    view->RepaintNow();
    first.update();
    QCoreApplication::processEvents();
    EXPECT_EQ(firstPaints.paints, 1) << "the first window is no longer paced";
    EXPECT_FALSE(view->RepaintPending());

    if (ChangeRightAfterAPaint(*view, view->scene(), QRectF(20, 20, 10, 10))) {
        EXPECT_TRUE(view->RepaintPending()) << "the second window is";
    }
    LetRefreshHappen(*view);
    EXPECT_EQ(StalePixels(*view), 0);
}
