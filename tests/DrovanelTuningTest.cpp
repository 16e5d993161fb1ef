#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLCDNumber>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "BridgePeer.h"
#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "Settings.h"
#include "SlaveDownloadProgress.h"
#include "TunePathSettings.h"
#include "TuneRegisterTable.h"
#include "TuningStart.h"

namespace {

using morvex_gui::TuneRegisterTable;

using Step = DialogScript::Step;
Step PickFile(const QString& file) {
    return DialogScript::PickFile(file);
}

Step Answer(QMessageBox::StandardButton button, QString* seen = nullptr) {
    return DialogScript::Answer(button, seen);
}

template <class DialogT>
Step On(std::function<void(DialogT&)> act) {
    return DialogScript::On<DialogT>(std::move(act));
}

std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

// The controller's reply to a read of a register: two bytes of value.
std::string ValueLine(int code, int value) {
    return "the data = " + Hex(code) + " " + Hex(value >> 8) + " " + Hex(value & 0xFF) + "\r";
}

std::string ReadCommand(int row) {
    return "i" + Hex(TuneRegisterTable[row]) + "00";
}

// The controller's values by row; rows not listed hold 10 + row.
const std::map<int, int> kValues = {{13, 5}, {15, 20}};

int ValueOf(int row) {
    const auto it = kValues.find(row);
    return it != kValues.end() ? it->second : 10 + row;
}

std::string ScanCommands() {
    std::string commands;
    for (int row = 0; row < morvex_gui::kTuneParameterCount; ++row) {
        commands += ReadCommand(row);
    }
    return commands;
}

QString ValueRow(const char* name, int value) {
    const QString key = QString::fromLatin1(name) + ":";
    return key + QString::number(value).rightJustified(30 - key.size(), ' ');
}

class DrovanelTuningTest : public ::testing::Test {
protected:
    DrovanelTuningTest() {
        for (int row = 0; row < morvex_gui::kTuneParameterCount; ++row) {
            peer.Expect(ReadCommand(row), ValueLine(TuneRegisterTable[row], ValueOf(row)));
        }
    }

    // Opens the port with the tune mode chosen: the version check ends in
    // the tune panel, which reads every parameter.
    Drovanel& OpenTunePanel() {
        peer.Expect("v", DrovanelFixture::MasterLine("ABC BV5.3") + "\r");
        Drovanel& window = fixture.Create();
        Ui::DrovanelClass& ui = window.Form();
        EXPECT_TRUE(fixture.OpenPort(peer));
        EXPECT_TRUE(PumpUntil([&] { return window.CheckTimer()->isActive(); }));
        ui.actionTuneMode->setChecked(true);
        peer.SendLine("Read register content: 15");
        peer.SendLine("The eeprom structure version: 0x15");
        EXPECT_TRUE(PumpUntil([&] {
            return ui.controlPanel->currentWidget() == ui.engineeringPanel &&
                   ui.buttonRefreshParameters->isEnabled() &&
                   peer.Received().find("i6100d") != std::string::npos;
        }));
        PumpFor(30);
        return window;
    }

    // Runs `act` and waits for the reply chain to end with the live display
    // command `display`; returns everything sent meanwhile.
    std::string Exchange(const std::function<void()>& act, const std::string& display) {
        WaitForQuietWire();
        peer.ClearReceived();
        act();
        const bool ended = PumpUntil([&] {
            const std::string received = peer.Received();
            return received.size() >= display.size() &&
                   received.compare(received.size() - display.size(), display.size(), display) ==
                       0 &&
                   fixture.Window().Form().buttonTuneIncrease->isEnabled();
        });
        PumpFor(30);
        EXPECT_TRUE(ended) << peer.Received();
        return peer.Received();
    }

    // Lets the bytes of earlier steps reach the peer before it is cleared: the
    // wire counts as quiet once nothing new has come for 50 ms (1 s at most).
    void WaitForQuietWire() {
        size_t seen = peer.ReceivedCount();
        for (int quiet = 0, rounds = 0; quiet < 5 && rounds < 100; ++rounds) {
            PumpFor(10);
            const size_t now = peer.ReceivedCount();
            quiet = now == seen ? quiet + 1 : 0;
            seen = now;
        }
    }

    DrovanelFixture fixture;
    BridgePeer peer;
};

TEST_F(DrovanelTuningTest, TheTunePanelReadsEveryParameterInRowOrder) {
    Drovanel& window = OpenTunePanel();
    Ui::DrovanelClass& ui = window.Form();
    const std::string received = peer.Received();
    // Quit, tuning initialisation, one read per row, then row 0 again with its display.
    EXPECT_NE(received.find("#q%" + ScanCommands() + "i6100d"), std::string::npos) << received;
    EXPECT_EQ(ui.listTuneParametersInfo->item(0)->text(), ValueRow("SPI_SPEED_ME0_X", 10));
    EXPECT_EQ(ui.listTuneParametersInfo->item(15)->text(), ValueRow("BENDING_AVG", 20));
    EXPECT_EQ(ui.listTuneParametersInfo->item(29)->text(), ValueRow("noiseY", 39));
    EXPECT_EQ(window.SettingsStore()->GetValue("fingX_value"), "36");
    EXPECT_EQ(window.SettingsStore()->GetValue("SPI_SPEED_ME1_LY"), "20");
    EXPECT_EQ(ui.lcdNumber->intValue(), 10);
    EXPECT_EQ(window.CurrentParameter(), 0);
    EXPECT_TRUE(ui.textInformation->toPlainText().startsWith("The M0 SPI speed is set"));
    EXPECT_FALSE(ui.tuneToolBar->isHidden());
    EXPECT_EQ(ui.tuneToolBar->actions().size(), 5);
    EXPECT_TRUE(ui.actionTuning_Mode->actionGroup()->isExclusive());

    // Refreshing from another row reads all again and selects row 0.
    ui.listTuneParameters->setCurrentRow(3);
    PumpUntil([&] { return ui.buttonTuneIncrease->isEnabled(); });
    EXPECT_EQ(Exchange([&] { ui.buttonRefreshParameters->click(); }, "i6100d"),
              "#q%" + ScanCommands() + "i6100d");
    EXPECT_EQ(ui.listTuneParameters->currentRow(), 0);
    EXPECT_TRUE(fixture.Log().contains("Refresh all parameters"));
}

TEST_F(DrovanelTuningTest, SelectingAndSteppingSendTheirCommands) {
    // The steps' replies: BENDING_AVG down by ten, DICHO_MEDIANE one rung up.
    peer.Expect("e700A", ValueLine(0x70, 10));
    peer.Expect("i6E02", ValueLine(0x6E, 7));
    Drovanel& window = OpenTunePanel();
    Ui::DrovanelClass& ui = window.Form();

    EXPECT_EQ(Exchange([&] { ui.listTuneParameters->setCurrentRow(15); }, "b"), "i7000b");
    EXPECT_EQ(window.CurrentParameter(), 15);
    EXPECT_EQ(ui.lcdNumber->intValue(), 20);
    EXPECT_TRUE(ui.textInformation->toPlainText().contains("BENDING_AVG"));

    // At the top of its range a step up asks for nothing more.
    EXPECT_EQ(Exchange(
                  [&] {
                      ui.buttonTuneIncrease->click();
                      EXPECT_FALSE(ui.buttonTuneIncrease->isEnabled());
                      EXPECT_FALSE(ui.buttonTuneDecreaseMore->isEnabled());
                  },
                  "b"),
              "i7000b");
    EXPECT_EQ(Exchange([&] { ui.buttonTuneDecreaseMore->click(); }, "b"), "e700Ab");
    EXPECT_EQ(ui.lcdNumber->intValue(), 10);
    EXPECT_EQ(window.SettingsStore()->GetValue("parameter_value"), "10");
    EXPECT_EQ(ui.listTuneParametersInfo->item(15)->text(), ValueRow("BENDING_AVG", 10));

    // A ladder moves one rung whatever the step.
    EXPECT_EQ(Exchange([&] { ui.listTuneParameters->setCurrentRow(13); }, "a"), "i6E00a");
    EXPECT_EQ(Exchange([&] { ui.buttonTuneIncreaseMore->click(); }, "a"), "i6E02a");
    EXPECT_EQ(ui.lcdNumber->intValue(), 7);

    const QString log = fixture.Log();
    EXPECT_TRUE(log.contains("IncreaseParameter parameter\n"));
    EXPECT_TRUE(log.contains("DecreaseParameter parameter by 10 steps"));
    EXPECT_TRUE(log.contains("IncreaseParameter parameter by 10 steps"));
}

TEST_F(DrovanelTuningTest, PreviousAndNextStopAtTheEnds) {
    Drovanel& window = OpenTunePanel();
    Ui::DrovanelClass& ui = window.Form();

    peer.ClearReceived();
    ui.buttonTunePrev->click();
    EXPECT_EQ(window.CurrentParameter(), 0);
    EXPECT_EQ(ui.listTuneParameters->currentRow(), 0);
    EXPECT_TRUE(fixture.Log().contains("Select previous parameter on head"));
    EXPECT_EQ(Exchange([&] { ui.buttonTuneNext->click(); }, "o"), "i6200o");
    EXPECT_EQ(window.CurrentParameter(), 1);
    EXPECT_TRUE(fixture.Log().contains("Select next parameter\n"));

    EXPECT_EQ(Exchange([&] { ui.listTuneParameters->setCurrentRow(29); }, "n"), "i7600n");
    peer.ClearReceived();
    ui.buttonTuneNext->click();
    PumpFor(50);
    EXPECT_EQ(window.CurrentParameter(), 29);
    EXPECT_EQ(ui.listTuneParameters->currentRow(), 29);
    EXPECT_TRUE(fixture.Log().contains("Select next parameter on tail"));
    EXPECT_EQ(peer.Received(), "");
    EXPECT_EQ(Exchange([&] { ui.buttonTunePrev->click(); }, "n"), "i7500n");
}

TEST_F(DrovanelTuningTest, OutsideTheTunePanelSelectingOnlyRemembersTheRow) {
    Drovanel& window = fixture.Create();
    ASSERT_TRUE(fixture.OpenChecked(peer));
    peer.ClearReceived();
    window.Form().listTuneParameters->setCurrentRow(5);
    PumpFor(50);
    EXPECT_EQ(window.CurrentParameter(), 5);
    EXPECT_EQ(peer.Received(), "");
}

// ---- the tuning set-up --------------------------------------------------------------

class DrovanelTuneSetupTest : public DrovanelTuningTest {
protected:
    Drovanel& OpenUserPanel() {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer));
        return window;
    }

    static Step Setup(const QString& line, QPushButton* Ui::TunePathSettings::*button,
                      const QString& pattern = QString()) {
        return On<TunePathSettings>([=](TunePathSettings& dialog) {
            dialog.Form().comboVersion->setCurrentText(line);
            if (!pattern.isNull()) {
                dialog.Form().lineXmlPath->setText(pattern);
            }
            (dialog.Form().*button)->click();
        });
    }

    bool BackInUserPanel() {
        Ui::DrovanelClass& ui = fixture.Window().Form();
        return PumpUntil([&] {
            return ui.actionUserMode->isChecked() &&
                   ui.controlPanel->currentWidget() == ui.userPanel;
        });
    }
};

TEST_F(DrovanelTuneSetupTest, ARejectedSetupReturnsToTheUserPanel) {
    Drovanel& window = OpenUserPanel();
    DialogScript script({Setup("MP8.0", &Ui::TunePathSettings::buttonCancel)});
    window.Form().actionTuneMode->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(BackInUserPanel());
    EXPECT_TRUE(fixture.Log().contains("Tuning setup reject"));
}

TEST_F(DrovanelTuneSetupTest, ADownloadNeedsTheImagesOfTheChosenLine) {
    Drovanel& window = OpenUserPanel();
    QString warning;
    DialogScript script({Setup("MP8.2", &Ui::TunePathSettings::buttonDownload, "p.xml"),
                         Answer(QMessageBox::Ok, &warning)});
    window.Form().actionTuneMode->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(warning, "Missing file!: Can't find the MP8.2 FW. files in the vmx_file folder.");
    EXPECT_TRUE(BackInUserPanel());
    EXPECT_TRUE(fixture.Log().contains("Tuning start dialog reject"));
}

TEST_F(DrovanelTuneSetupTest, ABrokenOffDownloadRestartsTheBridgeInTheUserPanel) {
    Drovanel& window = OpenUserPanel();
    for (const char* image : {"normal_90", "zeltotune_90", "normal", "zeltotune"}) {
        fixture.Dir().Write(QString("vmx_file/%1.vmx").arg(image), image);
    }
    fixture.Dir().Write("p.xml", "<pattern/>");
    bool readerWasOff = false;
    DialogScript script(
        {Setup("MP9.0", &Ui::TunePathSettings::buttonDownload, fixture.Dir().File("p.xml")),
         On<morvex_gui::SlaveDownloadProgress>([&](morvex_gui::SlaveDownloadProgress& dialog) {
             // The dialog owns the replies meanwhile.
             peer.SendLine("Slave version: DURING-DOWNLOAD");
             PumpFor(50);
             readerWasOff = !window.SlaveVersionLabel()->text().contains("DURING-DOWNLOAD");
             dialog.reject();
         })});
    peer.ClearReceived();
    window.Form().actionTuneMode->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(readerWasOff);
    EXPECT_EQ(fixture.Dir().Read("vmx_file/normal.vmx"), "normal_90");
    EXPECT_EQ(fixture.Dir().Read("vmx_file/zeltotune.vmx"), "zeltotune_90");
    EXPECT_EQ(window.SettingsStore()->GetValue("mp_version"), "2");
    EXPECT_FALSE(window.Form().actionTuneMode->isChecked());
    // The bridge starts up again and the check ends in the user panel.
    EXPECT_TRUE(peer.WaitForText("##q##q@o##v"));
    EXPECT_TRUE(BackInUserPanel());
    EXPECT_TRUE(fixture.Log().contains("Tuning download dialog start"));
}

TEST_F(DrovanelTuneSetupTest, AStartedTuningEndsInTheTunePanel) {
    Drovanel& window = OpenUserPanel();
    Ui::DrovanelClass& ui = window.Form();
    DialogScript script({Setup("MP8.0", &Ui::TunePathSettings::buttonEnter),
                         On<TuningStart>([](TuningStart& dialog) {
                             dialog.Form().checkReadyAll->click();
                             dialog.Form().buttonStart->click();
                         })});
    peer.ClearReceived();
    ui.actionTuneMode->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(peer.WaitForText("##q##q@o##v"));
    EXPECT_TRUE(PumpUntil([&] {
        return ui.controlPanel->currentWidget() == ui.engineeringPanel &&
               ui.buttonRefreshParameters->isEnabled();
    }));
    EXPECT_FALSE(window.TuningApplied());
    const QString log = fixture.Log();
    EXPECT_LT(log.indexOf("Tuning start dialog start"), log.indexOf("Tuning start dialog accept"));
    EXPECT_LT(log.indexOf("Tuning start dialog accept"), log.indexOf("Enter tune mode"));
}

TEST_F(DrovanelTuneSetupTest, ARejectedChecklistReturnsToTheUserPanel) {
    Drovanel& window = OpenUserPanel();
    DialogScript script({Setup("MP8.0", &Ui::TunePathSettings::buttonEnter),
                         On<TuningStart>([](TuningStart& dialog) { dialog.reject(); })});
    window.Form().actionTuneMode->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(BackInUserPanel());
    EXPECT_TRUE(fixture.Log().contains("Tuning start dialog reject"));
}

// ---- save and apply, finish ------------------------------------------------------------

const QByteArray kPattern =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<system_environment_configuration>\n"
    "\t<eprom_param>\n"
    "\t\t<option>\n"
    "\t\t\t<name>EEP_BEND_THR_X</name>\n"
    "\t\t\t<value>77</value>\n"
    "\t\t</option>\n"
    "\t\t<option>\n"
    "\t\t\t<name>EEP_SPI_SPEED_ME0_X</name>\n"
    "\t\t\t<value>1</value>\n"
    "\t\t</option>\n"
    "\t</eprom_param>\n"
    "</system_environment_configuration>\n";

class DrovanelApplyTest : public ::testing::Test {
protected:
    // Value rows as the scan leaves them; BEND_THR_X (row 16) never read.
    Drovanel& CreateWithValues() {
        Drovanel& window = fixture.Create();
        QListWidget* values = window.Form().listTuneParametersInfo;
        for (int row = 0; row < values->count(); ++row) {
            if (row != 16) {
                const QString name = values->item(row)->text().section(':', 0, 0);
                values->item(row)->setText(ValueRow(name.toLatin1().constData(), 100 + row));
            }
        }
        return window;
    }

    void Apply(Drovanel& window, std::deque<Step> steps) {
        DialogScript script(std::move(steps));
        window.Form().buttonTuneApply->click();
        EXPECT_TRUE(script.Done());
    }

    std::string Setting(const char* key) { return fixture.Window().SettingsStore()->GetValue(key); }
    QString File(const char* name) { return fixture.Dir().File(name); }

    DrovanelFixture fixture;
};

TEST_F(DrovanelApplyTest, SavingWritesTheReadValuesIntoThePattern) {
    Drovanel& window = CreateWithValues();
    fixture.Dir().Write("pattern.xml", kPattern);
    window.SettingsStore()->SetParameter(
        ConfigParameter("tune_xml_file", File("pattern.xml").toStdString()));

    Apply(window, {PickFile(QString())});
    EXPECT_FALSE(QFile::exists(File("tune_xml.tmp")));
    EXPECT_FALSE(fixture.Log().contains("Apply and save"));

    Apply(window, {PickFile(File("tuned.xml"))});
    EXPECT_TRUE(window.TuningApplied());
    const QByteArray tuned = fixture.Dir().Read("tuned.xml");
    EXPECT_TRUE(tuned.contains("<name>EEP_SPI_SPEED_ME0_X</name>\n\t\t\t<value>100</value>"));
    EXPECT_TRUE(tuned.contains("EEP_WATER_THR_Y"));
    // The unread row keeps the pattern's value; the positions stay out.
    EXPECT_TRUE(tuned.contains("<name>EEP_BEND_THR_X</name>\n\t\t\t<value>77</value>"));
    EXPECT_FALSE(tuned.contains("fingX"));
    EXPECT_FALSE(tuned.contains("noiseY"));
    EXPECT_EQ(Setting("tune_xml_file"), File("tuned.xml").toStdString());
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), tuned);
    EXPECT_EQ(fixture.Dir().Read("pattern.xml"), kPattern);
    EXPECT_TRUE(fixture.Log().contains("Apply and save"));
}

TEST_F(DrovanelApplyTest, AFailedSaveOffersTheOriginalPattern) {
    Drovanel& window = CreateWithValues();
    fixture.Dir().Write("original.xml", kPattern);
    fixture.Dir().Write("tune_xml.tmp", "old working copy");
    // No pattern to start from: the save fails.
    QString warning;
    Apply(window, {PickFile(File("out.xml")), Answer(QMessageBox::Yes, &warning),
                   PickFile(File("original.xml"))});
    EXPECT_EQ(warning,
              "Apply failed...: Apply failed, do you want reset original xml file? and then you "
              "can retry to apply");
    EXPECT_FALSE(window.TuningApplied());
    EXPECT_EQ(Setting("tune_xml_file"), File("original.xml").toStdString());
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);

    // Cancelling the choice of the original changes nothing.
    window.SettingsStore()->SetParameter(ConfigParameter("tune_xml_file", "/missing.xml"));
    Apply(window, {PickFile(File("out.xml")), Answer(QMessageBox::Yes), PickFile(QString())});
    EXPECT_EQ(Setting("tune_xml_file"), "/missing.xml");
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);

    // "No" keeps the failed destination as the pattern; it does not exist,
    // so neither does the working copy.
    Apply(window, {PickFile(File("out.xml")), Answer(QMessageBox::No)});
    EXPECT_EQ(Setting("tune_xml_file"), File("out.xml").toStdString());
    EXPECT_FALSE(QFile::exists(File("tune_xml.tmp")));
}

class DrovanelFinishTest : public DrovanelTuningTest {
protected:
    Drovanel& OpenUserPanel() {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer));
        peer.ClearReceived();
        return window;
    }

    void Finish(std::deque<Step> steps) {
        DialogScript script(std::move(steps));
        fixture.Window().Form().buttonTuneFinish->click();
        EXPECT_TRUE(script.Done());
    }
};

TEST_F(DrovanelFinishTest, FinishingAsksFirstAndNeedsTheNormalImage) {
    OpenUserPanel();
    QString question;
    Finish({Answer(QMessageBox::No, &question)});
    EXPECT_TRUE(question.startsWith("Apply: Current values of eeprom parameters havn't been"));
    Finish({Answer(QMessageBox::Yes), Answer(QMessageBox::No, &question)});
    EXPECT_TRUE(question.startsWith("Finish Tuning?: Do you want to finish tuning mode?"));

    QString warning;
    Finish({Answer(QMessageBox::Yes), Answer(QMessageBox::Yes), Answer(QMessageBox::Ok, &warning)});
    EXPECT_EQ(warning,
              "Warning...: Can't find the normal.vmx file in the GUI folder, please check and "
              "retry");
    fixture.Dir().Write("vmx_file/normal.vmx", "image");
    Finish(
        {Answer(QMessageBox::Yes), Answer(QMessageBox::Yes), Answer(QMessageBox::No, &question)});
    EXPECT_TRUE(question.startsWith("Warning...: Can'f find the pattern xml file"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "");
    EXPECT_FALSE(fixture.Log().contains("Finish Tune"));
}

TEST_F(DrovanelFinishTest, FinishingDownloadsThePatternAndRestartsTheBridge) {
    Drovanel& window = OpenUserPanel();
    fixture.Dir().Write("vmx_file/normal.vmx", "image");
    fixture.Dir().Write("picked.xml", kPattern);
    std::string sentDuringDownload;
    Finish({Answer(QMessageBox::Yes), Answer(QMessageBox::Yes), Answer(QMessageBox::Yes),
            PickFile(fixture.Dir().File("picked.xml")),
            On<morvex_gui::SlaveDownloadProgress>([&](morvex_gui::SlaveDownloadProgress& dialog) {
                sentDuringDownload = peer.Received();
                dialog.reject();
            })});
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);
    EXPECT_EQ(sentDuringDownload, "");
    // Leaving the bootloader, the start-up, quit (the user panel was shown already).
    EXPECT_TRUE(peer.WaitForText("m5Ck##q##q@o##v#q")) << peer.Received();
    EXPECT_TRUE(window.Form().actionUserMode->isChecked());
    EXPECT_TRUE(window.Form().actionI2CMode->isEnabled());
    EXPECT_TRUE(fixture.Log().contains("Finish Tune"));
}

}  // namespace
