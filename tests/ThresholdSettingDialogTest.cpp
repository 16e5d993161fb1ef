#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>
#include <vector>

#include "ModalAnswer.h"
#include "Settings.h"
#include "TempProgramDir.h"
#include "ThresholdSettingDialog.h"
#include "ThresholdTable.h"
#include "ZeltorThresholdSettingDialog.h"

namespace {

using Table = std::vector<std::vector<int> >;

const QByteArray kDefaultFile = "80,80,80,\r\n-60,-60,-60,\r\n80,80,\r\n-60,-60,";

// The two threshold-table dialogs: max/min rows, and base/fluctuation/shift rows.
template <class Dialog>
class ThresholdDialogTest : public ::testing::Test {
protected:
    void Store(const char* key, const std::string& value) {
        settings.SetParameter(ConfigParameter(key, value));
    }

    void SetCounts(int x, int y) {
        Store("x_electrodes", std::to_string(x));
        Store("y_electrodes", std::to_string(y));
    }

    std::unique_ptr<Dialog> Open() { return std::make_unique<Dialog>(&settings, nullptr); }

    static QTableWidget* TableOf(Dialog& dialog) {
        return dialog.template findChild<QTableWidget*>("rawdata_tableWidget");
    }

    static QString Cell(Dialog& dialog, int row, int column) {
        const QTableWidgetItem* item = TableOf(dialog)->item(row, column);
        return item == nullptr ? QStringLiteral("<none>") : item->text();
    }

    // As the operator types into a cell: the item is created when missing.
    static void Type(Dialog& dialog, int row, int column, const QString& text) {
        QTableWidget* table = TableOf(dialog);
        if (QTableWidgetItem* item = table->item(row, column)) {
            item->setText(text);
        } else {
            table->setItem(row, column, new QTableWidgetItem(text));
        }
    }

    static void Click(Dialog& dialog, const char* button) {
        dialog.template findChild<QPushButton*>(button)->click();
    }

    // Imports `text` from a file outside the program's folder, as the
    // operator picks it in the file dialog.
    void Import(Dialog& dialog, const QString& name, const QByteArray& text) {
        const QString path = _elsewhere.path() + '/' + name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        ModalAnswer answer(ModalAnswer::ChooseFile(path));
        Click(dialog, "import_pushButton");
        ASSERT_TRUE(answer.answered());
    }

    static bool Read(Dialog& dialog, const QString& file) {
        bool accepted = false;
        EXPECT_TRUE(QMetaObject::invokeMethod(&dialog, "readFromFile", Qt::DirectConnection,
                                              Q_RETURN_ARG(bool, accepted), Q_ARG(QString, file)));
        return accepted;
    }

    TempProgramDir dir;
    Settings settings;

private:
    QTemporaryDir _elsewhere;
};

using ThresholdSettingDialogTest = ThresholdDialogTest<ThresholdSettingDialog>;
using ZeltorThresholdSettingDialogTest = ThresholdDialogTest<ZeltorThresholdSettingDialog>;

TEST_F(ThresholdSettingDialogTest, DefaultsComeFromTheRawDataLimitsAndSaveWritesThemExactly) {
    SetCounts(3, 2);
    auto dialog = Open();
    EXPECT_EQ(Cell(*dialog, 0, 2), "X2");
    EXPECT_EQ(Cell(*dialog, 3, 2), "<none>");  // the shorter side stays empty
    EXPECT_EQ(Cell(*dialog, 5, 1), "-60");
    EXPECT_FALSE(QFile::exists(dir.File("X3Y2.txt"))) << "loading never creates the file";
    Click(*dialog, "save_pushButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dir.Read("X3Y2.txt"), kDefaultFile);

    SetCounts(2, 1);
    Store("rawdata_max", "120");
    Store("rawdata_min", "-7x");
    EXPECT_EQ(Open()->getThresholdValues(), (Table{{120, 120}, {-7, -7}, {120}, {-7}}));
}

TEST_F(ThresholdSettingDialogTest, EditedCellsAreSavedAsTypedAndReadBack) {
    SetCounts(12, 8);
    auto dialog = Open();
    EXPECT_EQ(TableOf(*dialog)->columnCount(), 12);
    Type(*dialog, 1, 0, "-5");    // a maximum below its minimum is kept
    Type(*dialog, 2, 11, "abc");  // not a number: 0
    Type(*dialog, 4, 7, "99999");
    TableOf(*dialog)->setItem(5, 10, new QTableWidgetItem("7"));  // beyond the Y count: ignored
    Click(*dialog, "save_pushButton");

    const Table saved = dialog->getThresholdValues();
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0][0], -5);
    EXPECT_EQ(saved[1][11], 0);
    EXPECT_EQ(saved[2][7], 99999);
    EXPECT_EQ(saved[3], std::vector<int>(8, -60));

    auto reopened = Open();
    EXPECT_EQ(reopened->getThresholdValues(), saved);
    EXPECT_EQ(Cell(*reopened, 2, 11), "0");
    EXPECT_EQ(settings.LoadThresholds(), saved);
}

TEST_F(ThresholdSettingDialogTest, ReaderTakesWholeFilesOnly) {
    SetCounts(3, 2);
    auto dialog = Open();
    const Table defaults = dialog->getThresholdValues();
    struct Case {
        const char* name;
        QByteArray text;
        bool accepted;
    };
    const Case cases[] = {
        {"trailing line end", "1,2,3,\r\n4,5,6,\r\n7,8,\r\n9,10,\r\n", true},
        {"LF only", "1,2,3,\n4,5,6,\n7,8,\n9,10,", true},
        {"extra empty line", "1,2,3,\r\n4,5,6,\r\n7,8,\r\n9,10,\r\n\r\n", false},
        {"no trailing comma", "1,2,3\r\n4,5,6,\r\n7,8,\r\n9,10,", false},
        {"three lines", "1,2,3,\r\n4,5,6,\r\n7,8,", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        dir.Write("candidate.txt", c.text);
        EXPECT_EQ(Read(*dialog, dir.File("candidate.txt")), c.accepted) << c.name;
        const Table expected = c.accepted ? Table{{1, 2, 3}, {4, 5, 6}, {7, 8}, {9, 10}} : defaults;
        EXPECT_EQ(dialog->getThresholdValues(), expected) << c.name;
        dialog->loadThresholdValues();  // back to the defaults: no file of the counts
    }
    dir.Write("candidate.txt",
              "1,2,3,44\r\n4,5,6,\r\n7,8,\r\n9,10,x");  // value after the last comma
    EXPECT_TRUE(Read(*dialog, dir.File("candidate.txt")));
    EXPECT_EQ(dialog->getThresholdValues()[0], std::vector<int>({1, 2, 3}));
    EXPECT_FALSE(Read(*dialog, dir.File("missing.txt")));
}

// The core loads the same table without any widget.
TEST_F(ThresholdSettingDialogTest, DialogAndCoreLoaderAgree) {
    SetCounts(3, 2);
    Store("rawdata_max", "90");
    const QByteArray files[] = {
        "1,2,3,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,",
        "1,2,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,",   // broken: defaults
        "x,,3,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,",  // no numbers: 0
    };
    for (const QByteArray& file : files) {
        dir.Write("X3Y2.txt", file);
        EXPECT_EQ(Open()->getThresholdValues(), settings.LoadThresholds()) << file.constData();
    }
    QFile::remove(dir.File("X3Y2.txt"));
    EXPECT_EQ(Open()->getThresholdValues(), settings.LoadThresholds());
}

TEST_F(ThresholdSettingDialogTest, NewGeometryUsesItsOwnFile) {
    SetCounts(3, 2);
    dir.Write("X3Y2.txt", "1,2,3,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,");
    SetCounts(4, 2);
    auto dialog = Open();
    EXPECT_EQ(dialog->getThresholdValues()[0], std::vector<int>(4, 80));
    Click(*dialog, "save_pushButton");
    EXPECT_TRUE(QFile::exists(dir.File("X4Y2.txt")));
    EXPECT_EQ(dir.Read("X3Y2.txt"), "1,2,3,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,");
}

TEST_F(ThresholdSettingDialogTest, ImportShowsAndSavesAValidFileAndStaysOpen) {
    SetCounts(3, 2);
    const QByteArray text = "10,20,30,\r\n-1,-2,-3,\r\n40,50,\r\n-4,-5,";
    auto dialog = Open();
    Import(*dialog, "limits.txt", text);
    EXPECT_EQ(Cell(*dialog, 1, 2), "30");
    EXPECT_EQ(Cell(*dialog, 5, 1), "-5");
    EXPECT_EQ(dir.Read("X3Y2.txt"), text);
    EXPECT_EQ(dialog->result(), 0);  // still open: the import is saved, edits are not
    EXPECT_EQ(dialog->getThresholdValues(), settings.LoadThresholds());
}

TEST_F(ThresholdSettingDialogTest, InvalidOrCancelledImportChangesNothing) {
    SetCounts(3, 2);
    dir.Write("wrong.txt", "1,2,\r\n3,4,\r\n5,6,\r\n7,8,");
    auto dialog = Open();
    const Table before = dialog->getThresholdValues();
    QString message;
    {
        ModalAnswer chooser(ModalAnswer::ChooseFile(dir.File("wrong.txt")));
        ModalAnswer reply(ModalAnswer::CloseMessageBox(&message));
        Click(*dialog, "import_pushButton");
    }
    EXPECT_TRUE(message.contains("wrong.txt")) << message.toStdString();
    EXPECT_EQ(dialog->getThresholdValues(), before);
    EXPECT_EQ(Cell(*dialog, 1, 0), "80");
    EXPECT_FALSE(QFile::exists(dir.File("X3Y2.txt")));

    ModalAnswer cancel(ModalAnswer::ChooseFile(QString()));
    Click(*dialog, "import_pushButton");
    EXPECT_TRUE(cancel.answered());
    EXPECT_FALSE(QFile::exists(dir.File("X3Y2.txt")));
}

TEST_F(ThresholdSettingDialogTest, UnwritableFileIsReportedAndTheDialogStaysOpen) {
    SetCounts(3, 2);
    ASSERT_TRUE(QDir(dir.Path()).mkdir("X3Y2.txt"));  // a folder where the file should go
    auto dialog = Open();
    Type(*dialog, 1, 0, "55");
    QString message;
    ModalAnswer reply(ModalAnswer::CloseMessageBox(&message));
    Click(*dialog, "save_pushButton");
    EXPECT_TRUE(message.contains("cannot be written")) << message.toStdString();
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_EQ(Cell(*dialog, 1, 0), "55");  // the edit is still there to save elsewhere
}

TEST_F(ZeltorThresholdSettingDialogTest, DefaultsFromSettingsAndSaveWritesSixLines) {
    SetCounts(2, 1);
    Store("rawdata_base", "5");
    Store("rawdata_fluctuation", "12");
    Store("rawdata_offset", "-3");
    auto dialog = Open();
    EXPECT_EQ(Cell(*dialog, 0, 0), "All");
    EXPECT_EQ(Cell(*dialog, 0, 2), "X1");
    EXPECT_EQ(Cell(*dialog, 7, 2), "<none>");  // the shorter side stays empty
    Click(*dialog, "save_pushButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dir.Read("X2Y1.txt"), "5,5,\r\n12,12,\r\n-3,-3,\r\n5,\r\n12,\r\n-3,");
}

TEST_F(ZeltorThresholdSettingDialogTest, AllChannelsEntryFillsItsRowOnly) {
    SetCounts(10, 6);
    auto dialog = Open();
    Type(*dialog, 2, 0, "25");
    for (int c = 1; c <= 10; ++c) {
        EXPECT_EQ(Cell(*dialog, 2, c), "25") << c;
    }
    EXPECT_EQ(Cell(*dialog, 6, 1), "30");  // the Y rows stay

    Type(*dialog, 7, 0, "9");
    for (int c = 1; c <= 6; ++c) {
        EXPECT_EQ(Cell(*dialog, 7, c), "9") << c;
    }
    EXPECT_EQ(Cell(*dialog, 7, 7), "<none>");

    Type(*dialog, 1, 4, "-2");  // the base is typed channel by channel
    Click(*dialog, "save_pushButton");
    const QList<QByteArray> lines = dir.Read("X10Y6.txt").split('\n');
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "0,0,0,-2,0,0,0,0,0,0,\r");
    EXPECT_EQ(lines[1], "25,25,25,25,25,25,25,25,25,25,\r");
    EXPECT_EQ(lines[5], "9,9,9,9,9,9,");
}

TEST_F(ZeltorThresholdSettingDialogTest, NamedFileIsUsedAndFourLineFilesAreRefused) {
    SetCounts(2, 1);
    Store("threshold_filename", "panel.txt");
    dir.Write("panel.txt", "1,2,\r\n3,4,\r\n5,6,\r\n7,\r\n8,\r\n9,");
    dir.Write("X2Y1.txt", "1,1,\r\n1,1,\r\n1,\r\n1,");
    auto dialog = Open();
    EXPECT_EQ(Cell(*dialog, 3, 2), "6");
    EXPECT_EQ(Cell(*dialog, 7, 1), "9");

    Store("threshold_filename", "X2Y1.txt");  // four lines: a max/min table
    auto refused = Open();
    EXPECT_EQ(Cell(*refused, 1, 1), "0");
    EXPECT_EQ(Cell(*refused, 2, 1), "30");

    Store("threshold_filename", "");  // empty: the electrode-count name, for load and save alike
    dir.Write("X2Y1.txt", "4,4,\r\n4,4,\r\n4,4,\r\n4,\r\n4,\r\n4,");
    EXPECT_EQ(Cell(*Open(), 1, 1), "4");
}

TEST_F(ZeltorThresholdSettingDialogTest, ImportNamesTheFileAndCopiesIt) {
    SetCounts(2, 1);
    const QByteArray text = "1,2,\r\n3,4,\r\n5,6,\r\n7,\r\n8,\r\n9,";
    auto dialog = Open();
    Import(*dialog, "line3.txt", text);
    EXPECT_EQ(settings.GetValue("threshold_filename"), "line3.txt");
    EXPECT_EQ(dir.Read("line3.txt"), text);
    EXPECT_EQ(Cell(*dialog, 1, 2), "2");
    EXPECT_EQ(dialog->result(), 0);

    // A refused file still names the table's file; Save then writes there.
    dir.Write("short.txt", "1,2,\r\n3,4,");
    QString message;
    {
        ModalAnswer chooser(ModalAnswer::ChooseFile(dir.File("short.txt")));
        ModalAnswer reply(ModalAnswer::CloseMessageBox(&message));
        Click(*dialog, "import_pushButton");
    }
    EXPECT_TRUE(message.contains("short.txt")) << message.toStdString();
    EXPECT_EQ(settings.GetValue("threshold_filename"), "short.txt");
    EXPECT_EQ(Cell(*dialog, 1, 2), "2");
    Click(*dialog, "save_pushButton");
    EXPECT_EQ(dir.Read("short.txt"), text);
}

}  // namespace
