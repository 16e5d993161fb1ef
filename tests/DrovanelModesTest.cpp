#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QTextBrowser>
#include <functional>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "DebugScene.h"
#include "DisplayView.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "MultiFingerLiftScene.h"
#include "NormalFlagScene.h"
#include "NormalScene.h"
#include "PictureScene.h"
#include "RasterScene.h"
#include "Settings.h"
#include "TuneInitDevice.h"

namespace {

using morvex_gui_qtlib::Scene;

// The flags the refilled correction list sends: the first level clears all three.
const char* const kFirstLevel = "u3uBuC";

std::vector<std::string> DebugFrames() {
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i) {
        lines.push_back("X5,5,5,5,5");
        lines.push_back("Y5,5,5,5");
    }
    return lines;
}

// One raster frame for the counts of the check (5 X and 4 Y electrodes, kept
// as 4 and 3): a header and four rows, each of 4 + 2 numbers.
std::vector<std::string> RasterFrame() {
    std::vector<std::string> lines{"S1,1,1,1,1,1,"};
    for (int i = 0; i < 4; ++i) {
        lines.push_back("R2,2,2,2,2,2,");
    }
    return lines;
}

class DrovanelModesTest : public ::testing::Test {
protected:
    Drovanel& OpenWindow(const std::string& master = "ABC BV5.3") {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer, master));
        return window;
    }

    template <class SceneT>
    bool WaitForScene(Drovanel& window) {
        return DrovanelFixture::WaitUntil([&] {
            return boost::dynamic_pointer_cast<SceneT>(window.View()->GetScene()) != nullptr;
        });
    }

    DrovanelFixture fixture;
    BridgePeer peer;
};

struct ModeCase {
    const char* name;
    std::function<QAction*(Ui::DrovanelClass&)> action;
    std::string command;
    std::vector<std::string> replies;
    std::function<bool(const boost::shared_ptr<Scene>&)> isModeScene;
    bool flagsShown;
    int levels;
    const char* log;
};

template <class SceneT>
std::function<bool(const boost::shared_ptr<Scene>&)> Is() {
    return [](const boost::shared_ptr<Scene>& scene) {
        return boost::dynamic_pointer_cast<SceneT>(scene) != nullptr;
    };
}

TEST_F(DrovanelModesTest, EachModeSendsItsCommandAndShowsItsScene) {
    const ModeCase cases[] = {
        {"normal",
         [](Ui::DrovanelClass& ui) { return ui.actionNormal; },
         "n",
         {"( 1,3,99,99"},
         Is<morvex_gui_qtlib::NormalScene>(),
         false,
         4,
         "Normal display"},
        {"debug", [](Ui::DrovanelClass& ui) { return ui.actionDebug; }, "d", DebugFrames(),
         Is<morvex_gui_qtlib::DebugScene>(), true, 4, "Debug display"},
        {"raster", [](Ui::DrovanelClass& ui) { return ui.actionRaster; }, "r", RasterFrame(),
         Is<morvex_gui_qtlib::MultiFingerLiftScene>(), true, 2, "Raster display"},
        {"raster lift Y", [](Ui::DrovanelClass& ui) { return ui.actionRaster_LiftY; }, "rX",
         RasterFrame(), Is<morvex_gui_qtlib::RasterScene>(), true, 2, "Raster liftY display"},
        {"picture",
         [](Ui::DrovanelClass& ui) { return ui.action_Picture_View; },
         "n",
         {"( 1,2,3"},
         Is<morvex_gui_qtlib::PictureScene>(),
         false,
         4,
         "Picture view"},
    };
    Drovanel& window = OpenWindow();
    Ui::DrovanelClass& ui = window.Form();
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        peer.ClearReceived();
        QAction* action = c.action(ui);
        ASSERT_TRUE(action->isEnabled());
        action->trigger();

        EXPECT_TRUE(peer.WaitForText(c.command + kFirstLevel));
        EXPECT_EQ(peer.Received(), c.command + kFirstLevel);
        EXPECT_EQ(ui.comboFlags->isHidden(), !c.flagsShown);
        EXPECT_EQ(ui.comboFlags->count(), c.levels);
        EXPECT_EQ(ui.comboFlags->currentIndex(), 0);
        // The device cleared the display; the scene starts with the first reply.
        EXPECT_FALSE(c.isModeScene(window.View()->GetScene()));

        peer.Stream(c.replies);
        EXPECT_TRUE(
            DrovanelFixture::WaitUntil([&] { return c.isModeScene(window.View()->GetScene()); }));
        EXPECT_TRUE(fixture.Log().contains(c.log));
    }
}

TEST_F(DrovanelModesTest, TheNormalModeUsesFlagsFromBridgeVersion5_9) {
    // The version the bridge reported in the check decides.
    Drovanel& window = OpenWindow("ABC BV5.9");
    window.Form().actionNormal->trigger();
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CoreNormalFlag>(window.CurrentState()));
    peer.SendLine("( 1,0,1,1F00");
    EXPECT_TRUE(WaitForScene<morvex_gui_qtlib::NormalFlagScene>(window));

    // A missing setting reads "0"; a text that is no number reads as 0.
    const std::pair<const char*, bool> versions[] = {
        {"5.9", true}, {"6", true}, {"5.89", false}, {"BV5.9", false}, {"0", false}};
    for (const auto& [version, flags] : versions) {
        SCOPED_TRACE(version);
        window.SettingsStore()->SetParameter(ConfigParameter("Master_version", version));
        window.normal();
        EXPECT_EQ(boost::dynamic_pointer_cast<morvex_gui::CoreNormalFlag>(window.CurrentState()) !=
                      nullptr,
                  flags);
        EXPECT_EQ(
            boost::dynamic_pointer_cast<morvex_gui::CoreNormal>(window.CurrentState()) != nullptr,
            !flags);
    }
}

TEST_F(DrovanelModesTest, ChoosingACorrectionLevelSendsItsFlags) {
    Drovanel& window = OpenWindow();
    Ui::DrovanelClass& ui = window.Form();
    ui.actionDebug->trigger();
    ASSERT_TRUE(peer.WaitForText(std::string("d") + kFirstLevel));
    peer.ClearReceived();
    ui.comboFlags->setCurrentIndex(2);
    EXPECT_TRUE(peer.WaitForText("u3uBuCsB"));
    ui.comboFlags->setCurrentIndex(3);
    EXPECT_TRUE(peer.WaitForText("u3uBuCsBu3uBuCsC"));
}

TEST_F(DrovanelModesTest, PauseHoldsTheRepliesUntilResumed) {
    Drovanel& window = OpenWindow();
    Ui::DrovanelClass& ui = window.Form();
    ui.actionRaster_LiftY->trigger();
    ASSERT_TRUE(peer.WaitForText("rX"));

    ui.action_Stop->trigger();
    EXPECT_TRUE(ui.action_Stop->isChecked());
    // Nothing left to disconnect: the reader no longer hears the port.
    EXPECT_FALSE(QObject::disconnect(window.Device(), &QIODevice::readyRead, &window,
                                     &Drovanel::ReadSerialPort));
    std::vector<std::string> frame = RasterFrame();
    const std::string last = frame.back();
    frame.pop_back();
    peer.Stream(frame);
    DrovanelFixture::Spin(100);
    EXPECT_FALSE(
        boost::dynamic_pointer_cast<morvex_gui_qtlib::RasterScene>(window.View()->GetScene()));

    // Resuming reads what waited with the next arrival.
    ui.action_Stop->trigger();
    peer.SendLine(last);
    EXPECT_TRUE(WaitForScene<morvex_gui_qtlib::RasterScene>(window));
    const QString log = fixture.Log();
    EXPECT_LT(log.indexOf("Pause start"), log.indexOf("Pause stop"));
}

TEST_F(DrovanelModesTest, FullScreenOfWindowAndViewAndEscape) {
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();

    // Escape with nothing in full screen changes nothing.
    window.DisableFullScreen();
    EXPECT_FALSE(fixture.Log().contains("Full screen change"));

    ui.actionFullScreen->setChecked(true);
    EXPECT_TRUE(window.isFullScreen());
    ui.actionDisplayFullScreen->setChecked(true);
    EXPECT_TRUE(window.View()->isWindow());
    EXPECT_EQ(window.View()->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);

    window.DisableFullScreen();
    EXPECT_FALSE(ui.actionFullScreen->isChecked());
    EXPECT_FALSE(ui.actionDisplayFullScreen->isChecked());
    EXPECT_FALSE(window.View()->isWindow());
    EXPECT_FALSE(window.isFullScreen());
    const QString log = fixture.Log();
    // The window comes back first, then the view.
    EXPECT_LT(log.lastIndexOf("Full screen change"), log.lastIndexOf("Normal display"));
    EXPECT_LT(log.indexOf("Full screen display"), log.lastIndexOf("Normal display"));
}

TEST_F(DrovanelModesTest, ClearAndShowValuesKeepTheRunningMode) {
    Drovanel& window = OpenWindow();
    Ui::DrovanelClass& ui = window.Form();
    ui.actionRaster_LiftY->trigger();
    peer.Stream(RasterFrame());
    ASSERT_TRUE(WaitForScene<morvex_gui_qtlib::RasterScene>(window));
    const boost::shared_ptr<morvex_gui::State> mode = window.CurrentState();

    // The show-values switch reaches the scene on the screen.
    ASSERT_TRUE(ui.actionExtraDisplay->isChecked());
    ui.actionExtraDisplay->trigger();
    EXPECT_FALSE(window.View()->GetScene()->GetExtraDisplay());
    ui.actionExtraDisplay->trigger();
    EXPECT_TRUE(window.View()->GetScene()->GetExtraDisplay());
    EXPECT_TRUE(fixture.Log().contains("ZeltoC wizzgard change"));

    ui.textBrowser->setPlainText("old text");
    ui.actionClear->trigger();
    EXPECT_TRUE(ui.textBrowser->toPlainText().isEmpty());
    EXPECT_EQ(window.CurrentState(), mode);
}

TEST_F(DrovanelModesTest, TheDrawingStateAsksFirstAndTheTuningStateShowsTheDocks) {
    MessageBoxCatcher boxes(QMessageBox::No);
    Drovanel& window = OpenWindow();
    Ui::DrovanelClass& ui = window.Form();

    peer.ClearReceived();
    window.EnterDrawingState(false);
    DrovanelFixture::Spin(50);
    EXPECT_EQ(peer.Received(), "");

    // No: "#q" and "%" went out before the question all the same.
    std::string sentBeforeQuestion;
    boxes.SetOnShown([&] { sentBeforeQuestion = peer.Received(); });
    window.EnterDrawingState(true);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Enter Drawing Mode...");
    EXPECT_TRUE(boxes.Boxes()[0].hasParent);
    peer.WaitForText("#q%");
    EXPECT_EQ(peer.Received(), "#q%");
    EXPECT_TRUE(fixture.Log().contains("Cancel tuning drawing mode"));

    // Yes: the tuning firmware draws touches; the docks make room.
    peer.ClearReceived();
    boxes.SetAnswer(QMessageBox::Yes);
    window.EnterDrawingState(true);
    EXPECT_TRUE(peer.WaitForText("#q%G"));
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CoreNormal>(window.CurrentState()));
    EXPECT_TRUE(ui.dockWidget->isHidden());
    EXPECT_TRUE(ui.dockWidgetInformation->isHidden());
    EXPECT_TRUE(fixture.Log().contains("Enter tuing drawing mode"));

    window.EnterTuningState(false);
    EXPECT_TRUE(ui.dockWidget->isHidden());
    window.EnterTuningState(true);
    EXPECT_FALSE(ui.dockWidget->isHidden());
    EXPECT_FALSE(ui.dockWidgetInformation->isHidden());
}

}  // namespace
