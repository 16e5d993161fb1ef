#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ZeltoMPForm.h"

namespace {

class ZeltoMPFormTest : public ::testing::Test {
protected:
    void SetUp() override { ui.setupUi(&window); }

    QStringList ActionTexts(const QList<QAction*>& actions) const {
        QStringList texts;
        for (QAction* action : actions) {
            texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
        }
        return texts;
    }

    QMainWindow window;
    Ui_ZeltoMP ui;
};

void ExpectFont(const QWidget* widget, const char* family, int points) {
    EXPECT_EQ(widget->font().family(), QString::fromLatin1(family))
        << widget->objectName().toStdString();
    EXPECT_EQ(widget->font().pointSize(), points) << widget->objectName().toStdString();
    EXPECT_TRUE(widget->font().bold()) << widget->objectName().toStdString();
}

}  // namespace

TEST_F(ZeltoMPFormTest, EveryNamedObjectExistsWithItsClass) {
    const std::vector<std::pair<const char*, const char*> > objects{
        {"centralWidget", "QWidget"},
        {"verticalLayout", "QVBoxLayout"},
        {"groupBox", "QGroupBox"},
        {"displayFrame", "QFrame"},
        {"horizontalLayout", "QHBoxLayout"},
        {"textBrowser", "QTextBrowser"},
        {"menuBar", "QMenuBar"},
        {"menuSettings", "QMenu"},
        {"menuView", "QMenu"},
        {"mainToolBar", "QToolBar"},
        {"statusBar", "QStatusBar"},
        {"dockWidget", "QDockWidget"},
        {"stackedWidget", "QStackedWidget"},
        {"normal_page", "QWidget"},
        {"control_frame", "QFrame"},
        {"master_label", "QLabel"},
        {"slave_label", "QLabel"},
        {"FwCrc_label", "QLabel"},
        {"frame", "QFrame"},
        {"gridLayout", "QGridLayout"},
        {"mode_listWidget", "QListWidget"},
        {"countdown_label", "QLabel"},
        {"frame_2", "QFrame"},
        {"frame_3", "QFrame"},
        {"auto_test_page", "QWidget"},
        {"auto_listWidget", "QListWidget"},
        {"autotest_pushButton", "QPushButton"},
        {"groupBox_5", "QGroupBox"},
        {"verticalLayout_12", "QVBoxLayout"},
        {"result_label", "QLabel"},
        {"mode_toolBar", "QToolBar"},
        {"dockWidget_2", "QDockWidget"},
        {"splitter", "QSplitter"},
        {"verticalLayout_13", "QVBoxLayout"},
        {"horizontalLayout_4", "QHBoxLayout"},
        {"table_x_rawdata", "QTableWidget"},
        {"table_y_rawdata", "QTableWidget"}};
    for (const auto& object : objects) {
        const QObject* found = window.findChild<QObject*>(QString::fromLatin1(object.first));
        ASSERT_NE(found, nullptr) << object.first;
        EXPECT_STREQ(found->metaObject()->className(), object.second) << object.first;
    }
    EXPECT_EQ(window.objectName(), "ZeltoMP");
    EXPECT_EQ(window.windowTitle(), "Zelto Series MP");
    EXPECT_EQ(window.size(), QSize(970, 713));
    EXPECT_EQ(window.centralWidget(), ui.centralWidget);
    EXPECT_EQ(window.statusBar(), ui.statusBar);
    EXPECT_EQ(ui.displayFrame->layout(), ui.horizontalLayout);  // the view goes in here
}

TEST_F(ZeltoMPFormTest, MenusReadInMenuBarOrderWithTheirEntries) {
    EXPECT_EQ(ActionTexts(ui.menuBar->actions()),
              QStringList({"&Settings", "View", "&Mode", "&Control", "&Help"}));
    EXPECT_EQ(ActionTexts(ui.menuSettings->actions()),
              QStringList({"Default &Settings...", "Threshold Setting", "|", "Open/Close &Port"}));
    EXPECT_EQ(ActionTexts(ui.menuView->actions()),
              QStringList({"&Full Screen", "&Display Full Screen", "Clear"}));
    EXPECT_EQ(ActionTexts(ui.menuMode->actions()), QStringList({"Manual Mode", "AutoTest Mode"}));
    EXPECT_EQ(ActionTexts(ui.menuControl->actions()),
              QStringList({"Slave Download...", "&Master Download...", "&Calibrate...", "|",
                           "With Offset Correction"}));
    EXPECT_EQ(ActionTexts(ui.menuAbout->actions()), QStringList({"About"}));
}

TEST_F(ZeltoMPFormTest, ActionsCarryShortcutsContextsAndCheckStates) {
    struct Expected {
        QAction* action;
        const char* shortcut;
        bool checkable;
        Qt::ShortcutContext context;
    };
    const std::vector<Expected> actions{
        {ui.actionDefault, "Ctrl+Alt+S", false, Qt::WindowShortcut},
        {ui.actionOpen, "Ctrl+Return", false, Qt::WindowShortcut},
        {ui.actionAbout, "", false, Qt::WindowShortcut},
        {ui.actionNormal_Mode, "", true, Qt::WindowShortcut},
        {ui.actionAutoTest_Mode, "", true, Qt::WindowShortcut},
        {ui.actionSlaveDownload, "Ctrl+D", false, Qt::WindowShortcut},
        {ui.actionCalibrate, "Z", false, Qt::WindowShortcut},
        {ui.actionFullScreen, "Ctrl+F", true, Qt::WindowShortcut},
        {ui.actionDisplayFullScreen, "Alt+Return", true, Qt::ApplicationShortcut},
        {ui.actionClear, "C", false, Qt::ApplicationShortcut},
        {ui.actionThresholdSetting, "Ctrl+Alt+T", false, Qt::WindowShortcut},
        {ui.actionWithOffset, "Ctrl+O", true, Qt::WindowShortcut},
        {ui.actionMasterDownload, "Ctrl+M", false, Qt::WindowShortcut}};
    for (const Expected& expected : actions) {
        const std::string name = expected.action->objectName().toStdString();
        EXPECT_EQ(expected.action->parent(), &window) << name;
        EXPECT_EQ(expected.action->shortcut(), QKeySequence(QString::fromLatin1(expected.shortcut)))
            << name;
        EXPECT_EQ(expected.action->isCheckable(), expected.checkable) << name;
        EXPECT_EQ(expected.action->shortcutContext(), expected.context) << name;
    }
    EXPECT_TRUE(ui.actionNormal_Mode->isChecked());
    EXPECT_FALSE(ui.actionAutoTest_Mode->isChecked());
    EXPECT_EQ(ui.actionOpen->iconText(), "Open/Close &Port");
    EXPECT_EQ(ui.actionOpen->toolTip(), "Open/Close the connection to device");
}

TEST_F(ZeltoMPFormTest, ManualPageHoldsVersionLabelsButtonsAndCountdown) {
    EXPECT_EQ(ui.stackedWidget->currentIndex(), 1);  // the window's own set-up picks the page
    EXPECT_EQ(ui.stackedWidget->widget(0), ui.normal_page);
    EXPECT_EQ(ui.stackedWidget->widget(1), ui.auto_test_page);

    EXPECT_EQ(ui.groupBox_2->title(), "Version");
    EXPECT_EQ(ui.label->text(), "Master Version:");
    EXPECT_EQ(ui.label_3->text(), "Slave Version:");
    EXPECT_EQ(ui.label_4->text(), "FW CRC:");
    EXPECT_TRUE(ui.master_label->text().isEmpty());
    EXPECT_TRUE(ui.slave_label->wordWrap());
    EXPECT_TRUE(ui.FwCrc_label->wordWrap());

    const std::vector<std::vector<QPushButton*> > grid{
        {ui.normal_pushButton, ui.debug_pushButton},
        {ui.raster_pushButton, ui.border_pushButton},
        {ui.linearity_pushButton, ui.precise_pushButton},
        {ui.b_normal_pushButton, ui.b_debug_pushButton}};
    const QStringList texts{"Normal",    "Debug",   "Raster",   "Border",
                            "Linearity", "Precise", "B_Normal", "B_Debug"};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 2; ++column) {
            QPushButton* button = grid[row][column];
            EXPECT_EQ(ui.gridLayout->itemAtPosition(row, column)->widget(), button);
            EXPECT_EQ(button->text(), texts[row * 2 + column]);
        }
    }
    EXPECT_EQ(ui.gridLayout->verticalSpacing(), 15);
    EXPECT_EQ(ui.mode_listWidget->maximumHeight(), 400);

    EXPECT_EQ(ui.groupBox_4->title(), "Test Result");
    EXPECT_EQ(ui.countdown_label->text(), "Countdown");
    ExpectFont(ui.countdown_label, "Arial", 32);
}

TEST_F(ZeltoMPFormTest, AutomaticPageListsTheFifteenResultLabelsInOrder) {
    EXPECT_EQ(ui.auto_group->title(), "List of Test");
    EXPECT_EQ(ui.autotest_pushButton->text(), "Run Test");
    ExpectFont(ui.autotest_pushButton, "Arial", 12);
    EXPECT_EQ(ui.groupBox_5->title(), "Test Results");

    const std::vector<std::pair<QLabel*, const char*> > labels{
        {ui.normal_label, "Slave Check: "},
        {ui.reset_label, "Reset:"},
        {ui.attb_label, "Attb:"},
        {ui.debug_label, "Debug:"},
        {ui.singleRaw_label, "Single Raw:"},
        {ui.linearity_label, "Linearity:"},
        {ui.border_label, "Border:"},
        {ui.precise_label, "Precise:"},
        {ui.jitter_label, "Jitter:"},
        {ui.raster_x_label, "Raster X"},
        {ui.raster_y_label, "Raster Y"},
        {ui.active_label, "Active:"},
        {ui.b_normal_label, "Button Normal:"},
        {ui.b_debug_label, "Button Rawdata:"},
        {ui.b_singleRaw_label, "Button Single Raw:"}};
    ASSERT_EQ(ui.verticalLayout_12->count(), static_cast<int>(labels.size()));
    for (int i = 0; i < static_cast<int>(labels.size()); ++i) {
        EXPECT_EQ(ui.verticalLayout_12->itemAt(i)->widget(), labels[i].first) << i;
        EXPECT_EQ(labels[i].first->text(), QString::fromLatin1(labels[i].second)) << i;
        ExpectFont(labels[i].first, "Arial", 13);
    }

    EXPECT_TRUE(ui.result_label->text().isEmpty());
    EXPECT_EQ(ui.result_label->minimumHeight(), 50);
    EXPECT_EQ(ui.result_label->maximumHeight(), 50);
    ExpectFont(ui.result_label, "Consolas", 28);
}

TEST_F(ZeltoMPFormTest, DocksToolBarsAndLogBox) {
    EXPECT_EQ(window.dockWidgetArea(ui.dockWidget), Qt::LeftDockWidgetArea);
    EXPECT_EQ(ui.dockWidget->windowTitle(), "Control");
    EXPECT_FALSE(ui.dockWidget->features() & QDockWidget::DockWidgetClosable);
    EXPECT_TRUE(ui.dockWidget->features() & QDockWidget::DockWidgetMovable);
    EXPECT_EQ(ui.dockWidget->minimumWidth(), 280);
    EXPECT_EQ(ui.dockWidget->maximumWidth(), 280);
    EXPECT_EQ(ui.dockWidget->allowedAreas(), Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    EXPECT_EQ(window.dockWidgetArea(ui.dockWidget_2), Qt::RightDockWidgetArea);
    EXPECT_TRUE(ui.dockWidget_2->features() & QDockWidget::DockWidgetClosable);
    EXPECT_EQ(ui.splitter->orientation(), Qt::Vertical);
    EXPECT_EQ(ui.splitter->widget(0), ui.frame_4);
    EXPECT_EQ(ui.splitter->widget(1), ui.frame_5);
    EXPECT_EQ(ui.table_x_rawdata->parentWidget(), ui.frame_4);
    EXPECT_EQ(ui.table_y_rawdata->parentWidget(), ui.frame_5);

    EXPECT_EQ(window.toolBarArea(ui.mainToolBar), Qt::TopToolBarArea);
    EXPECT_EQ(ui.mainToolBar->windowTitle(), "Serial Ports");
    EXPECT_FALSE(ui.mainToolBar->isMovable());
    EXPECT_EQ(window.toolBarArea(ui.mode_toolBar), Qt::TopToolBarArea);
    EXPECT_EQ(ui.mode_toolBar->windowTitle(), "Mode Switch");
    EXPECT_TRUE(ui.mode_toolBar->isMovable());
    ExpectFont(ui.mode_toolBar, "Arial", 16);

    EXPECT_EQ(ui.textBrowser->minimumHeight(), 80);
    EXPECT_EQ(ui.textBrowser->maximumHeight(), 80);
    EXPECT_EQ(ui.textBrowser->palette().color(QPalette::Active, QPalette::Base),
              QColor(139, 139, 139));
    EXPECT_EQ(ui.textBrowser->palette().color(QPalette::Disabled, QPalette::Base),
              QColor(240, 240, 240));
}
