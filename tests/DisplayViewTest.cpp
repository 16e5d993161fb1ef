#include <gtest/gtest.h>

#include <QGraphicsScene>
#include <QGraphicsTextItem>

#include "ViewFixture.h"

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
