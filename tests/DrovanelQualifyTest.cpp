#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <functional>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "QualificationSetup.h"
#include "QualifyLogDialog.h"
#include "Settings.h"

namespace {

using Step = DialogScript::Step;
using morvex_gui::QualifyLogDialog;

// A qualification reply: "Q:" and twelve fields starting at `first`.
std::string QLine(int first, const std::string& before = "") {
    std::string line = before + "Q:";
    for (int i = 0; i < 12; ++i) {
        char field[16];
        std::snprintf(field, sizeof field, "%c%05d %s", i % 2 == 0 ? '+' : '-', first + i,
                      i < 11 ? "," : "");
        line += field;
    }
    return line;
}

const char* const kLabels[] = {"spiME1x",  "spiME1y",  "M1_fingY", "M1_fingX",
                               "M1_noisY", "M1_noisX", "spiME0x",  "spiME0y",
                               "M0_fingY", "M0_fingX", "M0_noisY", "M0_noisX"};

std::string Labelled(int first) {
    std::string line;
    for (int i = 0; i < 12; ++i) {
        char field[16];
        std::snprintf(field, sizeof field, "%c%05d %s", i % 2 == 0 ? '+' : '-', first + i,
                      i < 11 ? "," : "");
        line += std::string(kLabels[i]) + "," + field;
    }
    return line;
}

TEST(QualifyLineTest, EachFieldGetsItsLabel) {
    EXPECT_EQ(QualifyLogDialog::LabelledLine(QLine(1)), Labelled(1));
    EXPECT_EQ(QualifyLogDialog::LabelledLine(QLine(1)),
              "spiME1x,+00001 ,spiME1y,-00002 ,M1_fingY,+00003 ,M1_fingX,-00004 ,M1_noisY,+00005 "
              ",M1_noisX,-00006 ,spiME0x,+00007 ,spiME0y,-00008 ,M0_fingY,+00009 ,M0_fingX,-00010 "
              ",M0_noisY,+00011 ,M0_noisX,-00012 ");
    EXPECT_EQ(QualifyLogDialog::LabelledLine(QLine(20, "noise before ")), Labelled(20));
    std::string unfinished = QLine(1);
    unfinished.pop_back();
    EXPECT_EQ(QualifyLogDialog::LabelledLine(unfinished), "");
    EXPECT_EQ(QualifyLogDialog::LabelledLine("Q:+1 ,"), "");
}

class DrovanelQualifyTest : public ::testing::Test {
protected:
    DrovanelQualifyTest()
        : _previousRoot(qgetenv("MORVEX_TOOLCHAIN_ROOT")),
          _hadRoot(qEnvironmentVariableIsSet("MORVEX_TOOLCHAIN_ROOT")) {
        qputenv("MORVEX_TOOLCHAIN_ROOT", toolChain.path().toLocal8Bit());
    }
    ~DrovanelQualifyTest() override {
        if (_hadRoot) {
            qputenv("MORVEX_TOOLCHAIN_ROOT", _previousRoot);
        } else {
            qunsetenv("MORVEX_TOOLCHAIN_ROOT");
        }
    }

    Drovanel& OpenWindow() {
        QDir().mkpath(fixture.Dir().File("script_files"));
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer));
        window.SettingsStore()->SetParameter(ConfigParameter("SPI_SPEED_ME0_X", "10"));
        window.SettingsStore()->SetParameter(ConfigParameter("SPI_SPEED_ME1_LX", "300"));
        peer.ClearReceived();
        return window;
    }

    QString Shell() const { return toolChain.path() + "/bin/bash.exe"; }
    QString Calls() const { return toolChain.path() + "/calls.txt"; }

    // Chooses the log file, then sets `lines` and answers Yes.
    static std::deque<Step> Start(const QString& logFile, int lines,
                                  std::function<void()> duringSetup = nullptr) {
        return {DialogScript::PickFile(logFile),
                DialogScript::On<QualificationSetup>([=](QualificationSetup& setup) {
                    if (duringSetup) {
                        duringSetup();
                    }
                    setup.Form().spinBox->setValue(lines);
                    setup.Form().buttonEnter->click();
                })};
    }

    DrovanelFixture fixture;
    BridgePeer peer;
    QTemporaryDir toolChain;

private:
    QByteArray _previousRoot;
    bool _hadRoot;
};

TEST_F(DrovanelQualifyTest, LogsTheLinesRunsTheAnalysisAndRestoresTheController) {
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    std::string replies = "Bootloader noise\r";
    for (int i = 0; i < 5; ++i) {
        replies += QLine(100 * i, i == 1 ? "x " : "") + "\r";
        replies += "not a Q line\r";
    }
    peer.Expect("N", replies);
    Drovanel& window = OpenWindow();
    const QString logFile = fixture.Dir().File("q logs/run 1.log");
    QDir().mkpath(fixture.Dir().File("q logs"));

    int rowDuringSetup = -1;
    DialogScript script(Start(
        logFile, 3, [&] { rowDuringSetup = window.Form().listTuneParameters->currentRow(); }));
    window.Form().buttonTuneQualify->click();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(rowDuringSetup, 26);  // fingX

    // The third line ends the log: three lines, each field labelled.
    EXPECT_EQ(fixture.Dir().Read("q logs/run 1.log").toStdString(),
              Labelled(0) + "\n" + Labelled(100) + "\n" + Labelled(200) + "\n");
    EXPECT_EQ(window.SettingsStore()->GetValue("qualify_log_file"), logFile.toStdString());
    EXPECT_EQ(window.SettingsStore()->GetValue("qualification_lines"), "3");

    // The script names the analysis and the log as words of the shell.
    const QString program = fixture.Dir().Path();
    QString analysis = program + "/qualification/finger_vs_noise.pl";
    analysis.replace(".", "\\.");
    QString log = logFile;
    log.replace(" ", "\\ ");
    EXPECT_EQ(QString::fromLocal8Bit(fixture.Dir().Read("script_files/ScriptLog.sh")),
              "perl.exe " + analysis + " " + log);
    ASSERT_TRUE(PumpUntil([&] { return QFile::exists(Calls()); }));
    QFile calls(Calls());
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(calls.readAll()),
              "-l|-c|" + program + "/script_files/ScriptLog.sh\n");

    // Logging mode, normal mode, I2C mode, the four SPI speeds, tuning
    // initialisation, then the parameters are read again.
    EXPECT_TRUE(peer.WaitForText("Nn@w610Asw6300sw6912Csw6B00s%#q%i6100")) << peer.Received();
    const QString oplog = fixture.Log();
    EXPECT_LT(oplog.indexOf("Start Qualification"), oplog.indexOf("Exit Qualification"));
    PumpFor(50);
    EXPECT_TRUE(window.Form().buttonTuneQualify->isEnabled());
}

TEST_F(DrovanelQualifyTest, CancellingTheFileOrTheSetupLogsNothing) {
    Drovanel& window = OpenWindow();
    {
        DialogScript script({DialogScript::PickFile(QString())});
        window.Form().buttonTuneQualify->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(window.SettingsStore()->GetValue("qualify_log_file"), "0");
    {
        DialogScript script({DialogScript::PickFile(fixture.Dir().File("q.log")),
                             DialogScript::On<QualificationSetup>([](QualificationSetup& setup) {
                                 setup.Form().buttonCancel->click();
                             })});
        window.Form().buttonTuneQualify->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(window.SettingsStore()->GetValue("qualify_log_file"),
              fixture.Dir().File("q.log").toStdString());
    EXPECT_EQ(window.Form().listTuneParameters->currentRow(), 26);
    PumpFor(50);
    EXPECT_EQ(peer.Received(), "");
    EXPECT_FALSE(QFile::exists(fixture.Dir().File("q.log")));
    EXPECT_FALSE(fixture.Log().contains("Start Qualification"));
}

TEST_F(DrovanelQualifyTest, FinishEndsTheLogAndAFailedScriptIsReported) {
    // The analysis crashes.
    ASSERT_TRUE(FakeProgram::Write(Shell(), "kill -9 $$"));
    peer.Expect("N", QLine(1) + "\r");
    Drovanel& window = OpenWindow();
    QString failure;
    std::deque<Step> steps = Start(fixture.Dir().File("q.log"), 111000);
    steps.push_back(DialogScript::On<QualifyLogDialog>([&](QualifyLogDialog& logger) {
        PumpUntil([&] { return logger.LoggedLines() == 1; });
        EXPECT_EQ(logger.MaxLines(), 111000);
        EXPECT_EQ(logger.Form().progressDownload->value(), 1);
        EXPECT_EQ(logger.Form().textBrowserLog->toPlainText().toStdString(), Labelled(1));
        logger.Form().buttonFinish->click();
    }));
    steps.push_back(DialogScript::Answer(QMessageBox::Ok, &failure));
    DialogScript script(steps);
    window.Form().buttonTuneQualify->click();
    EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    EXPECT_EQ(failure, "Qualification error!: Run script file fail!");
    EXPECT_EQ(fixture.Dir().Read("q.log").toStdString(), Labelled(1) + "\n");
    EXPECT_TRUE(peer.Received().find("Nn@") != std::string::npos) << peer.Received();
}

TEST_F(DrovanelQualifyTest, AMissingShellOrLogFileIsReported) {
    // No shell in the tool chain, and a log file that cannot be made.
    Drovanel& window = OpenWindow();
    QString logFailure;
    QString shellFailure;
    // The log's folder disappears between the choice and the logging.
    QDir().mkpath(fixture.Dir().File("sub"));
    std::deque<Step> steps = Start(fixture.Dir().File("sub/q.log"), 5,
                                   [&] { QDir(fixture.Dir().File("sub")).removeRecursively(); });
    steps.push_back(DialogScript::Answer(QMessageBox::Ok, &logFailure));
    steps.push_back(DialogScript::Answer(QMessageBox::Ok, &shellFailure));
    DialogScript script(steps);
    window.Form().buttonTuneQualify->click();
    EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    EXPECT_EQ(logFailure, "Logging fail!: Open logging file error!");
    EXPECT_EQ(shellFailure, "Qualification error!: Run script file fail!");
    // The controller is put back all the same.
    EXPECT_TRUE(peer.WaitForText("@w610Asw6300sw6912Csw6B00s%")) << peer.Received();
    EXPECT_EQ(peer.Received().find('N'), std::string::npos);
    EXPECT_TRUE(QFile::exists(fixture.Dir().File("script_files/ScriptLog.sh")));
}

TEST_F(DrovanelQualifyTest, AScriptThatCannotBeWrittenIsNotRun) {
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    peer.Expect("N", QLine(1) + "\r");
    Drovanel& window = OpenWindow();
    QDir(fixture.Dir().File("script_files")).removeRecursively();
    QString failure;
    std::deque<Step> steps = Start(fixture.Dir().File("q.log"), 1);
    steps.push_back(DialogScript::Answer(QMessageBox::Ok, &failure));
    DialogScript script(steps);
    window.Form().buttonTuneQualify->click();
    EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    // A limit of one logs one line.
    EXPECT_EQ(fixture.Dir().Read("q.log").toStdString(), Labelled(1) + "\n");
    EXPECT_EQ(failure, "Qualification error!: Can't write the script file " +
                           fixture.Dir().File("script_files/ScriptLog.sh") + "!");
    PumpFor(100);
    EXPECT_FALSE(QFile::exists(Calls()));
}

}  // namespace
