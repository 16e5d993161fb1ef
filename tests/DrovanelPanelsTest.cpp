#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <functional>
#include <string>

#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "CoreControlRegister.h"
#include "CoreReadSlave.h"
#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "EepromState.h"
#include "ShortMessage.h"

namespace {

// A slot that takes a check box's state, with what it sends for checked and
// unchecked and the log line of the checked state (none for some).
struct CheckCase {
    void (Drovanel::*slot)(int);
    const char* checked;
    const char* unchecked;
    const char* checkedLog;
};

class DrovanelPanelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = &fixture.Create();
        ASSERT_TRUE(fixture.OpenChecked(peer));
        // The check's own answers are done; from here the bridge only listens.
        peer.GoSilent();
        DrovanelFixture::Spin(50);
    }

    // Runs `click` and returns exactly what the bridge received for it, once
    // `expected` (if any) has come and a little longer.
    std::string Sent(const std::function<void()>& click, const std::string& expected) {
        peer.ClearReceived();
        click();
        if (!expected.empty()) {
            peer.WaitForText(expected);
        }
        DrovanelFixture::Spin(30);
        return peer.Received();
    }

    QPushButton* TableButton(QTableWidget* table, int row) {
        return qobject_cast<QPushButton*>(table->cellWidget(row, 0));
    }

    template <class StateT>
    bool Current() const {
        return boost::dynamic_pointer_cast<StateT>(window->CurrentState()) != nullptr;
    }

    DrovanelFixture fixture;
    BridgePeer peer;
    Drovanel* window = nullptr;
};

TEST_F(DrovanelPanelsTest, TheUserPanelsReadingButtonsSendTheirCommands) {
    Ui::DrovanelClass& ui = window->Form();
    const std::pair<int, std::string> rows[] = {{0, "e"}, {1, "K"}, {2, "b"}, {3, "v"},
                                                {4, "a"}, {5, "m"}, {6, "&"}};
    for (const auto& [row, command] : rows) {
        SCOPED_TRACE(row);
        ui.comboFlags->show();
        EXPECT_EQ(Sent([&] { TableButton(ui.tableUserFunctions, row)->click(); }, command),
                  command);
        EXPECT_TRUE(ui.comboFlags->isHidden());
    }
    EXPECT_TRUE(Current<morvex_gui::ShortMessage>());

    EXPECT_EQ(Sent([&] { TableButton(ui.tableUserFunctions, 0)->click(); }, "e"), "e");
    EXPECT_TRUE(Current<morvex_gui::EepromState>());
    EXPECT_EQ(Sent([&] { ui.buttonReadRegister->click(); }, "R"), "R");
    EXPECT_TRUE(Current<morvex_gui::CoreControlRegister>());

    const QString log = fixture.Log();
    for (const char* line :
         {"Read eeprom", "Read buttons", "Read buttons raw data", "Read master version",
          "Read slave version", "Slave CRC check", "Read eeprom structure version"}) {
        EXPECT_TRUE(log.contains(line)) << line;
    }
}

TEST_F(DrovanelPanelsTest, TheUserPanelsSettingsSendTheirValues) {
    Ui::DrovanelClass& ui = window->Form();
    // The register bit goes as one hexadecimal digit without padding.
    ui.spinRegister->setValue(11);
    EXPECT_EQ(Sent([&] { ui.buttonSetRegister->click(); }, "sBR"), "sBR");
    EXPECT_TRUE(Current<morvex_gui::CoreControlRegister>());
    ui.spinRegister->setValue(0);
    EXPECT_EQ(Sent([&] { ui.buttonClearRegister->click(); }, "u0R"), "u0R");
    EXPECT_EQ(ui.spinRegister->maximum(), 15);

    EXPECT_EQ(ui.comboIntMode->currentText(), "08");
    EXPECT_EQ(Sent([&] { ui.buttonSetIntMode->click(); }, "M08"), "M08");
    ui.comboIntMode->setCurrentIndex(ui.comboIntMode->count() - 1);
    EXPECT_EQ(Sent([&] { ui.buttonSetIntMode->click(); }, "M00"), "M00");
    EXPECT_TRUE(Current<morvex_gui::ShortMessage>());
    ui.comboPowerMode->setCurrentText("07");
    EXPECT_EQ(Sent([&] { ui.buttonSetPowerMode->click(); }, "P07"), "P07");

    // High digit first, each box one digit.
    ui.comboIntWidthHigh->setCurrentText("0");
    ui.comboIntWidthLow->setCurrentText("A");
    EXPECT_EQ(Sent([&] { ui.buttonIntWidthSet->click(); }, "W0A"), "W0A");
    ui.comboSleepFrequencyHigh->setCurrentText("3");
    ui.comboSleepFrequencyLow->setCurrentText("F");
    EXPECT_EQ(Sent([&] { ui.buttonSleepFrequency->click(); }, "f3F"), "f3F");
    ui.comboSleepDelayHigh->setCurrentText("F");
    ui.comboSleepDelayLow->setCurrentText("0");
    EXPECT_EQ(Sent([&] { ui.buttonSleepDelay->click(); }, "IF0"), "IF0");

    const QString log = fixture.Log();
    for (const char* line : {"Set RAW_CTRL register", "Clear RAW_CTRL register", "Set INT. mode",
                             "Set power mode", "Set INT. width"}) {
        EXPECT_TRUE(log.contains(line)) << line;
    }
}

TEST_F(DrovanelPanelsTest, CheckBoxSlotsSendOnlyForCheckedAndUnchecked) {
    const CheckCase cases[] = {
        {&Drovanel::UserWithOffset, "o", "O", "Offset enable"},
        {&Drovanel::UserCoordinates, "y", "Y", "With driftcompensation"},
        {&Drovanel::UserSynchronize, "H", "L", "Enable ATTB synchronize"},
        {&Drovanel::UserHighLow, "h", "H", "Set synchronize ATTB high"},
        {&Drovanel::UserAlgorithm, "g", "G", nullptr},
        {&Drovanel::UserSensitivity, "j", "J", nullptr},
    };
    Drovanel& target = *window;
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.checked);
        const auto slot = c.slot;
        EXPECT_EQ(Sent([&target, slot] { (target.*slot)(Qt::Checked); }, c.checked), c.checked);
        EXPECT_EQ(Sent([&target, slot] { (target.*slot)(Qt::Unchecked); }, c.unchecked),
                  c.unchecked);
        EXPECT_EQ(Sent([&target, slot] { (target.*slot)(Qt::PartiallyChecked); }, ""), "");
        if (c.checkedLog != nullptr) {
            EXPECT_TRUE(fixture.Log().contains(c.checkedLog));
        }
    }
}

TEST_F(DrovanelPanelsTest, SwitchingBetweenTheUserAndI2cPanels) {
    Ui::DrovanelClass& ui = window->Form();
    // Unchecking a panel's action does nothing of its own.
    EXPECT_EQ(Sent([&] { window->UserModeUI(false); }, ""), "");
    EXPECT_EQ(Sent([&] { window->I2cModeUI(false); }, ""), "");
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.userPanel);

    EXPECT_EQ(Sent([&] { ui.actionI2CMode->trigger(); }, "@"), "@");
    EXPECT_FALSE(ui.actionUserMode->isChecked());
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.i2cPanel);
    EXPECT_EQ(ui.dockWidget->windowTitle(), "I2C Panel");
    EXPECT_TRUE(ui.userToolBar->isHidden());
    EXPECT_FALSE(ui.menuUser->menuAction()->isVisible());
    EXPECT_FALSE(ui.actionCalibrate->isEnabled());
    EXPECT_FALSE(ui.actionReadOffset->isEnabled());
    EXPECT_TRUE(fixture.Log().contains("Enter i2C mode"));

    EXPECT_EQ(Sent([&] { ui.actionUserMode->trigger(); }, "#"), "#");
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.userPanel);
    EXPECT_EQ(ui.dockWidget->windowTitle(), "User Panel");
    EXPECT_FALSE(ui.userToolBar->isHidden());
    EXPECT_TRUE(ui.actionCalibrate->isEnabled());
    EXPECT_TRUE(ui.comboFlags->isHidden());
    EXPECT_TRUE(ui.dockWidgetInformation->isHidden());

    // The offset reading hands the link to the calibration dialog (closed
    // here at once) in user mode and restores the mode after it; the
    // correction list goes away.
    ui.comboFlags->show();
    DialogScript closeOffsets({DialogScript::On<morvex_gui::CalibrateDialog>(
        [](morvex_gui::CalibrateDialog& dialog) { dialog.reject(); })});
    EXPECT_EQ(Sent([&] { ui.actionReadOffset->trigger(); }, "##"), "##");
    EXPECT_TRUE(ui.comboFlags->isHidden());
    EXPECT_TRUE(fixture.Log().contains("Read Offset"));
}

TEST_F(DrovanelPanelsTest, TheI2cPanelSendsDecimalEntriesAsHexBytes) {
    Ui::DrovanelClass& ui = window->Form();
    ASSERT_EQ(Sent([&] { ui.actionI2CMode->trigger(); }, "@"), "@");

    ui.spinWriteSlaveAddress->setValue(58);
    ui.spinWriteSlaveValue->setValue(1);
    EXPECT_EQ(Sent([&] { ui.buttonWriteSlave->click(); }, "w3A01"), "w3A01");
    ui.spinWriteSlaveAddress->setValue(255);
    ui.spinWriteSlaveValue->setValue(171);
    EXPECT_EQ(Sent([&] { ui.buttonWriteSlave->click(); }, "wFFAB"), "wFFAB");
    EXPECT_EQ(ui.spinWriteSlaveValue->maximum(), 255);

    ui.spinReadSlaveAddress->setValue(0);
    ui.spinReadSlaveLength->setValue(16);
    EXPECT_EQ(Sent([&] { ui.buttonReadSlave->click(); }, "r0010"), "r0010");
    EXPECT_TRUE(Current<morvex_gui::CoreReadSlave>());
    ui.spinReadSlaveLength->setValue(0);
    EXPECT_EQ(ui.spinReadSlaveLength->value(), 1);

    // The reply reaches the log through the read state.
    peer.SendLine("Read register content: 0A 0B ");
    EXPECT_TRUE(DrovanelFixture::WaitUntil(
        [&] { return ui.textBrowser->toPlainText().contains("0A 0B"); }));

    // Writes and the time-out keep the current state.
    ui.spinTimeOutSetting->setValue(255);
    EXPECT_EQ(Sent([&] { ui.buttonSetTime->click(); }, "TFF"), "TFF");
    ui.spinTimeOutSetting->setValue(7);
    EXPECT_EQ(Sent([&] { ui.buttonSetTime->click(); }, "T07"), "T07");
    EXPECT_TRUE(Current<morvex_gui::CoreReadSlave>());

    const QString log = fixture.Log();
    for (const char* line : {"Write to slave", "Read from slave", "Time out setting"}) {
        EXPECT_TRUE(log.contains(line)) << line;
    }
}

TEST_F(DrovanelPanelsTest, TheI2cFunctionButtonsKeepTheirOrder) {
    Ui::DrovanelClass& ui = window->Form();
    ASSERT_EQ(Sent([&] { ui.actionI2CMode->trigger(); }, "@"), "@");
    const std::string sent[] = {"p", "R", "@m5Dbm5Ck", "s"};
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Sent([&] { TableButton(ui.tableI2cFunctions, row)->click(); }, sent[row]),
                  sent[row]);
    }
    EXPECT_TRUE(Current<morvex_gui::ShortMessage>());
}

}  // namespace
