#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <tuple>

#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "FileSizeLimit.h"
#include "OperationLogSetup.h"
#include "Settings.h"
#include "TempProgramDir.h"
#include "TunePathSettings.h"
#include "TuningStart.h"

namespace {

class TunePathSettingsTest : public ::testing::Test {
protected:
    // The dialog as the window runs it: modal, ended by one of its buttons.
    int Run(TunePathSettings& dialog, const std::function<void()>& inside) {
        QTimer::singleShot(0, &dialog, inside);
        return dialog.exec();
    }

    std::string Stored(const char* key) { return settings.GetValue(key); }
    QString Log() const { return QString::fromLocal8Bit(dir.Read("User.log")); }

    void SetUp() override { _log = StartOperationLog(); }
    void TearDown() override { StopOperationLog(_log); }

    TempProgramDir dir;
    Settings settings;

private:
    log4cplus::SharedAppenderPtr _log;
};

TEST_F(TunePathSettingsTest, StartsFromTheStoredLineAndPattern) {
    const std::pair<const char*, const char*> lines[] = {
        {nullptr, "MP8.0"}, {"2", "MP9.0"}, {"1", "MP8.2"}, {"MP9.0", "MP8.0"}, {"7", ""}};
    for (const auto& [stored, shown] : lines) {
        Settings store;
        if (stored != nullptr) {
            store.SetParameter(ConfigParameter("mp_version", stored));
        }
        TunePathSettings dialog(&store, nullptr);
        EXPECT_EQ(dialog.GetMpVersion(), shown) << (stored ? stored : "none");
    }

    settings.SetParameter(ConfigParameter("tune_xml_file", "/patterns/panel.xml"));
    settings.SetParameter(ConfigParameter("tune_vmx_file", "/elsewhere/t.vmx"));
    TunePathSettings dialog(&settings, nullptr);
    EXPECT_EQ(dialog.Form().lineXmlPath->text(), "/patterns/panel.xml");
    // Cancelling still leaves the images of the vmx_file folder in the settings.
    EXPECT_EQ(Run(dialog, [&] { dialog.Form().buttonCancel->click(); }), QDialog::Rejected);
    EXPECT_EQ(Stored("tune_vmx_file"), dir.File("vmx_file/zeltotune.vmx").toStdString());
    EXPECT_EQ(Stored("normal_vmx_file"), dir.File("vmx_file/normal.vmx").toStdString());
    EXPECT_FALSE(QFile::exists(dir.File("config.ini")));
    EXPECT_FALSE(QFile::exists(dir.File("tune_xml.tmp")));
}

TEST_F(TunePathSettingsTest, DownloadLeavesAWorkingCopyOfThePattern) {
    settings.SetParameter(ConfigParameter("tune_xml_file", "old.xml"));
    const QString pattern = dir.File("patterns/panel one.xml");
    dir.Write("patterns/panel one.xml", "<system_environment_configuration/>");
    dir.Write("tune_xml.tmp", "stale copy");
    TunePathSettings dialog(&settings, nullptr);
    const int result = Run(dialog, [&] {
        dialog.Form().lineXmlPath->setText(pattern);
        dialog.Form().buttonDownload->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(dialog.DownloadChosen());
    EXPECT_EQ(Stored("tune_xml_file"), pattern.toStdString());
    // The file was saved before the new pattern went into the settings.
    EXPECT_TRUE(dir.Read("config.ini").contains("tune_xml_file=old.xml"));
    EXPECT_EQ(dir.Read("tune_xml.tmp"), "<system_environment_configuration/>");
    EXPECT_TRUE(Log().contains("Download app&eep vmx files for tuning"));
}

TEST_F(TunePathSettingsTest, TheWorkingCopyIsReplacedOnlyByAReadablePattern) {
    dir.Write("tune_xml.tmp", "working copy");
    // No pattern: the dialog closes and the working copy stays.
    {
        TunePathSettings dialog(&settings, nullptr);
        EXPECT_EQ(Run(dialog, [&] { dialog.Form().buttonEnter->click(); }), QDialog::Accepted);
        EXPECT_EQ(dir.Read("tune_xml.tmp"), "working copy");
    }
    // One that cannot be read, or one the disk has no room for: the engineer
    // is told why and the dialog stays open.
    dir.Write("large.xml", QByteArray(8192, ' ') + "<system_environment_configuration/>");
    const std::tuple<QString, QString, rlim_t> failures[] = {
        {dir.File("missing.xml"), "No such file or directory", RLIM_INFINITY},
        {dir.File("large.xml"), QString::fromLocal8Bit(std::strerror(EFBIG)), 4096},
    };
    for (const auto& [pattern, reason, sizeLimit] : failures) {
        for (QPushButton* Ui::TunePathSettings::*button :
             {&Ui::TunePathSettings::buttonEnter, &Ui::TunePathSettings::buttonDownload}) {
            settings.SetParameter(ConfigParameter("tune_xml_file", "old.xml"));
            TunePathSettings dialog(&settings, nullptr);
            MessageBoxCatcher boxes;
            dialog.Form().lineXmlPath->setText(pattern);
            dialog.show();
            {
                FileSizeLimit limit(sizeLimit);
                (dialog.Form().*button)->click();
            }
            ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }));
            EXPECT_EQ(boxes.Titles(), QStringList{"Copy failed..."});
            EXPECT_TRUE(boxes.Boxes()[0].text.contains(pattern));
            EXPECT_TRUE(boxes.Boxes()[0].text.contains(reason))
                << boxes.Boxes()[0].text.toStdString();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_FALSE(dialog.DownloadChosen());
            EXPECT_EQ(Stored("tune_xml_file"), "old.xml");
            EXPECT_EQ(dir.Read("tune_xml.tmp"), "working copy");
        }
    }
    EXPECT_EQ(QDir(dir.Path()).entryList({"tune_xml.tmp*"}, QDir::Files).size(), 1);
    EXPECT_TRUE(Log().contains("File copy failed"));

    const QString refused[] = {"", dir.File("tune_xml.tmp"), dir.Path() + "/./tune_xml.tmp"};
    for (const QString& pattern : refused) {
        TunePathSettings dialog(&settings, nullptr);
        MessageBoxCatcher boxes;
        dialog.Form().lineXmlPath->setText(pattern);
        dialog.show();
        dialog.Form().buttonDownload->click();
        ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }));
        EXPECT_EQ(boxes.Titles(), QStringList{"File Path set error..."});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.DownloadChosen());
        EXPECT_EQ(dir.Read("tune_xml.tmp"), "working copy");
    }
}

TEST_F(TunePathSettingsTest, TheConfigurationToolGetsThePatternOrAClearFailure) {
    TunePathSettings dialog(&settings, nullptr);
    MessageBoxCatcher boxes;
    dialog.Form().buttonCheckPattern->click();
    PumpUntil([&] { return !boxes.Boxes().empty(); });
    ASSERT_EQ(boxes.Titles(), QStringList{"Start ZeltoConfig Fail..."});
    EXPECT_EQ(boxes.Boxes()[0].text, "Please input the pattern file path first!");

    // Not installed beside the program.
    dialog.Form().lineXmlPath->setText("/p/panel.xml");
    dialog.Form().buttonCheckPattern->click();
    ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() == 2; }));
    EXPECT_EQ(boxes.Boxes()[1].text,
              "Start ZeltoConfig.exe fail, make sure it's in the current folder!");
    EXPECT_TRUE(Log().contains("Check pattern with 'Zelto Config' fail"));

    // Installed: each press starts it once more with the pattern as its argument.
    ASSERT_TRUE(FakeProgram::WriteRecorder(dir.File("ZeltoConfig.exe"), dir.File("calls.txt")));
    dialog.Form().buttonCheckPattern->click();
    dialog.Form().buttonCheckPattern->click();
    EXPECT_TRUE(PumpUntil([&] { return dir.Read("calls.txt") == "/p/panel.xml\n/p/panel.xml\n"; }));
    PumpFor(50);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

QStringList LabelColours(TuningStart& dialog) {
    QStringList colours;
    for (QLabel* label : dialog.Form().frameConditions->findChildren<QLabel*>()) {
        colours << label->styleSheet();
    }
    return colours;
}

TEST(TuningStartTest, StartIsPossibleOnlyWithEveryConditionTicked) {
    TuningStart dialog(nullptr);
    Ui_TuningStart& ui = dialog.Form();
    EXPECT_EQ(LabelColours(dialog), QStringList(7, "color:red;"));
    // Any order; the last tick enables the start and ticks "Everything ready".
    const QList<QCheckBox*> boxes = {ui.checkConditionFirst, ui.checkConditionSecond,
                                     ui.checkConditionThird, ui.checkConditionFourth,
                                     ui.checkConditionFifth, ui.checkConditionSixth};
    for (int i : {4, 0, 5, 2, 1}) {
        boxes[i]->click();
        EXPECT_FALSE(ui.buttonStart->isEnabled());
    }
    EXPECT_EQ(ui.labelConditionFifth->styleSheet(), "color:green;");
    boxes[3]->click();
    EXPECT_TRUE(ui.buttonStart->isEnabled());
    EXPECT_TRUE(ui.checkReadyAll->isChecked());
    EXPECT_EQ(LabelColours(dialog), QStringList(7, "color:green;"));
    // Unticking one takes it back; "Everything ready" sets them all.
    boxes[2]->click();
    EXPECT_FALSE(ui.buttonStart->isEnabled());
    EXPECT_FALSE(ui.checkReadyAll->isChecked());
    EXPECT_EQ(ui.labelReadyAll->styleSheet(), "color:red;");
    ui.checkReadyAll->click();
    EXPECT_TRUE(boxes[2]->isChecked());
    EXPECT_TRUE(ui.buttonStart->isEnabled());
    QTimer::singleShot(0, &dialog, [&] { ui.buttonStart->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

}  // namespace
