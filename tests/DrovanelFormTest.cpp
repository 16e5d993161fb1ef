#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

#include "Drovanel.h"

namespace {

// The form alone, on a plain main window, as the designer left it.
class DrovanelFormTest : public ::testing::Test {
protected:
    void SetUp() override { ui.setupUi(&window); }

    static QStringList Texts(const QList<QAction*>& actions) {
        QStringList texts;
        for (QAction* action : actions) {
            texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
        }
        return texts;
    }

    static QStringList Items(const QComboBox* combo) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        return items;
    }

    QMainWindow window;
    Ui::DrovanelClass ui;
};

TEST_F(DrovanelFormTest, WindowLevelSettings) {
    EXPECT_EQ(window.objectName(), "DrovanelClass");
    EXPECT_TRUE(window.windowTitle().endsWith(" with tune"));
    EXPECT_EQ(window.size(), QSize(800, 600));
    EXPECT_EQ(window.font().family(), "Tahoma");
    EXPECT_EQ(window.contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.locale(), QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ui.centralWidget, window.centralWidget());
    EXPECT_EQ(ui.statusBar, window.statusBar());
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.userPanel);
    EXPECT_EQ(ui.controlPanel->widget(0), ui.commonPanel);
    EXPECT_EQ(ui.controlPanel->widget(2), ui.i2cPanel);
    EXPECT_EQ(ui.controlPanel->widget(3), ui.engineeringPanel);
    EXPECT_EQ(window.dockWidgetArea(ui.dockWidget), Qt::LeftDockWidgetArea);
    EXPECT_EQ(window.dockWidgetArea(ui.dockWidgetInformation), Qt::RightDockWidgetArea);
    EXPECT_EQ(ui.dockWidget->features(),
              QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    EXPECT_EQ(ui.textBrowser->maximumHeight(), 80);
    EXPECT_FALSE(ui.textBrowser->openLinks());
}

TEST_F(DrovanelFormTest, MenusHoldTheirActionsInOrder) {
    EXPECT_EQ(Texts(ui.menuBar->actions()), (QStringList{"&Settings", "&View", "&Mode", "&Control",
                                                         "&User", "&Tuning", "Utilit&y", "&Help"}));
    EXPECT_EQ(Texts(ui.menuSettings->actions()),
              (QStringList{"Default &Settings...", "Open/Close &Port"}));
    EXPECT_EQ(Texts(ui.menuUser->actions()),
              (QStringList{"Normal", "Debug", "Raster LiftX", "Raster LiftY", "&Picture View", "|",
                           "Record &Segment...", "Save &Offset...", "&Load Offset..."}));
    EXPECT_EQ(Texts(ui.menuHelp->actions()), (QStringList{"&About", "|", "&Direct Mode"}));
    EXPECT_EQ(Texts(ui.menuUtility->actions()),
              (QStringList{"&Record", "Record &Viewer...", "Start Zelto &Config...",
                           "Start KVR download..."}));
    for (QToolBar* bar :
         {ui.mainToolBar, ui.modeToolBar, ui.tuneToolBar, ui.userToolBar, ui.utilityToolBar}) {
        EXPECT_TRUE(bar->actions().isEmpty()) << bar->objectName().toStdString();
        EXPECT_EQ(window.toolBarArea(bar), Qt::TopToolBarArea);
    }
    EXPECT_EQ(ui.modeToolBar->windowTitle(), "Normal Tool Bar");
}

TEST_F(DrovanelFormTest, ActionsCarryTheirShortcutsAndCheckStates) {
    EXPECT_EQ(ui.actionOpen->shortcut(), QKeySequence("Ctrl+Return"));
    EXPECT_TRUE(ui.actionOpen->isCheckable());
    EXPECT_FALSE(ui.actionOpen->autoRepeat());
    EXPECT_EQ(ui.actionOpen->toolTip(), "Open/Close the connection to device");
    EXPECT_EQ(ui.actionClear->shortcut(), QKeySequence("C"));
    EXPECT_EQ(ui.actionClear->shortcutContext(), Qt::ApplicationShortcut);
    EXPECT_EQ(ui.actionDisplayFullScreen->shortcutContext(), Qt::ApplicationShortcut);
    EXPECT_EQ(ui.actionFullScreen->shortcutContext(), Qt::WindowShortcut);
    EXPECT_EQ(ui.actionUserMode->toolTip(), "Enter user mde");
    EXPECT_EQ(ui.action_Record->shortcut(), QKeySequence("Ctrl+Alt+R"));
    // Checked as the form leaves them: show values, tuning state, pause.
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->menu() != nullptr || action->isSeparator() || action->objectName().isEmpty()) {
            continue;
        }
        const bool checked = action == ui.actionExtraDisplay || action == ui.actionTuning_Mode ||
                             action == ui.action_Stop;
        EXPECT_EQ(action->isChecked(), checked) << action->objectName().toStdString();
    }
    EXPECT_FALSE(ui.action_Record->icon().isNull());
    EXPECT_FALSE(ui.actionTuneMode->icon().isNull());
}

TEST_F(DrovanelFormTest, PanelControlsHoldTheirItemsAndRanges) {
    EXPECT_EQ(Items(ui.comboIntMode),
              (QStringList{"08", "09", "0A", "0B", "0C", "0D", "0E", "0F", "00"}));
    EXPECT_EQ(Items(ui.comboPowerMode), (QStringList{"00", "01", "03", "04", "05", "07"}));
    for (QComboBox* digit : {ui.comboIntWidthHigh, ui.comboIntWidthLow, ui.comboSleepDelayLow}) {
        EXPECT_EQ(Items(digit).join(""), "0123456789ABCDEF");
        EXPECT_EQ(digit->currentText(), "0");
    }
    EXPECT_EQ(ui.comboFlags->count(), 4);
    EXPECT_EQ(ui.comboFlags->itemText(3), "With all offset correction and drift compensation");
    EXPECT_EQ(ui.spinRegister->maximum(), 15);
    EXPECT_EQ(ui.spinReadSlaveLength->minimum(), 1);
    EXPECT_EQ(ui.spinReadSlaveLength->maximum(), 255);
    EXPECT_EQ(ui.spinTimeOutSetting->maximum(), 255);
    EXPECT_EQ(ui.buttonSetTime->toolTip(), "Set value * 4.096 ms");
    EXPECT_EQ(ui.buttonReadRegister->shortcut(), QKeySequence("Ctrl+G"));
    EXPECT_EQ(ui.tableUserFunctions->columnCount(), 1);
    EXPECT_FALSE(ui.tableI2cFunctions->showGrid());
    EXPECT_EQ(ui.buttonTuneIncrease->text(), "+");
    EXPECT_TRUE(ui.buttonTuneIncrease->autoRepeat());
    EXPECT_FALSE(ui.buttonTuneDecrease->autoRepeat());
    EXPECT_EQ(ui.buttonTuneDecreaseMore->shortcut(), QKeySequence("Ctrl+Left"));
    EXPECT_EQ(ui.lcdNumber->intValue(), 1);
    EXPECT_EQ(ui.lcdNumber->digitCount(), 4);
}

TEST_F(DrovanelFormTest, TheTuneListsNameThirtyParametersInTheSameOrder) {
    ASSERT_EQ(ui.listTuneParameters->count(), 30);
    ASSERT_EQ(ui.listTuneParametersInfo->count(), 30);
    EXPECT_EQ(ui.listTuneParameters->item(0)->text(), "SPI_SPEED_ME0_X");
    EXPECT_EQ(ui.listTuneParameters->item(13)->text(), "DICHO_MEDIANE");
    EXPECT_EQ(ui.listTuneParameters->item(29)->text(), "noiseY");
    for (int row = 0; row < 30; ++row) {
        EXPECT_EQ(ui.listTuneParametersInfo->item(row)->text(),
                  ui.listTuneParameters->item(row)->text() + ":");
        const QColor colour = ui.listTuneParameters->item(row)->foreground().color();
        const QColor expected = row <= 25   ? QColor(0, 0, 255)
                                : row <= 27 ? QColor(0, 170, 0)
                                            : QColor(255, 0, 0);
        EXPECT_EQ(colour, expected) << row;
    }
    EXPECT_TRUE(ui.listTuneParameters->item(26)->toolTip().contains(
        QString::fromUtf8("mechanical \xef\xac\x81nger")));
    EXPECT_TRUE(ui.listTuneParameters->toolTip().contains("Blue"));
    EXPECT_EQ(ui.listTuneParametersInfo->font().family(), "Courier New");
}

TEST_F(DrovanelFormTest, TheStatusButtonAndTheInformationDockFollowEachOther) {
    window.show();
    ASSERT_TRUE(ui.buttonTuneStatus->isChecked());
    ui.buttonTuneStatus->click();
    EXPECT_TRUE(ui.dockWidgetInformation->isHidden());
    ui.dockWidgetInformation->show();
    EXPECT_TRUE(ui.buttonTuneStatus->isChecked());
    ui.dockWidgetInformation->hide();
    EXPECT_FALSE(ui.buttonTuneStatus->isChecked());
}

}  // namespace
