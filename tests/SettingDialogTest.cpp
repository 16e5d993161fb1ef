#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "ModalCloser.h"
#include "SettingDialog.h"
#include "Settings.h"
#include "TempProgramDir.h"
#include "ThresholdSettingDialog.h"
#include "ZeltorThresholdSettingDialog.h"

namespace {

// One row per conversion rule and range edge (not every key): stored text ->
// the text an accepted dialog writes; last, what it writes when the store held
// no such key.
struct RoundTrip {
    const char* key;
    const char* stored;
    const char* written;
    const char* missing;
};

const RoundTrip kRoundTrips[] = {
    {"y_res", "12.7", "1", "7168"},  // not one whole number: 0, raised to 1
    {"rawdata_min", "-301", "-300", "0"},
    {"x_reverse", "True", "True", "False"},
    {"y_reverse", "true", "False", "False"},
    {"MasterVersion", "V2.10", "V2.10", ""},
    {"Debug_time", "45", "30", "0"},
    {"Jitter_time", "12abc", "12", "0"},
    {"jitter_x_threshold", "1.5", "1.50", "0.00"},
    {"jitter_y_threshold", "150", "99.99", "0.00"},
    {"Button_rawdata_time", "abc", "0", "0"},
    {"Reset_time", " 4", "4", "0"},
    {"ModeSwitch/debug_mode", "2", "1", "0"},
    {"ModeSwitch/raster_x_mode", "abc", "0", "0"},
    {"ModeSwitch/disconnection_test", "3", "1", "0"},
};

class SettingDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingDialog> Open() {
        return std::make_unique<SettingDialog>(&settings, nullptr);
    }

    void Store(const char* key, const std::string& value) {
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

TEST_F(SettingDialogTest, EachConversionRuleHoldsFromTheStoreToTheFile) {
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
    EXPECT_EQ(dialog->findChild<QAbstractSpinBox*>("jitter_x_threshold_spinner")->text(), "2.50");
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

using Table = std::vector<std::vector<int> >;

// The two threshold-table dialogs: max/min rows, and base/fluctuation/shift rows.
template <class Dialog>
class ThresholdDialogTest : public SettingDialogTest {
protected:
    std::unique_ptr<Dialog> Open(int x, int y) {
        Store("x_electrodes", std::to_string(x));
        Store("y_electrodes", std::to_string(y));
        return std::make_unique<Dialog>(&settings, nullptr);
    }

    static QString Cell(Dialog& dialog, int row, int column) {
        const QTableWidgetItem* item = Grid(dialog)->item(row, column);
        return item == nullptr ? QStringLiteral("<none>") : item->text();
    }

    // As the operator types into a cell: the item is created when missing.
    static void Type(Dialog& dialog, int row, int column, const QString& text) {
        if (QTableWidgetItem* item = Grid(dialog)->item(row, column)) {
            item->setText(text);
        } else {
            Grid(dialog)->setItem(row, column, new QTableWidgetItem(text));
        }
    }

    static void Click(Dialog& dialog, const char* button) {
        dialog.template findChild<QPushButton*>(button)->click();
    }

    // Imports `text` as the file the operator picks (an empty name cancels the
    // file dialog); returns the texts of the message boxes shown.
    QString Import(Dialog& dialog, const QString& name, const QByteArray& text) {
        const QString path = name.isEmpty() ? QString() : _elsewhere.path() + '/' + name;
        QFile file(path);
        EXPECT_TRUE(name.isEmpty() ||
                    (file.open(QIODevice::WriteOnly) && file.write(text) == text.size()));
        file.close();
        ModalCloser closer;
        closer.ChooseFile(path);
        Click(dialog, "import_pushButton");
        EXPECT_EQ(closer.FileDialogs(), 1);
        QString messages;
        for (const auto& box : closer.Boxes()) {
            messages += box.text;
        }
        return messages;
    }

private:
    static QTableWidget* Grid(Dialog& dialog) {
        return dialog.template findChild<QTableWidget*>("rawdata_tableWidget");
    }

    QTemporaryDir _elsewhere;
};

using ThresholdSettingDialogTest = ThresholdDialogTest<ThresholdSettingDialog>;
using ZeltorThresholdSettingDialogTest = ThresholdDialogTest<ZeltorThresholdSettingDialog>;

TEST_F(ThresholdSettingDialogTest, DefaultsOrEditsAreSavedAsTypedAndReadBack) {
    Store("rawdata_min", "-7x");
    auto dialog = Open(3, 2);
    EXPECT_EQ(Cell(*dialog, 0, 2), "X2");
    EXPECT_EQ(Cell(*dialog, 3, 2), "<none>");  // the shorter side stays empty
    EXPECT_EQ(Cell(*dialog, 5, 1), "-7");
    EXPECT_FALSE(QFile::exists(dir.File("X3Y2.txt"))) << "loading never creates the file";
    Type(*dialog, 1, 0, "-5");   // a maximum below its minimum is kept
    Type(*dialog, 2, 2, "abc");  // not a number: 0
    Type(*dialog, 5, 2, "7");    // beyond the Y count: ignored
    Click(*dialog, "save_pushButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dir.Read("X3Y2.txt"), "-5,80,80,\r\n-7,-7,0,\r\n80,80,\r\n-7,-7,");
    EXPECT_EQ(Open(3, 2)->getThresholdValues(), settings.LoadThresholds());
    EXPECT_EQ(Open(4, 2)->getThresholdValues()[0], std::vector<int>(4, 80)) << "its own file";
}

TEST_F(ThresholdSettingDialogTest, ImportSavesAValidFileOnlyAndStaysOpen) {
    auto dialog = Open(3, 2);
    EXPECT_TRUE(Import(*dialog, "wrong.txt", "1,2,\r\n3,4,\r\n5,6,\r\n7,8,").contains("wrong.txt"));
    EXPECT_EQ(Cell(*dialog, 1, 0), "80");
    EXPECT_TRUE(Import(*dialog, "", "").isEmpty());  // cancelled
    EXPECT_FALSE(QFile::exists(dir.File("X3Y2.txt")));

    const QByteArray text = "10,20,30,\r\n-1,-2,-3,\r\n40,50,\r\n-4,-5,";
    EXPECT_TRUE(Import(*dialog, "limits.txt", text).isEmpty());
    EXPECT_EQ(Cell(*dialog, 1, 2), "30");
    EXPECT_EQ(dir.Read("X3Y2.txt"), text);
    EXPECT_EQ(dialog->result(), 0);  // still open: the import is saved, edits are not
}

TEST_F(ThresholdSettingDialogTest, UnwritableFileIsReportedAndTheDialogStaysOpen) {
    ASSERT_TRUE(QDir(dir.Path()).mkdir("X3Y2.txt"));  // a folder where the file should go
    auto dialog = Open(3, 2);
    Type(*dialog, 1, 0, "55");
    ModalCloser closer;
    Click(*dialog, "save_pushButton");
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_TRUE(closer.Boxes()[0].text.contains("cannot be written"));
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_EQ(Cell(*dialog, 1, 0), "55");  // the edit is still there to save elsewhere
}

TEST_F(ZeltorThresholdSettingDialogTest, AllChannelsEntryFillsItsRowAndSaveWritesSixLines) {
    Store("rawdata_base", "5");
    Store("rawdata_fluctuation", "12");
    auto dialog = Open(3, 2);
    EXPECT_EQ(Cell(*dialog, 0, 0), "All");
    EXPECT_EQ(Cell(*dialog, 7, 3), "<none>");  // the shorter side stays empty
    Type(*dialog, 3, 0, "-3");
    Type(*dialog, 7, 0, "9");
    Type(*dialog, 1, 2, "-2");  // the base is typed channel by channel
    Click(*dialog, "save_pushButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dir.Read("X3Y2.txt"), "5,-2,5,\r\n12,12,12,\r\n-3,-3,-3,\r\n5,5,\r\n12,12,\r\n9,9,");
}

TEST_F(ZeltorThresholdSettingDialogTest, NamedFileIsUsedAndFourLineFilesAreRefused) {
    Store("threshold_filename", "panel.txt");
    dir.Write("panel.txt", "1,2,\r\n3,4,\r\n5,6,\r\n7,\r\n8,\r\n9,");
    dir.Write("X2Y1.txt", "1,1,\r\n1,1,\r\n1,\r\n1,");
    EXPECT_EQ(Cell(*Open(2, 1), 7, 1), "9");
    Store("threshold_filename", "X2Y1.txt");  // four lines: a max/min table
    EXPECT_EQ(Cell(*Open(2, 1), 1, 1), "0");
    Store("threshold_filename", "");  // empty: the electrode-count name
    dir.Write("X2Y1.txt", "4,4,\r\n4,4,\r\n4,4,\r\n4,\r\n4,\r\n4,");
    EXPECT_EQ(Cell(*Open(2, 1), 1, 1), "4");
}

TEST_F(ZeltorThresholdSettingDialogTest, ImportNamesTheFileEvenWhenRefused) {
    const QByteArray text = "1,2,\r\n3,4,\r\n5,6,\r\n7,\r\n8,\r\n9,";
    auto dialog = Open(2, 1);
    EXPECT_TRUE(Import(*dialog, "line3.txt", text).isEmpty());
    EXPECT_EQ(settings.GetValue("threshold_filename"), "line3.txt");
    EXPECT_EQ(dir.Read("line3.txt"), text);
    EXPECT_EQ(Cell(*dialog, 1, 2), "2");

    // A refused file still names the table's file; Save then writes there.
    EXPECT_TRUE(Import(*dialog, "short.txt", "1,2,\r\n3,4,").contains("short.txt"));
    EXPECT_EQ(settings.GetValue("threshold_filename"), "short.txt");
    Click(*dialog, "save_pushButton");
    EXPECT_EQ(dir.Read("short.txt"), text);
}

}  // namespace
