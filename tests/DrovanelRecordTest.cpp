#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "RecordSetFileName.h"
#include "RecordView.h"
#include "TempProgramDir.h"

namespace {

const auto PickFile = DialogScript::PickFile;

// Names the record in its dialog (a null name closes the dialog), keeping the preset.
DialogScript::Step NameRecord(const QString& name, QString* preset = nullptr) {
    return DialogScript::On<RecordSetFileName>([=](RecordSetFileName& dialog) {
        if (preset != nullptr) {
            *preset = dialog.findChild<QLineEdit*>("lineEdit")->text();
        }
        if (name.isNull()) {
            dialog.reject();
        } else {
            DrovanelFixture::Do(dialog, "lineEdit=" + name);
            DrovanelFixture::Do(dialog, "pushButton");
        }
    });
}

class DrovanelRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.Create();
        ASSERT_TRUE(fixture.OpenChecked(peer));
        record = fixture.Action("action_Record");
    }

    QByteArray Recorded(const QString& name) {
        return fixture.Dir().Read("RecordFiles/" + name + ".log");
    }

    // Sends lines in batches that the window reads well below its overflow
    // size, each batch once the record holds the one before.
    void SendRecorded(const QString& name, const std::vector<std::string>& lines, int total) {
        for (size_t first = 0; first < lines.size(); first += 400) {
            std::string bytes;
            const size_t last = std::min(lines.size(), first + 400);
            for (size_t i = first; i < last; ++i) {
                bytes += lines[i] + "\r";
            }
            peer.SendRaw(bytes);
            const int target = std::min<int>(total, static_cast<int>(last));
            ASSERT_TRUE(PumpUntil([&] { return Recorded(name).count('\n') >= target; }, 5000));
        }
    }

    // Switches to the debug mode; its display starts once the frames' counts have held.
    std::vector<std::string> DebugFrames() {
        std::vector<std::string> frames;
        for (int i = 0; i < 8; ++i) {
            frames.push_back("X5,5,5,5," + std::to_string(i));
            frames.push_back("Y5,5,5," + std::to_string(i));
        }
        fixture.Action("actionDebug")->trigger();
        EXPECT_TRUE(peer.WaitForText("d"));
        return frames;
    }

    DrovanelFixture fixture;
    BridgePeer peer;
    QAction* record = nullptr;
};

TEST_F(DrovanelRecordTest, ARecordKeepsTheRepliesUpToItsLimit) {
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("bench run")}));
    EXPECT_EQ(record->text(), "Stop Record");
    std::vector<std::string> lines;
    std::string expected;
    for (int i = 0; i <= Drovanel::kRecordLineLimit; ++i) {
        lines.push_back("L" + std::to_string(i) + (i % 7 == 0 ? " \t;x" : ""));
        expected += i < Drovanel::kRecordLineLimit ? lines.back() + "\n" : "";
    }
    SendRecorded("bench run", lines, Drovanel::kRecordLineLimit);
    // Line 10000 is the last one kept; the next one ended the record.
    ASSERT_TRUE(PumpUntil([&] { return !record->isChecked(); }));
    EXPECT_EQ(record->text(), "Record");
    EXPECT_EQ(Recorded("bench run").toStdString(), expected);
}

TEST_F(DrovanelRecordTest, AModeChangeEndsTheRecordBeforeTheLineThatStartedIt) {
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("modes")}));
    SendRecorded("modes", {"plain line"}, 1);
    const std::vector<std::string> frames = DebugFrames();
    peer.Stream(frames);
    ASSERT_TRUE(PumpUntil([&] { return !record->isChecked(); }));
    PumpFor(50);
    // The frames up to the one whose Y line started the display; that line is not kept.
    const QStringList kept = QString::fromLatin1(Recorded("modes")).split('\n');
    ASSERT_GE(kept.size(), 4);
    ASSERT_LT(kept.size(), 2 + static_cast<int>(frames.size()));
    EXPECT_EQ(kept.first(), "plain line");
    EXPECT_TRUE(kept[kept.size() - 2].startsWith("X"));
    for (int i = 1; i < kept.size() - 1; ++i) {
        EXPECT_EQ(kept[i].toStdString(), frames[i - 1]);
    }
}

TEST_F(DrovanelRecordTest, TheNameDialogDecidesTheFile) {
    // The preset is the time stamp; closing the dialog records nothing.
    QString preset;
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord(QString(), &preset)}));
    EXPECT_TRUE(QRegularExpression("^\\d{4}(-\\d{2}){5}-\\d{2,4}$").match(preset).hasMatch());
    EXPECT_FALSE(record->isChecked());
    // An existing name is replaced.
    fixture.Dir().Write("RecordFiles/old.log", "previous content\n");
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("old")}));
    SendRecorded("old", {"new"}, 1);
    record->setChecked(false);
    record->setChecked(false);  // with no record open: no second stop
    EXPECT_EQ(Recorded("old"), "new\n");

    // A record that cannot be opened is reported and not started.
    QString failure;
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("no/such/folder/name"),
                                              DialogScript::Answer(QMessageBox::Ok, &failure)}));
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(record->text(), "Record");
    EXPECT_TRUE(failure.startsWith("Record Error: "));
    EXPECT_TRUE(failure.contains("no/such/folder/name.log"));
    EXPECT_EQ(fixture.Log().count("Record start"), 1);
    EXPECT_EQ(fixture.Log().count("Record stop"), 1);
}

TEST_F(DrovanelRecordTest, ADisplayedFrameCompletesThePendingOffsetSaveAndSegmentRecord) {
    fixture.Dir().Write("segment.txt", "old segment that is longer");
    MessageBoxCatcher overwrite(QMessageBox::Yes);  // the save dialog asks before replacing
    ASSERT_TRUE(fixture.Run("actionSave_Offset", {PickFile(fixture.Dir().File("offsets.txt"))}));
    ASSERT_TRUE(fixture.Run("actionRecord_Segment", {PickFile(fixture.Dir().File("segment.txt"))}));
    // Each frame the debug display shows is a segment: the first completes both.
    peer.Stream(DebugFrames());
    ASSERT_TRUE(PumpUntil([&] { return !fixture.Action("actionRecord_Segment")->isChecked(); }));
    PumpFor(100);
    const QString segment = QString::fromLatin1(fixture.Dir().Read("segment.txt"));
    EXPECT_TRUE(QRegularExpression("^X5,5,5,5,\\d\r\nY5,5,5,\\d$").match(segment).hasMatch());
    EXPECT_EQ(QString::fromLatin1(fixture.Dir().Read("offsets.txt")), segment);
    EXPECT_FALSE(fixture.Action("actionSave_Offset")->isChecked());
    // A cancelled file dialog arms nothing; a closed port disarms.
    EXPECT_TRUE(fixture.Run("actionSave_Offset", {PickFile(QString())}));
    EXPECT_FALSE(fixture.Action("actionSave_Offset")->isChecked());
    ASSERT_TRUE(fixture.Run("actionRecord_Segment", {PickFile(fixture.Dir().File("s.txt"))}));
    fixture.Action("actionOpen")->trigger();
    EXPECT_FALSE(fixture.Action("actionRecord_Segment")->isChecked());
}

TEST(DrovanelOffsetTest, AnOffsetFileNeedsItsXLineThenItsYLineOfNumbers) {
    DrovanelFixture fixture;
    fixture.Create();
    // Two that load, then the wrong order and a number too large: rejected,
    // the stored file kept.
    const char* const files[] = {"offsets X1,-2,30, tail 99\nnoise Y-4,5\nX7\n", "X8\r\nY9\r\n",
                                 "Y1,2\nX3,4\n", "X1,99999999999\nY2\n"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QString("offset%1.txt").arg(i);
        fixture.Dir().Write(name, files[i]);
        EXPECT_TRUE(fixture.Run("actionRead_Offset", {PickFile(fixture.Dir().File(name))}));
        EXPECT_EQ(fixture.Action("actionRead_Offset")->isChecked(), i < 2) << files[i];
        fixture.Action("actionRead_Offset")->setChecked(false);
    }
    EXPECT_TRUE(fixture.SavedConfig().contains("offset1.txt\n"));
}

TEST(RecordViewTest, ListsShowsWithoutEscapesAndRefusesBadFiles) {
    TempProgramDir dir;
    QDir().mkpath(dir.File("RecordFiles/folder.log"));
    static const char kMixed[] = "first\x1B[0m line\r\n\nthird\n\x1B\x1B\nlast\x1B\x1B";
    dir.Write("RecordFiles/b.log", QByteArray(kMixed, sizeof kMixed - 1));
    dir.Write("RecordFiles/c.txt", "not a record\n");
    // The largest file shown is one byte short of a mebibyte.
    const QByteArray largest = QByteArray(1023, 'x').append('\n').repeated(1024).chopped(1);
    dir.Write("RecordFiles/A.log", largest);
    dir.Write("RecordFiles/too large.log", largest + "y");
    dir.Write("RecordFiles/gone.log", "soon deleted\n");
    RecordView view(nullptr);
    auto* list = view.findChild<QListWidget*>("listWidget");
    auto* text = view.findChild<QTextBrowser*>("textBrowser");
    const auto show = [&](int row) {
        list->setCurrentRow(row);
        return text->toPlainText();
    };
    ASSERT_EQ(list->count(), 5);  // by name, case ignored: A, b, folder, gone, too large
    // The empty line stays, a line of escapes stays empty, escapes at the end leave nothing.
    EXPECT_EQ(show(1), "first[0m line\n\nthird\n\nlast");
    EXPECT_EQ(show(0).size(), largest.size());
    EXPECT_EQ(show(2), "Error: This file can't be read!");
    QFile::remove(dir.File("RecordFiles/gone.log"));
    EXPECT_EQ(show(3), "Error: This file is not exist!");
    EXPECT_EQ(show(4), "Error: This file's size is not support!");
    // Refresh picks up new files.
    dir.Write("RecordFiles/0.log", "zero\n");
    DrovanelFixture::Do(view, "pushButton");

    // Picking another file from inside a long one's showing shows only the other.
    bool picked = false;
    QObject::connect(text, &QTextEdit::textChanged, [&] {
        if (!picked && text->document()->blockCount() > 10) {
            picked = true;
            QTimer::singleShot(0, [&] { list->setCurrentRow(2); });
        }
    });
    list->setCurrentRow(1);  // the largest, now after "0.log"
    EXPECT_TRUE(picked);
    EXPECT_EQ(text->toPlainText(), "first[0m line\n\nthird\n\nlast");
}

}  // namespace
