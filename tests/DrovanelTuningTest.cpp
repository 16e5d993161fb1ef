#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "BridgePeer.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "QualificationSetup.h"
#include "QualifyLogDialog.h"
#include "SlaveDownloadProgress.h"
#include "TunePathSettings.h"
#include "TuneRegisterTable.h"
#include "TuningStart.h"

namespace {

using Step = DialogScript::Step;
const auto PickFile = DialogScript::PickFile;

Step Answer(QMessageBox::StandardButton button, QString* seen = nullptr) {
    return DialogScript::Answer(button, seen);
}
const Step kYes = Answer(QMessageBox::Yes);

std::string Hex(int value) {
    return QString::asprintf("%02X", value).toStdString();
}

// Quit, tuning initialisation, one read of each row, row 0 again with its display.
std::string Scan() {
    std::string commands = "#q%";
    for (int row = 0; row < morvex_gui::kTuneParameterCount; ++row) {
        commands += "i" + Hex(morvex_gui::TuneRegisterTable[row]) + "00";
    }
    return commands + "i6100d";
}

// The controller's reply to a read of a register: two bytes of value.
std::string ValueLine(int code, int value) {
    return "the data = " + Hex(code) + " " + Hex(value >> 8) + " " + Hex(value & 0xFF) + "\r";
}

QString ValueRow(const QString& name, int value) {
    return name + ":" + QString::number(value).rightJustified(29 - name.size(), ' ');
}

// Takes the steps of DrovanelFixture::Do in a dialog of class DialogT.
template <class DialogT>
Step Press(const QStringList& steps) {
    return DialogScript::On<DialogT>([=](DialogT& dialog) {
        for (const QString& step : steps) {
            DrovanelFixture::Do(dialog, step);
        }
    });
}

class DrovanelTuningTest : public ::testing::Test {
protected:
    // The controller's values: row 13 holds 5, row 15 holds 20, others 10 + row.
    DrovanelTuningTest() {
        for (int row = 0; row < morvex_gui::kTuneParameterCount; ++row) {
            const int code = morvex_gui::TuneRegisterTable[row];
            peer.Expect("i" + Hex(code) + "00", ValueLine(code, row == 13   ? 5
                                                                : row == 15 ? 20
                                                                            : 10 + row));
        }
    }

    void OpenUserPanel() {
        fixture.Create();
        ASSERT_TRUE(fixture.OpenChecked(peer));
        PumpFor(50);
        peer.ClearReceived();
    }

    std::string Exchange(const QString& step, const std::string& expected) {
        return fixture.Sent(
            peer, [&] { fixture.Do(step); }, expected);
    }

    QString ValueShown(int row) {
        return fixture.Find<QListWidget>("listTuneParametersInfo")->item(row)->text();
    }

    bool Shows(const QString& panel) {
        return PumpUntil([&] {
            return fixture.Panel() == panel &&
                   (panel == "userPanel" || fixture.Find("buttonRefreshParameters")->isEnabled());
        });
    }

    DrovanelFixture fixture;
    BridgePeer peer;
};

TEST_F(DrovanelTuningTest, TheTunePanelReadsSelectsAndStepsTheParameters) {
    peer.Expect("e700A", ValueLine(0x70, 10));
    peer.Expect("i6E02", ValueLine(0x6E, 7));
    // The version check ends in the tune panel when the tune mode is chosen.
    peer.Expect("v", DrovanelFixture::MasterLine("ABC BV5.3") + "\r");
    fixture.Create();
    ASSERT_TRUE(fixture.OpenPort(peer));
    ASSERT_TRUE(PumpUntil([&] { return !fixture.Find("labelChecking")->isHidden(); }));
    fixture.Action("actionTuneMode")->setChecked(true);
    peer.SendRaw("Read register content: 15\rThe eeprom structure version: 0x15\r");
    ASSERT_TRUE(Shows("engineeringPanel"));
    ASSERT_TRUE(peer.WaitForText(Scan()));
    EXPECT_EQ(ValueShown(29), ValueRow("noiseY", 39));

    // A selection reads the row and sends its display command, a step writes
    // the new value; at the top of its range a step up only reads, a ladder
    // moves one rung whatever the step, and the ends stop the walk.
    const char* const steps[] = {"listTuneParameters=15>i7000b",
                                 "buttonTuneIncrease>i7000b",
                                 "buttonTuneDecreaseMore>e700Ab",
                                 "listTuneParameters=13>i6E00a",
                                 "buttonTuneIncreaseMore>i6E02a",
                                 "listTuneParameters=0>i6100d",
                                 "buttonTunePrev>",
                                 "buttonTuneNext>i6200o",
                                 "listTuneParameters=29>i7600n",
                                 "buttonTuneNext>",
                                 "buttonTunePrev>i7500n"};
    for (const QString step : steps) {
        SCOPED_TRACE(step.toStdString());
        const std::string sent = step.section('>', 1).toStdString();
        EXPECT_EQ(Exchange(step.section('>', 0, 0), sent), sent);
    }
    EXPECT_EQ(ValueShown(15), ValueRow("BENDING_AVG", 10));
    EXPECT_EQ(ValueShown(13), ValueRow("DICHO_MEDIANE", 7));
    // Refreshing from another row reads all again and selects row 0.
    EXPECT_EQ(Exchange("buttonRefreshParameters", Scan()), Scan());
    EXPECT_EQ(fixture.Find<QListWidget>("listTuneParameters")->currentRow(), 0);
    EXPECT_TRUE(fixture.SavedConfig().contains("fingX_value=36"));
}

TEST_F(DrovanelTuningTest, TheSetUpRoadEndsInTheTunePanelOnlyWhenTuningStarts) {
    OpenUserPanel();
    fixture.Do("listTuneParameters=5");  // outside the tune panel: nothing sent
    for (const char* image : {"normal_90", "zeltotune_90", "normal", "zeltotune"}) {
        fixture.Dir().Write(QString("vmx_file/%1.vmx").arg(image), image);
    }
    fixture.Dir().Write("p.xml", "<pattern/>");
    QString warning;
    bool readerWasOff = false;
    // A download needs the images of the chosen line; broken off, it restarts the bridge.
    const std::tuple<std::deque<Step>, const char*, bool> setups[] = {
        {{Press<TunePathSettings>({"buttonCancel"})}, "userPanel", false},
        {{Press<TunePathSettings>({"comboVersion=MP8.0", "buttonEnter"}),
          Press<TuningStart>({"buttonCancel"})},
         "userPanel",
         false},
        {{Press<TunePathSettings>({"comboVersion=MP8.2", "lineXmlPath=p.xml", "buttonDownload"}),
          Answer(QMessageBox::Ok, &warning)},
         "userPanel",
         false},
        {{Press<TunePathSettings>({"comboVersion=MP9.0",
                                   "lineXmlPath=" + fixture.Dir().File("p.xml"), "buttonDownload"}),
          DialogScript::On<morvex_gui::SlaveDownloadProgress>([&](QDialog& dialog) {
              // The download dialog owns the replies meanwhile.
              peer.SendLine("Slave version: DURING");
              PumpFor(50);
              readerWasOff = !fixture.Status("S-Ver").contains("DURING");
              dialog.reject();
          })},
         "userPanel",
         true},
        {{Press<TunePathSettings>({"comboVersion=MP8.0", "buttonEnter"}),
          Press<TuningStart>({"checkReadyAll", "buttonStart"})},
         "engineeringPanel",
         true},
    };
    for (const auto& [setup, panel, restarts] : setups) {
        peer.ClearReceived();
        EXPECT_TRUE(fixture.Run("actionTuneMode", setup));
        EXPECT_TRUE(Shows(panel));
        EXPECT_EQ(peer.Received().find("##q##q@o##v") != std::string::npos, restarts);
        // Only the tune panel scans the parameters.
        EXPECT_EQ(peer.Received().find('i') != std::string::npos, panel[0] == 'e');
    }
    EXPECT_EQ(warning, "Missing file!: Can't find the MP8.2 FW. files in the vmx_file folder.");
    EXPECT_TRUE(readerWasOff);
    EXPECT_EQ(fixture.Dir().Read("vmx_file/zeltotune.vmx"), "zeltotune_90");
    EXPECT_EQ(fixture.Log().count("Tuning start dialog reject"), 2);
    EXPECT_TRUE(fixture.SavedConfig().contains("mp_version=2"));
}

const QByteArray kPattern =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<system_environment_configuration>\n"
    "\t<eprom_param>\n"
    "\t\t<option>\n\t\t\t<name>EEP_BEND_THR_X</name>\n\t\t\t<value>77</value>\n\t\t</option>\n"
    "\t\t<option>\n\t\t\t<name>EEP_SPI_SPEED_ME0_X</name>\n\t\t\t<value>1</value>\n\t\t</option>\n"
    "\t</eprom_param>\n</system_environment_configuration>\n";

// Value rows as a scan leaves them, BEND_THR_X (row 16) never read; no pattern yet.
TEST_F(DrovanelTuningTest, SavingWritesTheReadValuesIntoThePatternOrOffersTheOriginal) {
    fixture.WriteConfig("[General]\ntune_xml_file=/missing.xml\n");
    fixture.Create();
    auto* values = fixture.Find<QListWidget>("listTuneParametersInfo");
    for (int row = 0; row < values->count(); ++row) {
        const QString name = values->item(row)->text().section(':', 0, 0);
        values->item(row)->setText(row == 16 ? name + ":" : ValueRow(name, 100 + row));
    }
    // Finishing asks first for "Save and Apply" unless that succeeded.
    const auto finishQuestion = [&] {
        QString question;
        EXPECT_TRUE(fixture.Run("buttonTuneFinish", {Answer(QMessageBox::No, &question)}));
        return question.section(':', 0, 0);
    };
    const QString out = fixture.Dir().File("out.xml");
    const QString original = fixture.Dir().File("original.xml");
    fixture.Dir().Write("original.xml", kPattern);
    // Without a pattern the save fails. Cancelling the choice of the original
    // changes nothing; "No" keeps the failed destination, so no working copy.
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(QString())}));
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(out), kYes, PickFile(QString())}));
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(out), Answer(QMessageBox::No)}));
    EXPECT_FALSE(QFile::exists(fixture.Dir().File("tune_xml.tmp")));
    // Choosing the original makes it the pattern and the working copy.
    QString warning;
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(out), Answer(QMessageBox::Yes, &warning),
                                                PickFile(original)}));
    EXPECT_EQ(warning,
              "Apply failed...: Apply failed, do you want reset original xml file? and then you "
              "can retry to apply");
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);
    EXPECT_EQ(finishQuestion(), "Apply");

    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(fixture.Dir().File("tuned.xml"))}));
    EXPECT_EQ(finishQuestion(), "Finish Tuning?");
    const QByteArray tuned = fixture.Dir().Read("tuned.xml");
    EXPECT_TRUE(tuned.contains("<name>EEP_SPI_SPEED_ME0_X</name>\n\t\t\t<value>100</value>"));
    EXPECT_TRUE(tuned.contains("EEP_WATER_THR_Y"));
    // The unread row keeps the pattern's value; the positions stay out.
    EXPECT_TRUE(tuned.contains("<name>EEP_BEND_THR_X</name>\n\t\t\t<value>77</value>"));
    EXPECT_FALSE(tuned.contains("fingX"));
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), tuned);
    EXPECT_EQ(fixture.Dir().Read("original.xml"), kPattern);
    EXPECT_TRUE(fixture.SavedConfig().contains("tuned.xml"));
}

TEST_F(DrovanelTuningTest, FinishingNeedsTheImagesAndDownloadsThePattern) {
    OpenUserPanel();
    QString warning;
    EXPECT_TRUE(fixture.Run("buttonTuneFinish", {kYes, kYes, Answer(QMessageBox::Ok, &warning)}));
    EXPECT_TRUE(warning.startsWith("Warning...: Can't find the normal.vmx file in the GUI folder"));
    fixture.Dir().Write("vmx_file/normal.vmx", "image");
    EXPECT_TRUE(fixture.Run("buttonTuneFinish", {kYes, kYes, Answer(QMessageBox::No, &warning)}));
    EXPECT_TRUE(warning.startsWith("Warning...: Can'f find the pattern xml file"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "");

    fixture.Dir().Write("picked.xml", kPattern);
    std::string sentDuringDownload = "-";
    EXPECT_TRUE(
        fixture.Run("buttonTuneFinish",
                    {kYes, kYes, kYes, PickFile(fixture.Dir().File("picked.xml")),
                     DialogScript::On<morvex_gui::SlaveDownloadProgress>([&](QDialog& dialog) {
                         sentDuringDownload = peer.Received();
                         dialog.reject();
                     })}));
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);
    EXPECT_EQ(sentDuringDownload, "");
    // Leaving the bootloader, the start-up, quit (the user panel was shown already).
    EXPECT_TRUE(peer.WaitForText("m5Ck##q##q@o##v#q")) << peer.Received();
    EXPECT_TRUE(fixture.Log().contains("Finish Tune"));
}

// A qualification reply: "Q:" and twelve fields starting at `first`; with
// `labelled`, each field after its label, as the log keeps it.
std::string QLine(int first, bool labelled = false) {
    static const char* const kLabels[] = {"spiME1x",  "spiME1y",  "M1_fingY", "M1_fingX",
                                          "M1_noisY", "M1_noisX", "spiME0x",  "spiME0y",
                                          "M0_fingY", "M0_fingX", "M0_noisY", "M0_noisX"};
    std::string line = labelled ? "" : "Q:";
    for (int i = 0; i < 12; ++i) {
        char field[16];
        std::snprintf(field, sizeof field, "%c%05d %s", i % 2 == 0 ? '+' : '-', first + i,
                      i < 11 ? "," : "");
        line += (labelled ? std::string(kLabels[i]) + "," : "") + field;
    }
    return line;
}

class DrovanelQualifyTest : public DrovanelTuningTest {
protected:
    DrovanelQualifyTest() { qputenv("MORVEX_TOOLCHAIN_ROOT", toolChain.path().toLocal8Bit()); }
    ~DrovanelQualifyTest() override { qunsetenv("MORVEX_TOOLCHAIN_ROOT"); }

    void OpenWindow(const std::string& replies) {
        peer.Expect("N", replies);
        QDir().mkpath(fixture.Dir().File("script_files"));
        fixture.WriteConfig("[General]\nSPI_SPEED_ME0_X=10\nSPI_SPEED_ME1_LX=300\n");
        OpenUserPanel();
    }

    // Chooses the log file, sets the number of lines and starts.
    static std::deque<Step> Start(const QString& logFile, int lines) {
        return {PickFile(logFile),
                Press<QualificationSetup>({QString("spinBox=%1").arg(lines), "buttonEnter"})};
    }

    QString Shell() const { return toolChain.path() + "/bin/bash.exe"; }
    QString Calls() const { return toolChain.path() + "/calls.txt"; }

    QTemporaryDir toolChain;
};

TEST_F(DrovanelQualifyTest, LogsTheLinesRunsTheAnalysisAndRestoresTheController) {
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    // Only whole Q lines are logged, whatever comes before "Q:".
    OpenWindow("noise\r" + QLine(0) + "\rQ:+1 ,\r" + QLine(1).substr(0, 80) + "\rx " + QLine(100) +
               "\r" + QLine(200) + "\r" + QLine(300) + "\r");
    const QString logFile = fixture.Dir().File("q logs/run 1.log");
    QDir().mkpath(fixture.Dir().File("q logs"));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", Start(logFile, 3)));
    EXPECT_EQ(fixture.Dir().Read("q logs/run 1.log").toStdString(),
              QLine(0, true) + "\n" + QLine(100, true) + "\n" + QLine(200, true) + "\n");
    // The script names the analysis and the log as words of the shell.
    const QString program = fixture.Dir().Path();
    QString analysis = program + "/qualification/finger_vs_noise.pl";
    EXPECT_EQ(
        QString::fromLocal8Bit(fixture.Dir().Read("script_files/ScriptLog.sh")),
        "perl.exe " + analysis.replace(".", "\\.") + " " + QString(logFile).replace(" ", "\\ "));
    ASSERT_TRUE(PumpUntil([&] { return QFile::exists(Calls()); }));
    QFile calls(Calls());
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(calls.readAll()),
              "-l|-c|" + program + "/script_files/ScriptLog.sh\n");
    // Logging mode, normal mode, I2C mode, the four SPI speeds, tuning
    // initialisation, then the parameters are read again.
    EXPECT_TRUE(peer.WaitForText("Nn@w610Asw6300sw6912Csw6B00s%#q%i6100")) << peer.Received();
    EXPECT_LT(fixture.Log().indexOf("Start Qualification"),
              fixture.Log().indexOf("Exit Qualification"));
    auto* shell = fixture.Window().findChild<QProcess*>();
    EXPECT_TRUE(PumpUntil([&] { return shell->state() == QProcess::NotRunning; }));
    const QByteArray config = fixture.SavedConfig();
    EXPECT_TRUE(config.contains("qualification_lines=3"));
    EXPECT_TRUE(config.contains("qualify_log_file=" + logFile.toUtf8()));
}

TEST_F(DrovanelQualifyTest, EveryFailureIsReportedAndTheControllerRestoredAllTheSame) {
    OpenWindow(QLine(1) + "\r");
    // Cancelling the file or the set-up logs nothing and sends nothing.
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", {PickFile(QString())}));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", {PickFile(fixture.Dir().File("q.log")),
                                                  Press<QualificationSetup>({"buttonCancel"})}));
    EXPECT_EQ(fixture.Find<QListWidget>("listTuneParameters")->currentRow(), 26);  // fingX
    PumpFor(50);
    EXPECT_EQ(peer.Received(), "");

    // No shell in the tool chain, and the log's folder goes between the choice and the logging.
    QDir().mkpath(fixture.Dir().File("sub"));
    QString logFailure;
    QString failure;
    EXPECT_TRUE(
        fixture.Run("buttonTuneQualify",
                    {PickFile(fixture.Dir().File("sub/q.log")),
                     DialogScript::On<QualificationSetup>([&](QualificationSetup& setup) {
                         QDir(fixture.Dir().File("sub")).removeRecursively();
                         DrovanelFixture::Do(setup, "buttonEnter");
                     }),
                     Answer(QMessageBox::Ok, &logFailure), Answer(QMessageBox::Ok, &failure)}));
    EXPECT_EQ(logFailure, "Logging fail!: Open logging file error!");
    EXPECT_EQ(failure, "Qualification error!: Run script file fail!");
    // The controller is put back all the same, without the logging mode.
    EXPECT_TRUE(peer.WaitForText("@w610Asw6300sw6912Csw6B00s%")) << peer.Received();
    EXPECT_EQ(peer.Received().find('N'), std::string::npos);

    // A script that cannot be written is not run; a limit of one logs one line.
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    QDir(fixture.Dir().File("script_files")).removeRecursively();
    std::deque<Step> steps = Start(fixture.Dir().File("q.log"), 1);
    steps.push_back(Answer(QMessageBox::Ok, &failure));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", steps));
    EXPECT_EQ(fixture.Dir().Read("q.log").toStdString(), QLine(1, true) + "\n");
    EXPECT_EQ(failure, "Qualification error!: Can't write the script file " +
                           fixture.Dir().File("script_files/ScriptLog.sh") + "!");
    PumpFor(100);
    EXPECT_FALSE(QFile::exists(Calls()));
}

TEST_F(DrovanelQualifyTest, AnAdapterPulledDuringTheLogLeavesNothingToRestore) {
    OpenWindow(QLine(1) + "\r");
    MessageBoxCatcher boxes;
    std::deque<Step> steps = Start(fixture.Dir().File("q.log"), 5);
    steps.push_back(DialogScript::On<morvex_gui::QualifyLogDialog>([&](QDialog& logger) {
        peer.HangUp();
        peer.Unlist();
        EXPECT_TRUE(PumpUntil([&] { return !logger.isVisible(); }));  // the logger closes
    }));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", steps));
    ASSERT_TRUE(PumpUntil([&] { return fixture.Log().contains("Exit Qualification"); }));
    PumpFor(50);
    const QString log = fixture.Log();
    EXPECT_FALSE(log.mid(log.indexOf("Exit Qualification")).contains("Refresh all parameters"));
    EXPECT_TRUE(boxes.Titles().contains("Missing Connection..."));
}

}  // namespace
