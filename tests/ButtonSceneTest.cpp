#include <gtest/gtest.h>

#include <QBrush>
#include <QGraphicsRectItem>
#include <boost/make_shared.hpp>

#include "ButtonNormalScene.h"
#include "ButtonState.h"
#include "ViewFixture.h"

using morvex_gui::ButtonState;
using morvex_gui_qtlib::ButtonNormalScene;

namespace {

const QColor kIdle(124, 252, 0);
const QColor kPressed(255, 0, 0);

// A view, a button state with the given "button_number" that has seen its
// first line, and the scene bound to it, as the GUI interface builds them.
class ButtonSceneTest : public ::testing::Test {
protected:
    void Build(const char* buttonNumber, int width = 800, int height = 600) {
        if (buttonNumber != nullptr) {
            imp._settings.SetParameter(ConfigParameter("button_number", buttonNumber));
        }
        fixture = std::make_unique<ViewFixture>(width, height);
        state = boost::make_shared<ButtonState>(&imp);
        state->Parse("HThe button: 0,0,0,0,0,0,0,0");
        scene = fixture->Show<ButtonNormalScene>(state.get());
    }

    // One report from the bridge and the redraw it triggers.
    void Report(const char* states) {
        state->Parse((std::string("HThe button: ") + states).c_str());
        scene->Update();
    }

    std::vector<QColor> Colours() const {
        std::vector<QColor> colours;
        for (QGraphicsRectItem* bar : scene->Bars()) {
            colours.push_back(bar->brush().color());
        }
        return colours;
    }

    RecordingWindowImp imp;
    std::unique_ptr<ViewFixture> fixture;
    boost::shared_ptr<ButtonState> state;
    boost::shared_ptr<ButtonNormalScene> scene;
};

}  // namespace

TEST_F(ButtonSceneTest, PassesOnceAfterEveryConfiguredButtonWasPressed) {
    Build("3");
    ASSERT_EQ(fixture->CountItems(QGraphicsRectItem::Type), 3);
    EXPECT_EQ(Colours(), (std::vector<QColor>{kIdle, kIdle, kIdle}));

    // Slots 0 to 4 belong to no configured button.
    Report("1,1,1,1,1,0,0,0");
    EXPECT_EQ(Colours(), (std::vector<QColor>{kIdle, kIdle, kIdle}));

    Report("0,0,0,0,0,0,1,0");
    Report("0,0,0,0,0,0,0,0");
    Report("0,0,0,0,0,0,1,0");  // the same button again counts once
    EXPECT_EQ(scene->PressedCount(), 1);
    EXPECT_EQ(Colours(), (std::vector<QColor>{kIdle, kPressed, kIdle}));

    Report("0,0,0,0,0,1,0,1");
    EXPECT_EQ(Colours(), (std::vector<QColor>{kPressed, kPressed, kPressed}));
    EXPECT_TRUE(fixture->VerdictList().empty()) << "the pass comes with the next report";

    Report("0,0,0,0,0,0,0,0");
    EXPECT_EQ(fixture->VerdictList(), std::vector<bool>{true});
    Report("0,0,0,0,0,1,1,1");
    Report("0,0,0,0,0,0,0,0");
    EXPECT_EQ(fixture->VerdictList(), std::vector<bool>{true});
}

TEST_F(ButtonSceneTest, AllPressedInOneReportPassesWithTheNext) {
    Build("8");
    Report("1,1,1,1,1,1,1,1");
    EXPECT_TRUE(fixture->VerdictList().empty());
    Report("1,1,1,1,1,1,1,0");
    EXPECT_EQ(fixture->VerdictList(), std::vector<bool>{true});
}

TEST_F(ButtonSceneTest, BarsSpreadAcrossTheMiddleAndFollowAResize) {
    Build("4", 748, 600);
    const qreal xs[] = {50, 212, 374, 536};
    ASSERT_EQ(scene->Bars().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(scene->Bars()[i]->rect(), QRectF(xs[i], 290, 150, 20)) << i;
    }

    Report("0,0,0,0,1,0,0,0");
    fixture->Resize(948, 400);
    EXPECT_EQ(fixture->CountItems(QGraphicsRectItem::Type), 4);
    EXPECT_EQ(scene->Bars()[1]->rect(), QRectF(50 + 200 + 12, 190, 200, 20));
    EXPECT_EQ(Colours(), (std::vector<QColor>{kPressed, kIdle, kIdle, kIdle}));
    EXPECT_EQ(scene->PressedCount(), 1);
}

TEST_F(ButtonSceneTest, NoConfiguredButtonsNeverPass) {
    Build(nullptr);
    EXPECT_EQ(fixture->CountItems(QGraphicsRectItem::Type), 0);
    Report("1,1,1,1,1,1,1,1");
    Report("0,0,0,0,0,0,0,0");
    fixture->Resize(640, 480);
    EXPECT_TRUE(fixture->VerdictList().empty());
}

TEST_F(ButtonSceneTest, SceneKeepsItsStateAliveWhileCurrent) {
    Build("2");
    ButtonState* raw = state.get();
    state.reset();
    raw->Parse("HThe button: 0,0,0,0,0,0,1,1");
    scene->Update();
    scene->Update();
    EXPECT_EQ(fixture->VerdictList(), std::vector<bool>{true});
}
