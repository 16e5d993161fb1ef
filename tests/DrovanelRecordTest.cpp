#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "ModalAnswer.h"
#include "QtWindowImp.h"
#include "RecordSetFileName.h"
#include "RecordView.h"
#include "Settings.h"

namespace {

// Types `name` into the record name dialog and presses OK; with a null name
// closes the dialog instead. Keeps the preset it found.
ModalAnswer::Answer NameRecord(const QString& name, QString* preset = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<RecordSetFileName*>(modal);
        if (dialog == nullptr) {
            return false;
        }
        if (preset != nullptr) {
            *preset = dialog->Form().lineEdit->text();
        }
        if (name.isNull()) {
            dialog->reject();
        } else {
            dialog->Form().lineEdit->setText(name);
            dialog->Form().pushButton->click();
        }
        return true;
    };
}

class DrovanelRecordTest : public ::testing::Test {
protected:
    Drovanel& OpenWindow() {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer));
        return window;
    }

    // Starts a record under `name` through the action, as the engineer does.
    void StartRecord(Drovanel& window, const QString& name) {
        ModalAnswer answer(NameRecord(name));
        window.Form().action_Record->setChecked(true);
        EXPECT_TRUE(answer.answered());
    }

    // Sends lines in batches that the window reads well below its overflow
    // size, each batch once the window has recorded the one before.
    void SendRecorded(Drovanel& window, const std::vector<std::string>& lines, int expectedTotal) {
        const size_t batch = 400;
        for (size_t first = 0; first < lines.size(); first += batch) {
            std::string bytes;
            const size_t last = std::min(lines.size(), first + batch);
            for (size_t i = first; i < last; ++i) {
                bytes += lines[i] + "\r";
            }
            peer.SendRaw(bytes);
            const int target = std::min<int>(expectedTotal, static_cast<int>(last));
            ASSERT_TRUE(PumpUntil([&] { return window.RecordLines() >= target; }, 5000))
                << window.RecordLines() << " of " << target;
        }
        PumpFor(30);
    }

    QString RecordFile(const QString& name) {
        return fixture.Dir().File("RecordFiles/" + name + ".log");
    }

    DrovanelFixture fixture;
    BridgePeer peer;
};

TEST_F(DrovanelRecordTest, ARecordKeepsTheRepliesUpToItsLimitAndTheViewerShowsThem) {
    Drovanel& window = OpenWindow();
    QAction* record = window.Form().action_Record;
    ASSERT_TRUE(record->isEnabled());
    ASSERT_FALSE(QDir(fixture.Dir().File("RecordFiles")).exists());

    StartRecord(window, "bench run");
    ASSERT_TRUE(record->isChecked());
    EXPECT_EQ(record->text(), "Stop Record");
    EXPECT_EQ(record->toolTip(), "Stop Record");
    EXPECT_TRUE(window.RecordOpen());

    std::vector<std::string> lines;
    for (int i = 0; i <= Drovanel::kRecordLineLimit; ++i) {
        lines.push_back("L" + std::to_string(i) + (i % 7 == 0 ? " \t;x" : ""));
    }
    SendRecorded(window, lines, Drovanel::kRecordLineLimit);
    ASSERT_TRUE(PumpUntil([&] { return !record->isChecked(); }));

    // Line 10000 is the last one kept; the next one ended the record.
    EXPECT_EQ(window.RecordLines(), Drovanel::kRecordLineLimit);
    EXPECT_FALSE(window.RecordOpen());
    EXPECT_EQ(record->text(), "Record");
    std::string expected;
    for (int i = 0; i < Drovanel::kRecordLineLimit; ++i) {
        expected += lines[i] + "\n";
    }
    EXPECT_EQ(fixture.Dir().Read("RecordFiles/bench run.log").toStdString(), expected);
    const QString log = fixture.Log();
    EXPECT_EQ(log.count("Record start"), 1);
    EXPECT_EQ(log.count("Record stop"), 1);

    // The viewer lists the record and shows it line by line.
    QString shown;
    int rows = -1;
    ModalAnswer viewer([&](QWidget* modal) {
        auto* view = qobject_cast<RecordView*>(modal);
        if (view == nullptr) {
            return false;
        }
        rows = view->Form().listWidget->count();
        view->Form().listWidget->setCurrentRow(0);
        shown = view->Form().textBrowser->toPlainText();
        view->reject();
        return true;
    });
    window.Form().actionRecord_View->trigger();
    ASSERT_TRUE(viewer.answered());
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(shown + "\n", QString::fromStdString(expected));
    EXPECT_LT(fixture.Log().indexOf("Record view start"),
              fixture.Log().indexOf("Record view exit"));
}

TEST_F(DrovanelRecordTest, AModeChangeEndsTheRecordBeforeTheLineThatStartedIt) {
    Drovanel& window = OpenWindow();
    StartRecord(window, "modes");
    SendRecorded(window, {"plain line 1", "plain line 2"}, 2);

    // The debug state starts its display on the Y line of a frame once the
    // counts have held for a few frames.
    window.Form().actionDebug->trigger();
    ASSERT_TRUE(peer.WaitForText("d"));
    std::vector<std::string> frames;
    for (int i = 0; i < 8; ++i) {
        frames.push_back("X5,5,5,5," + std::to_string(i));
        frames.push_back("Y5,5,5," + std::to_string(i));
    }
    peer.Stream(frames);
    ASSERT_TRUE(PumpUntil([&] { return !window.Form().action_Record->isChecked(); }));
    PumpFor(50);
    EXPECT_FALSE(window.RecordOpen());
    const QStringList kept =
        QString::fromLatin1(fixture.Dir().Read("RecordFiles/modes.log")).split('\n');
    ASSERT_GE(kept.size(), 4);
    EXPECT_EQ(kept.mid(0, 2), (QStringList{"plain line 1", "plain line 2"}));
    EXPECT_EQ(kept.last(), "");
    // The frames up to the one whose Y line started the display; that line is not kept.
    const int frameLines = static_cast<int>(kept.size()) - 3;
    ASSERT_LT(frameLines, static_cast<int>(frames.size()));
    EXPECT_TRUE(kept[kept.size() - 2].startsWith("X"));
    for (int i = 0; i < frameLines; ++i) {
        EXPECT_EQ(kept[2 + i].toStdString(), frames[i]);
    }
}

TEST_F(DrovanelRecordTest, TheNameDialogDecidesTheFile) {
    Drovanel& window = OpenWindow();
    QAction* record = window.Form().action_Record;

    // The preset is the time stamp, all of it selected.
    QString preset;
    {
        ModalAnswer answer(NameRecord(QString(), &preset));
        record->setChecked(true);
        ASSERT_TRUE(answer.answered());
    }
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{2,4}$")
                    .match(preset)
                    .hasMatch())
        << preset.toStdString();
    // Closing the dialog records nothing.
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(record->text(), "Record");
    EXPECT_FALSE(window.RecordOpen());
    EXPECT_FALSE(fixture.Log().contains("Record start"));

    // An empty name makes ".log"; an existing name is replaced.
    fixture.Dir().Write("RecordFiles/old.log", "previous content\n");
    StartRecord(window, "");
    EXPECT_TRUE(QFile::exists(RecordFile("")));
    record->setChecked(false);
    StartRecord(window, "old");
    SendRecorded(window, {"new"}, 1);
    record->setChecked(false);
    EXPECT_EQ(fixture.Dir().Read("RecordFiles/old.log"), "new\n");

    // Unchecking with no record open logs nothing more.
    const int stops = fixture.Log().count("Record stop");
    record->setChecked(false);
    EXPECT_EQ(fixture.Log().count("Record stop"), stops);
}

TEST_F(DrovanelRecordTest, ARecordThatCannotBeOpenedIsReported) {
    Drovanel& window = OpenWindow();
    MessageBoxCatcher boxes;
    StartRecord(window, "no/such/folder/name");
    PumpFor(20);
    EXPECT_FALSE(window.Form().action_Record->isChecked());
    EXPECT_EQ(window.Form().action_Record->text(), "Record");
    EXPECT_FALSE(window.RecordOpen());
    ASSERT_EQ(boxes.Titles(), QStringList{"Record Error"});
    EXPECT_TRUE(boxes.Boxes()[0].text.contains("no/such/folder/name.log"));
    EXPECT_FALSE(fixture.Log().contains("Record start"));
}

// ---- offset files and record segments ---------------------------------------

class DrovanelOffsetTest : public ::testing::Test {
protected:
    void SetUp() override { fixture.Create(); }

    // Checks an action whose slot asks for a file, and picks `file`.
    void CheckWithFile(QAction* action, const QString& file, QString* caption = nullptr) {
        ModalAnswer answer(ModalAnswer::ChooseFile(file, caption));
        action->setChecked(true);
        EXPECT_TRUE(answer.answered());
    }

    Drovanel& Window() { return fixture.Window(); }
    // The GUI interface as the states see it.
    morvex_gui::WindowImp& Interface() { return *Window().Imp(); }
    std::vector<int>& XOffsets() { return Window().Imp()->_xOffsets; }
    std::vector<int>& YOffsets() { return Window().Imp()->_yOffsets; }

    DrovanelFixture fixture;
};

TEST_F(DrovanelOffsetTest, OneSegmentCompletesThePendingOffsetSaveAndSegmentRecord) {
    Ui::DrovanelClass& ui = Window().Form();
    const QString offsets = fixture.Dir().File("offsets.txt");
    const QString segments = fixture.Dir().File("segment.txt");
    fixture.Dir().Write("segment.txt", "old segment that is longer");
    // The save dialog asks before it names an existing file.
    MessageBoxCatcher overwrite(QMessageBox::Yes);

    QString caption;
    CheckWithFile(ui.actionSave_Offset, offsets, &caption);
    EXPECT_EQ(caption, "Select offset File...");
    CheckWithFile(ui.actionRecord_Segment, segments, &caption);
    EXPECT_EQ(caption, "Select record File...");
    EXPECT_TRUE(Window().OffsetPending());
    EXPECT_TRUE(Window().SegmentPending());
    EXPECT_EQ(Window().SettingsStore()->GetValue("offset_file"), offsets.toStdString());
    EXPECT_EQ(Window().SettingsStore()->GetValue("segment_file"), segments.toStdString());

    Interface().RecordSegment("X1,2,3\nY4,5\n");
    EXPECT_EQ(fixture.Dir().Read("offsets.txt"), "X1,2,3\nY4,5\n");
    EXPECT_EQ(fixture.Dir().Read("segment.txt"), "X1,2,3\nY4,5\n");
    EXPECT_FALSE(Window().OffsetPending());
    EXPECT_FALSE(Window().SegmentPending());
    EXPECT_FALSE(ui.actionSave_Offset->isChecked());
    EXPECT_FALSE(ui.actionRecord_Segment->isChecked());

    // Nothing pending: the next segment goes nowhere.
    Interface().RecordSegment("X9\nY9\n");
    EXPECT_EQ(fixture.Dir().Read("offsets.txt"), "X1,2,3\nY4,5\n");

    // A cancelled file dialog arms nothing; a closed port disarms.
    CheckWithFile(ui.actionSave_Offset, QString());
    EXPECT_FALSE(ui.actionSave_Offset->isChecked());
    EXPECT_FALSE(Window().OffsetPending());
    CheckWithFile(ui.actionRecord_Segment, segments);
    Window().SwitchPort(false);
    EXPECT_FALSE(Window().SegmentPending());
    EXPECT_FALSE(ui.actionRecord_Segment->isChecked());
}

TEST_F(DrovanelOffsetTest, OffsetFilesLoadTheXAndYLists) {
    QAction* load = Window().Form().actionRead_Offset;
    fixture.Dir().Write("a.txt", "offsets X1,-2,30, tail 99\nnoise Y-4,5\nX7\n");
    fixture.Dir().Write("b.txt", "X8\r\nY9\r\n");
    fixture.Dir().Write("swapped.txt", "Y1,2\nX3,4\n");
    fixture.Dir().Write("huge.txt", "X1,99999999999\nY2\n");

    CheckWithFile(load, fixture.Dir().File("a.txt"));
    EXPECT_TRUE(load->isChecked());
    EXPECT_EQ(XOffsets(), (std::vector<int>{1, -2, 30}));
    EXPECT_EQ(YOffsets(), (std::vector<int>{-4, 5}));
    EXPECT_EQ(Window().SettingsStore()->GetValue("offset_file"),
              fixture.Dir().File("a.txt").toStdString());

    // A second load adds to the first; unchecking clears.
    load->setChecked(false);
    EXPECT_TRUE(XOffsets().empty());
    CheckWithFile(load, fixture.Dir().File("a.txt"));
    load->blockSignals(true);
    load->setChecked(false);
    load->blockSignals(false);
    CheckWithFile(load, fixture.Dir().File("b.txt"));
    EXPECT_EQ(XOffsets(), (std::vector<int>{1, -2, 30, 8}));
    EXPECT_EQ(YOffsets(), (std::vector<int>{-4, 5, 9}));

    // Lines in the wrong order or a number too large: nothing loaded, the
    // lists cleared, the stored file kept.
    for (const char* bad : {"swapped.txt", "huge.txt"}) {
        load->blockSignals(true);
        load->setChecked(false);
        load->blockSignals(false);
        CheckWithFile(load, fixture.Dir().File(bad));
        EXPECT_FALSE(load->isChecked()) << bad;
        EXPECT_TRUE(XOffsets().empty()) << bad;
        EXPECT_TRUE(YOffsets().empty()) << bad;
        EXPECT_EQ(Window().SettingsStore()->GetValue("offset_file"),
                  fixture.Dir().File("b.txt").toStdString());
    }
}

}  // namespace
