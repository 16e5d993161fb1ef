#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>

#include <map>
#include <memory>
#include <string>

#include "SettingDialog.h"
#include "Settings.h"
#include "TempProgramDir.h"

namespace {

const QStringList kItems = {
    "Normal",    "Debug",         "ATTB",           "RasterX",          "RasterY",
    "SingleRaw", "Linearity",     "Border",         "Precise",          "Jitter",
    "Reset",     "Button Normal", "Button Rawdata", "Button Single Raw"};

const char* const kSwitches[] = {
    "ModeSwitch/normal_mode",       "ModeSwitch/debug_mode",    "ModeSwitch/attb_mode",
    "ModeSwitch/raster_x_mode",     "ModeSwitch/raster_y_mode", "ModeSwitch/linearity_mode",
    "ModeSwitch/border_mode",       "ModeSwitch/precise_mode",  "ModeSwitch/jitter_mode",
    "ModeSwitch/reset_mode",        "ModeSwitch/b_normal_mode", "ModeSwitch/b_debug_mode",
    "ModeSwitch/disconnection_test"};

// What an accepted dialog writes for every key when the store held none.
const std::map<std::string, std::string> kWrittenForEmptyStore = {
    {"x_res", "12800"},
    {"y_res", "7168"},
    {"x_reverse", "False"},
    {"y_reverse", "False"},
    {"MasterVersion", ""},
    {"SlaveVersion", ""},
    {"Debug_time", "0"},
    {"Jitter_time", "0"},
    {"jitter_x_threshold", "0.00"},
    {"jitter_y_threshold", "0.00"},
    {"disconnect_test_period", "0"},
    {"Attb_time", "0"},
    {"rawdata_max", "0"},
    {"rawdata_min", "0"},
    {"raster_x_max", "0"},
    {"raster_x_min", "0"},
    {"raster_x_edge_max", "0"},
    {"raster_x_edge_min", "0"},
    {"raster_y_max", "0"},
    {"raster_y_min", "0"},
    {"raster_y_edge_max", "0"},
    {"raster_y_edge_min", "0"},
    {"Raster_x_time", "0"},
    {"Raster_y_time", "0"},
    {"button_number", "1"},
    {"line_width", "1"},
    {"Linearity_time", "0"},
    {"border_width", "1"},
    {"Border_time", "0"},
    {"circle_radius", "1"},
    {"Precise_time", "0"},
    {"Button_normal_time", "0"},
    {"b_rawdata_max", "0"},
    {"b_rawdata_min", "0"},
    {"Button_rawdata_time", "0"},
    {"Reset_time", "0"},
};

// Stored text -> the widget it reaches -> the text an accepted dialog writes.
struct RoundTrip {
    const char* key;
    const char* stored;
    const char* widget;
    const char* shown;
    const char* written;
};

const RoundTrip kRoundTrips[] = {
    {"x_res", "1024", "xResSpinBox", "1024", "1024"},
    {"y_res", "12.7", "yResSpinBox", "1", "1"},  // not one whole number: 0, raised to 1
    {"x_reverse", "True", "comboXReverse", "True", "True"},
    {"y_reverse", "true", "comboYReverse", "False", "False"},
    {"MasterVersion", "V2.10", "master_lineEdit", "V2.10", "V2.10"},
    {"SlaveVersion", "S 1.0", "slave_lineEdit", "S 1.0", "S 1.0"},
    {"Debug_time", "45", "debugTime_spinBox", "30", "30"},
    {"Jitter_time", "12abc", "jitterTime_spinBox", "12", "12"},
    {"jitter_x_threshold", "1.5", "jitter_x_threshold_spinner", "1.50", "1.50"},
    {"jitter_y_threshold", "150", "jitter_y_threshold_spinner", "99.99", "99.99"},
    {"disconnect_test_period", "7", "disconnection_time_spinner", "7", "7"},
    {"Attb_time", "120", "attb_time_spinner", "99", "99"},
    {"rawdata_max", "-120", "rawdataMax_spinBox", "-120", "-120"},
    {"rawdata_min", "-301", "rawdataMin_spinBox", "-300", "-300"},
    {"raster_x_max", "450", "rasterXMax_spinBox", "450", "450"},
    {"raster_x_min", "-450", "rasterXMin_spinBox", "-450", "-450"},
    {"raster_x_edge_max", "12", "rasterEdgeXMax_spinBox", "12", "12"},
    {"raster_x_edge_min", "-10", "rasterEdgeXMin_spinBox", "0", "0"},
    {"raster_y_max", "401", "rasterYMax_spinBox", "401", "401"},
    {"raster_y_min", "-401", "rasterYMin_spinBox", "-401", "-401"},
    {"raster_y_edge_max", "13", "rasterEdgeYMax_spinBox", "13", "13"},
    {"raster_y_edge_min", "3", "rasterEdgeYMin_spinBox", "3", "3"},
    {"Raster_x_time", "5", "rasterXTime_spinBox", "5", "5"},
    {"Raster_y_time", "6", "rasterYTime_spinBox", "6", "6"},
    {"button_number", "3", "buttonNumber_spinBox", "3", "3"},
    {"line_width", "150", "lineWidth_spinBox", "150", "150"},
    {"Linearity_time", "8", "linearityTime_spinBox", "8", "8"},
    {"border_width", "101", "borderWidth_spinBox", "100", "100"},
    {"Border_time", "9", "borderTime_spinBox", "9", "9"},
    {"circle_radius", "0", "circleRadius_spinBox", "1", "1"},
    {"Precise_time", "10", "preciseTime_spinBox", "10", "10"},
    {"Button_normal_time", "11", "buttonNormalTime_spinBox", "11", "11"},
    {"b_rawdata_max", "200", "buttonRawdataMax_spinBox", "200", "200"},
    {"b_rawdata_min", "-200", "buttonRawdataMin_spinBox", "-200", "-200"},
    {"Button_rawdata_time", "abc", "buttonRawdataTime_spinBox", "0", "0"},
    {"Reset_time", " 4", "reset_time_spinner", "4", "4"},
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

TEST_F(SettingDialogTest, FormHasItsTabsItemsAndPages) {
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "SettingDialog");
    EXPECT_EQ(dialog->font().family(), "Tahoma");
    EXPECT_EQ(Find<QPushButton>(*dialog, "buttonSet")->text(), "Set");
    auto* tabs = Find<QTabWidget>(*dialog, "setting_tabWidget");
    EXPECT_EQ(tabs->tabText(0), "Basic Settings");
    EXPECT_EQ(tabs->tabText(1), "Test Items ");
    EXPECT_EQ(tabs->currentIndex(), 0);

    QListWidget* list = List(*dialog);
    ASSERT_EQ(list->count(), 14);
    for (int row = 0; row < 14; ++row) {
        EXPECT_EQ(list->item(row)->text(), kItems[row]);
        EXPECT_EQ(list->item(row)->checkState(), Qt::Unchecked);
        EXPECT_TRUE(list->item(row)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_EQ(list->item(row)->isHidden(), row == 5 || row == 13) << row;
    }
    for (const char* hidden :
         {"rawdataBase_spinBox", "rawdataFluctuation_spinBox", "rawdataOffset_spinBox",
          "rawdataBase_label", "rawdataFluctuation_label", "rawdataOffset_label"}) {
        EXPECT_TRUE(Find<QWidget>(*dialog, hidden)->isHidden()) << hidden;
    }
    EXPECT_FALSE(Find<QWidget>(*dialog, "rawdataMax_spinBox")->isHidden());

    auto* pages = Find<QStackedWidget>(*dialog, "stackedWidget");
    ASSERT_EQ(pages->count(), 14);
    list->setCurrentRow(12);
    EXPECT_EQ(pages->currentWidget()->objectName(), "buttonRawdata_page");
    EXPECT_EQ(Find<QLabel>(*dialog, "label_21")->text(), "Button RawData Max:");
    list->setCurrentRow(0);
    EXPECT_EQ(pages->currentWidget()->objectName(), "normal_page");
    EXPECT_TRUE(pages->currentWidget()->children().isEmpty());
}

TEST_F(SettingDialogTest, LabelsAndRangesOfTheBoxes) {
    auto dialog = Open();
    struct Range {
        const char* box;
        int min, max, initial;
    };
    for (const Range& r : {Range{"xResSpinBox", 1, 99999, 12800},
                           {"yResSpinBox", 1, 99999, 7168},
                           {"rawdataMax_spinBox", -300, 300, 0},
                           {"debugTime_spinBox", 0, 30, 0},
                           {"attb_time_spinner", 0, 99, 0},
                           {"rasterXMax_spinBox", -500, 500, 0},
                           {"rasterEdgeXMin_spinBox", 0, 99, 0},
                           {"rasterYTime_spinBox", 0, 30, 0},
                           {"singleraw_spinBox", -255, 255, -200},
                           {"lineWidth_spinBox", 1, 200, 1},
                           {"borderWidth_spinBox", 1, 100, 1},
                           {"circleRadius_spinBox", 1, 80, 1},
                           {"jitterTime_spinBox", 0, 99, 0},
                           {"disconnection_time_spinner", 0, 99, 0},
                           {"reset_time_spinner", 0, 99, 0},
                           {"buttonNumber_spinBox", 1, 8, 1},
                           {"buttonRawdataMin_spinBox", -300, 300, 0},
                           {"b_singleraw_spinBox", -255, 255, 0}}) {
        auto* box = Find<QSpinBox>(*dialog, r.box);
        EXPECT_EQ(box->minimum(), r.min) << r.box;
        EXPECT_EQ(box->maximum(), r.max) << r.box;
        EXPECT_EQ(box->value(), r.initial) << r.box;
    }
    auto* threshold = Find<QDoubleSpinBox>(*dialog, "jitter_x_threshold_spinner");
    EXPECT_EQ(threshold->decimals(), 2);
    EXPECT_DOUBLE_EQ(threshold->maximum(), 99.99);
    EXPECT_DOUBLE_EQ(threshold->singleStep(), 1.0);
    threshold->setValue(1.237);
    EXPECT_EQ(threshold->text(), "1.24");

    EXPECT_EQ(Find<QLabel>(*dialog, "label_14")->text(), "Test Time");  // no colon here
    EXPECT_EQ(Find<QLabel>(*dialog, "label_16")->text(), "Test Time:");
    EXPECT_EQ(Find<QLabel>(*dialog, "label_29")->text(), "Disconnection Test Period:");
    EXPECT_EQ(Find<QLabel>(*dialog, "label_29")->font().pointSize(), 8);
    EXPECT_EQ(Find<QCheckBox>(*dialog, "disconnectCheckBox")->text(), "Disconnection Test");
    EXPECT_EQ(Find<QComboBox>(*dialog, "comboYReverse")->itemText(1), "True");
}

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
    for (const auto& [key, value] : kWrittenForEmptyStore) {
        EXPECT_EQ(settings.GetValue(key.c_str()), value) << key;
        EXPECT_EQ(Saved(key.c_str()), value) << key;
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

TEST_F(SettingDialogTest, TooManyButtonsAreCutInTheStoreAtOnce) {
    Store("button_number", "12");
    auto dialog = Open();
    EXPECT_EQ(settings.GetValue("button_number"), "8");
    EXPECT_EQ(Find<QSpinBox>(*dialog, "buttonNumber_spinBox")->value(), 8);
    dialog->reject();
    EXPECT_EQ(settings.GetValue("button_number"), "8");
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

}  // namespace
