#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <map>
#include <memory>
#include <string>

#include "ModalCloser.h"
#include "SettingDialog.h"
#include "Settings.h"
#include "TempProgramDir.h"

namespace {

const char* const kSwitches[] = {
    "ModeSwitch/normal_mode",       "ModeSwitch/debug_mode",    "ModeSwitch/attb_mode",
    "ModeSwitch/raster_x_mode",     "ModeSwitch/raster_y_mode", "ModeSwitch/linearity_mode",
    "ModeSwitch/border_mode",       "ModeSwitch/precise_mode",  "ModeSwitch/jitter_mode",
    "ModeSwitch/reset_mode",        "ModeSwitch/b_normal_mode", "ModeSwitch/b_debug_mode",
    "ModeSwitch/disconnection_test"};

// One row per conversion rule and range edge (not every key): stored text ->
// the widget it reaches -> the text an accepted dialog writes; last, what it
// writes when the store held no such key.
struct RoundTrip {
    const char* key;
    const char* stored;
    const char* widget;
    const char* shown;
    const char* written;
    const char* missing;
};

const RoundTrip kRoundTrips[] = {
    {"x_res", "1024", "xResSpinBox", "1024", "1024", "12800"},
    {"y_res", "12.7", "yResSpinBox", "1", "1", "7168"},  // not one whole number: 0, raised to 1
    {"x_reverse", "True", "comboXReverse", "True", "True", "False"},
    {"y_reverse", "true", "comboYReverse", "False", "False", "False"},
    {"MasterVersion", "V2.10", "master_lineEdit", "V2.10", "V2.10", ""},
    {"Debug_time", "45", "debugTime_spinBox", "30", "30", "0"},
    {"Jitter_time", "12abc", "jitterTime_spinBox", "12", "12", "0"},
    {"jitter_x_threshold", "1.5", "jitter_x_threshold_spinner", "1.50", "1.50", "0.00"},
    {"jitter_y_threshold", "150", "jitter_y_threshold_spinner", "99.99", "99.99", "0.00"},
    {"rawdata_min", "-301", "rawdataMin_spinBox", "-300", "-300", "0"},
    {"button_number", "3", "buttonNumber_spinBox", "3", "3", "1"},
    {"circle_radius", "0", "circleRadius_spinBox", "1", "1", "1"},
    {"Button_rawdata_time", "abc", "buttonRawdataTime_spinBox", "0", "0", "0"},
    {"Reset_time", " 4", "reset_time_spinner", "4", "4", "0"},
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

    template <typename W>
    static W* Find(SettingDialog& dialog, const char* name) {
        W* widget = dialog.findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QListWidget* List(SettingDialog& dialog) {
        return Find<QListWidget>(dialog, "listWidget");
    }

    void Store(const char* key, const char* value) {
        settings.SetParameter(ConfigParameter(key, value));
    }

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

TEST_F(SettingDialogTest, DecimalPointWhateverTheSystemLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Store("jitter_x_threshold", "2.5");
    auto dialog = Open();
    QLocale::setDefault(previous);
    EXPECT_EQ(Find<QDoubleSpinBox>(*dialog, "jitter_x_threshold_spinner")->text(), "2.50");
    dialog->accept();
    EXPECT_EQ(settings.GetValue("jitter_x_threshold"), "2.50");
}

TEST_F(SettingDialogTest, EmptyStoreWritesEveryKeyWithTheFormsValues) {
    auto dialog = Open();
    EXPECT_EQ(Find<QComboBox>(*dialog, "comboXReverse")->currentText(), "False");
    Find<QPushButton>(*dialog, "buttonSet")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (const RoundTrip& r : kRoundTrips) {
        EXPECT_EQ(settings.GetValue(r.key), r.missing) << r.key;
        EXPECT_EQ(Saved(r.key), r.missing) << r.key;
    }
    for (const char* key : kSwitches) {
        EXPECT_EQ(settings.GetValue(key), "0") << key;
        EXPECT_EQ(Saved(key), "0") << key;
    }
    EXPECT_EQ(settings.GetParameters().size(), 49u);
    EXPECT_TRUE(dir.Read("config.ini").contains("[ModeSwitch]"));
}

TEST_F(SettingDialogTest, EveryKeyLoadsIntoItsWidgetAndIsWrittenBack) {
    for (const RoundTrip& r : kRoundTrips) {
        Store(r.key, r.stored);
    }
    auto dialog = Open();
    for (const RoundTrip& r : kRoundTrips) {
        EXPECT_EQ(ShownText(Find<QWidget>(*dialog, r.widget)), r.shown) << r.key;
    }
    dialog->accept();
    for (const RoundTrip& r : kRoundTrips) {
        EXPECT_EQ(settings.GetValue(r.key), r.written) << r.key;
        EXPECT_EQ(Saved(r.key), r.written) << r.key;
    }
}

TEST_F(SettingDialogTest, SwitchesAreOnForAnyNumberButZero) {
    const char* stored[] = {"1", "2", "-1", "0", "abc", "1", "0", "7", "0", "1", "0", "1", "3"};
    for (size_t i = 0; i < 13; ++i) {
        Store(kSwitches[i], stored[i]);
    }
    Store("ModeSwitch/singleRaw_mode", "1");
    Store("ModeSwitch/b_singleRaw_mode", "5");
    auto dialog = Open();
    const int rows[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12};
    for (size_t i = 0; i < 12; ++i) {
        const bool on = stored[i] != std::string("0") && stored[i] != std::string("abc");
        EXPECT_EQ(List(*dialog)->item(rows[i])->checkState(), on ? Qt::Checked : Qt::Unchecked)
            << kSwitches[i];
    }
    EXPECT_TRUE(Find<QCheckBox>(*dialog, "disconnectCheckBox")->isChecked());

    List(*dialog)->item(12)->setCheckState(Qt::Unchecked);  // "Button Rawdata"
    List(*dialog)->item(3)->setCheckState(Qt::Checked);
    dialog->accept();
    EXPECT_EQ(settings.GetValue("ModeSwitch/b_debug_mode"), "0");
    EXPECT_EQ(Saved("ModeSwitch/raster_x_mode"), "1");
    EXPECT_EQ(Saved("ModeSwitch/debug_mode"), "1");
    EXPECT_EQ(Saved("ModeSwitch/attb_mode"), "1");
    EXPECT_EQ(Saved("ModeSwitch/normal_mode"), "1");
    EXPECT_EQ(Saved("ModeSwitch/raster_y_mode"), "0");
    EXPECT_EQ(Saved("ModeSwitch/disconnection_test"), "1");
    // Items without a switch of their own leave their keys alone.
    EXPECT_EQ(Saved("ModeSwitch/singleRaw_mode"), "1");
    EXPECT_EQ(Saved("ModeSwitch/b_singleRaw_mode"), "5");
}

TEST_F(SettingDialogTest, RejectStoresAndSavesNothing) {
    Store("Debug_time", "5");
    Store("normal_xml_file", "panel.xml");
    auto dialog = Open();
    Find<QSpinBox>(*dialog, "debugTime_spinBox")->setValue(20);
    Find<QLineEdit>(*dialog, "master_lineEdit")->setText("V9");
    dialog->reject();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(settings.GetValue("Debug_time"), "5");
    EXPECT_EQ(settings.GetParameters().size(), 2u);
    EXPECT_FALSE(QFile::exists(dir.File("config.ini")));
}

TEST_F(SettingDialogTest, AcceptKeepsOtherKeysAndAnEmptiedVersion) {
    Store("MasterVersion", "V1.0");
    Store("port_bit_rate", "460800");
    Store("normal_xml_file", "panel.xml");  // this session's only: never written
    auto dialog = Open();
    Find<QLineEdit>(*dialog, "master_lineEdit")->clear();
    dialog->accept();
    ConfigParameter version;
    ASSERT_TRUE(settings.GetParameter("MasterVersion", version));
    EXPECT_EQ(version.GetValue(), "");
    EXPECT_EQ(Saved("MasterVersion"), "");
    EXPECT_EQ(Saved("port_bit_rate"), "460800");
    EXPECT_EQ(Saved("normal_xml_file"), "<missing>");
}

// The store keeps the operator's changes and the dialog stays open when
// config.ini cannot be written; before, it closed as if all had been saved.
TEST_F(SettingDialogTest, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    QDir(dir.Path()).mkdir("config.ini");  // a folder where the file should be
    auto dialog = Open();
    dialog->show();
    Find<QSpinBox>(*dialog, "debugTime_spinBox")->setValue(20);
    ModalCloser boxes;
    Find<QPushButton>(*dialog, "buttonSet")->click();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Save Error");
    EXPECT_TRUE(boxes.Boxes()[0].text.contains("config.ini"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(settings.GetValue("Debug_time"), "20");

    QDir(dir.Path()).rmdir("config.ini");
    Find<QPushButton>(*dialog, "buttonSet")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Saved("Debug_time"), "20");
}

}  // namespace
