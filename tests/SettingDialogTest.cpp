#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <memory>
#include <string>

#include "ModalCloser.h"
#include "SettingDialog.h"
#include "Settings.h"
#include "TempProgramDir.h"

namespace {

// One row per conversion rule and range edge (not every key): stored text ->
// the widget it reaches -> the text an accepted dialog writes; last, what it
// writes when the store held no such key.
struct RoundTrip {
    const char* key;
    const char* stored;
    const char* widget;
    const char* written;
    const char* missing;
};

const RoundTrip kRoundTrips[] = {
    {"y_res", "12.7", "yResSpinBox", "1", "7168"},  // not one whole number: 0, raised to 1
    {"rawdata_min", "-301", "rawdataMin_spinBox", "-300", "0"},
    {"x_reverse", "True", "comboXReverse", "True", "False"},
    {"y_reverse", "true", "comboYReverse", "False", "False"},
    {"MasterVersion", "V2.10", "master_lineEdit", "V2.10", ""},
    {"Debug_time", "45", "debugTime_spinBox", "30", "0"},
    {"Jitter_time", "12abc", "jitterTime_spinBox", "12", "0"},
    {"jitter_x_threshold", "1.5", "jitter_x_threshold_spinner", "1.50", "0.00"},
    {"jitter_y_threshold", "150", "jitter_y_threshold_spinner", "99.99", "0.00"},
    {"Button_rawdata_time", "abc", "buttonRawdataTime_spinBox", "0", "0"},
    {"Reset_time", " 4", "reset_time_spinner", "4", "0"},
    {"ModeSwitch/debug_mode", "2", "", "1", "0"},
    {"ModeSwitch/raster_x_mode", "abc", "", "0", "0"},
    {"ModeSwitch/disconnection_test", "3", "", "1", "0"},
};

QString ShownText(QWidget* widget) {
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
        return spin->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return QStringLiteral("<unknown widget>");
}

class SettingDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingDialog> Open() {
        return std::make_unique<SettingDialog>(&settings, nullptr);
    }

    void Store(const char* key, const char* value) {
        settings.SetParameter(ConfigParameter(key, value));
    }

    // What config.ini holds for `key`, checked against the store.
    std::string Saved(const char* key) const {
        Settings file;
        file.Load(dir.File("config.ini").toLocal8Bit().constData());
        ConfigParameter parameter("", "<missing>");
        file.GetParameter(key, parameter);
        return parameter.GetValue();
    }

    TempProgramDir dir;
    Settings settings;
};

TEST_F(SettingDialogTest, EveryKeyLoadsIntoItsWidgetAndIsWrittenBack) {
    auto empty = Open();
    empty->findChild<QPushButton*>("buttonSet")->click();
    EXPECT_EQ(empty->result(), QDialog::Accepted);
    EXPECT_EQ(settings.GetParameters().size(), 49u);
    for (const RoundTrip& r : kRoundTrips) {
        EXPECT_EQ(Saved(r.key), r.missing) << r.key;
        Store(r.key, r.stored);
    }
    Store("port_bit_rate", "460800");
    Store("normal_xml_file", "panel.xml");      // this session's only: never written
    Store("ModeSwitch/b_singleRaw_mode", "5");  // no switch of its own: left alone
    auto dialog = Open();
    for (const RoundTrip& r : kRoundTrips) {
        if (*r.widget != '\0') {
            EXPECT_EQ(ShownText(dialog->findChild<QWidget*>(r.widget)), r.written) << r.key;
        }
    }
    dialog->accept();
    for (const RoundTrip& r : kRoundTrips) {
        EXPECT_EQ(settings.GetValue(r.key), r.written) << r.key;
        EXPECT_EQ(Saved(r.key), r.written) << r.key;
    }
    EXPECT_EQ(Saved("port_bit_rate"), "460800");
    EXPECT_EQ(Saved("normal_xml_file"), "<missing>");
    EXPECT_EQ(Saved("ModeSwitch/b_singleRaw_mode"), "5");
}

TEST_F(SettingDialogTest, DecimalPointWhateverTheLocaleAndRejectKeepsAll) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Store("jitter_x_threshold", "2.5");
    auto dialog = Open();
    QLocale::setDefault(previous);
    EXPECT_EQ(ShownText(dialog->findChild<QWidget*>("jitter_x_threshold_spinner")), "2.50");
    dialog->accept();
    EXPECT_EQ(settings.GetValue("jitter_x_threshold"), "2.50");

    dir.Write("config.ini", "kept");
    auto rejected = Open();
    rejected->findChild<QSpinBox*>("debugTime_spinBox")->setValue(20);
    rejected->reject();
    EXPECT_EQ(settings.GetValue("Debug_time"), "0");
    EXPECT_EQ(dir.Read("config.ini"), "kept");
}

// The store keeps the operator's changes and the dialog stays open when
// config.ini cannot be written; before, it closed as if all had been saved.
TEST_F(SettingDialogTest, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    QDir(dir.Path()).mkdir("config.ini");  // a folder where the file should be
    auto dialog = Open();
    dialog->show();
    dialog->findChild<QSpinBox*>("debugTime_spinBox")->setValue(20);
    ModalCloser boxes;
    auto* set = dialog->findChild<QPushButton*>("buttonSet");
    set->click();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Save Error");
    EXPECT_TRUE(boxes.Boxes()[0].text.contains("config.ini"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(settings.GetValue("Debug_time"), "20");

    QDir(dir.Path()).rmdir("config.ini");
    set->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Saved("Debug_time"), "20");
}

}  // namespace
