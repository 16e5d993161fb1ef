#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

#include "ModalAnswer.h"
#include "Settings.h"
#include "TempProgramDir.h"
#include "ZeltorThresholdSettingDialog.h"

namespace {

class ZeltorThresholdSettingDialogTest : public ::testing::Test {
protected:
    void Store(const char* key, const std::string& value) {
        settings.SetParameter(ConfigParameter(key, value));
    }

    void SetCounts(int x, int y) {
        Store("x_electrodes", std::to_string(x));
        Store("y_electrodes", std::to_string(y));
    }

    std::unique_ptr<ZeltorThresholdSettingDialog> Open() {
        return std::make_unique<ZeltorThresholdSettingDialog>(&settings, nullptr);
    }

    static QTableWidget* TableOf(ZeltorThresholdSettingDialog& dialog) {
        return dialog.findChild<QTableWidget*>("rawdata_tableWidget");
    }

    static QString Cell(ZeltorThresholdSettingDialog& dialog, int row, int column) {
        const QTableWidgetItem* item = TableOf(dialog)->item(row, column);
        return item == nullptr ? QStringLiteral("<none>") : item->text();
    }

    // As the operator types into a cell: the item is created when missing.
    static void Type(ZeltorThresholdSettingDialog& dialog, int row, int column,
                     const QString& text) {
        QTableWidget* table = TableOf(dialog);
        if (QTableWidgetItem* item = table->item(row, column)) {
            item->setText(text);
        } else {
            table->setItem(row, column, new QTableWidgetItem(text));
        }
    }

    static void Click(ZeltorThresholdSettingDialog& dialog, const char* button) {
        dialog.findChild<QPushButton*>(button)->click();
    }

    TempProgramDir dir;
    Settings settings;
};

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
    QTemporaryDir elsewhere;
    const QString source = elsewhere.path() + "/line3.txt";
    const QByteArray text = "1,2,\r\n3,4,\r\n5,6,\r\n7,\r\n8,\r\n9,";
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    auto dialog = Open();
    ModalAnswer answer(ModalAnswer::ChooseFile(source));
    Click(*dialog, "import_pushButton");
    ASSERT_TRUE(answer.answered());
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
