#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include "EventPump.h"
#include "RecordView.h"
#include "TempProgramDir.h"

namespace {

QStringList ListedNames(RecordView& view) {
    QStringList names;
    for (int row = 0; row < view.Form().listWidget->count(); ++row) {
        names << view.Form().listWidget->item(row)->text();
    }
    return names;
}

class RecordViewTest : public ::testing::Test {
protected:
    void Record(const QString& name, const QByteArray& content) {
        QDir().mkpath(dir.File("RecordFiles"));
        dir.Write("RecordFiles/" + name, content);
    }

    QString Show(RecordView& view, const QString& name) {
        view.Form().listWidget->setCurrentRow(ListedNames(view).indexOf(name));
        return view.Form().textBrowser->toPlainText();
    }

    TempProgramDir dir;
};

TEST_F(RecordViewTest, ListsTheRecordsOfTheFolderByName) {
    {
        RecordView view(nullptr);
        EXPECT_EQ(view.windowTitle(), "RecordViewer");
        EXPECT_EQ(view.Form().listWidget->count(), 0);  // no folder yet
    }
    Record("b.log", "b\n");
    Record("A.log", "a\n");
    Record("c.txt", "not a record\n");
    RecordView view(nullptr);
    EXPECT_EQ(ListedNames(view), (QStringList{"A.log", "b.log"}));
    EXPECT_EQ(view.Form().listWidget->currentRow(), -1);
    EXPECT_TRUE(view.Form().textBrowser->toPlainText().isEmpty());

    // Refresh picks up new files and shows none of them.
    EXPECT_EQ(Show(view, "b.log"), "b");
    Record("0.log", "zero\n");
    view.Form().pushButton->click();
    EXPECT_EQ(ListedNames(view), (QStringList{"0.log", "A.log", "b.log"}));
    EXPECT_TRUE(view.Form().textBrowser->toPlainText().isEmpty());
    EXPECT_EQ(view.Form().listWidget->currentRow(), -1);
}

TEST_F(RecordViewTest, ShowsEachLineWithoutEscapesInEitherLineEnd) {
    static const char kMixed[] = "first\x1B[0m line\r\n\nthird\n\x1B\x1B\nlast\x1B\x1B";
    Record("mixed.log", QByteArray(kMixed, sizeof kMixed - 1));
    RecordView view(nullptr);
    // The empty line stays, the line of escapes with its line end stays
    // empty, the escapes alone at the end leave nothing.
    EXPECT_EQ(Show(view, "mixed.log"), "first[0m line\n\nthird\n\nlast");
    static const char kEscapes[] = "a\n\x1B\x1B";
    Record("escapes.log", QByteArray(kEscapes, sizeof kEscapes - 1));
    view.Form().pushButton->click();
    EXPECT_EQ(Show(view, "escapes.log"), "a");
}

TEST_F(RecordViewTest, BadFilesGetAClearMessage) {
    // One line of 1023 characters per kilobyte: the largest file shown is
    // one byte short of a mebibyte.
    QByteArray kilobyte(1023, 'x');
    kilobyte += '\n';
    const QByteArray largest = kilobyte.repeated(1024).chopped(1);
    Record("largest.log", largest);
    Record("too large.log", largest + "y");
    Record("gone.log", "soon deleted\n");
    QDir().mkpath(dir.File("RecordFiles/folder.log"));
    RecordView view(nullptr);

    EXPECT_EQ(Show(view, "largest.log").size(), largest.size());
    EXPECT_EQ(Show(view, "too large.log"), "Error: This file's size is not support!");
    QFile::remove(dir.File("RecordFiles/gone.log"));
    EXPECT_EQ(Show(view, "gone.log"), "Error: This file is not exist!");
    EXPECT_EQ(Show(view, "folder.log"), "Error: This file can't be read!");
}

TEST_F(RecordViewTest, PickingAnotherFileWhileOneIsShownShowsOnlyTheOther) {
    QByteArray many;
    for (int i = 0; i < 20000; ++i) {
        many += "long record line " + QByteArray::number(i) + "\n";
    }
    Record("long.log", many);
    Record("short.log", "short\n");
    RecordView view(nullptr);
    // Pick the short one from inside the long one's showing.
    bool picked = false;
    QMetaObject::Connection pick =
        QObject::connect(view.Form().textBrowser, &QTextEdit::textChanged, [&] {
            if (!picked && view.Form().textBrowser->document()->blockCount() > 10) {
                picked = true;
                QTimer::singleShot(0, [&] { view.Form().listWidget->setCurrentRow(1); });
            }
        });
    view.Form().listWidget->setCurrentRow(0);
    QObject::disconnect(pick);
    EXPECT_TRUE(picked);
    EXPECT_EQ(view.Form().textBrowser->toPlainText(), "short");
}

}  // namespace
