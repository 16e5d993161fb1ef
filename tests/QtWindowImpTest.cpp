#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLCDNumber>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <algorithm>
#include <boost/weak_ptr.hpp>
#include <cerrno>
#include <cstring>
#include <functional>

#include "EventPump.h"
#include "FileSizeLimit.h"
#include "LogCapture.h"
#include "QtWindowImp.h"
#include "TempProgramDir.h"
#include "ViewFixture.h"
#include "WidgetHolder.h"

using morvex_gui_qtlib::DisplayView;
using morvex_gui_qtlib::QtWindowImp;
using morvex_gui_qtlib::Scene;
using morvex_gui_qtlib::WidgetHolder;

namespace {

struct FakeState {
    int updates = 0;
};

// A scene that owns one item and touches it on every call, so a scene that
// outlives its items shows up under the address sanitizer.
class ItemScene : public Scene {
public:
    ItemScene(QGraphicsScene* scene, FakeState* state) : Scene(scene), _state(state) {}
    void Start() override { _item = _scene->addRect(0, 0, 10, 10); }
    void Update() override {
        ++_state->updates;
        if (onUpdate) {
            onUpdate(*this);
        }
        _item->setPos(_state->updates, 0);
    }
    void Clear() override { _item->setPos(0, 2); }
    void OnResize() override { _item->setPos(0, 1); }
    void Verdict(bool pass) { SendTestResult(pass); }

    std::function<void(ItemScene&)> onUpdate;

private:
    FakeState* _state;
    QGraphicsRectItem* _item = nullptr;
};

class QtWindowImpTest : public ::testing::Test {
protected:
    QtWindowImpTest() : imp(&holder) {
        holder.SetLog(&log);
        holder.SetView(&fixture.View());
        holder.SetParameterWidgets(&lcd, &list, &row);
        // Redraws leave trace lines in the working folder: keep them out of the tree.
        QDir::setCurrent(workFolder.path());
    }
    ~QtWindowImpTest() override { QDir::setCurrent(previousFolder); }

    QStringList ResultFiles() const {
        return QDir(dir.File("Results")).entryList(QDir::Files, QDir::Name);
    }
    static QString Stamp() { return QtWindowImp::ResultFileStamp(QDateTime::currentDateTime()); }
    // The stamps a result file made by `save` can bear: those of its start and end.
    static QStringList StampsAround(const std::function<void()>& save) {
        QStringList stamps{Stamp()};
        save();
        stamps << Stamp();
        stamps.removeDuplicates();
        return stamps;
    }
    // So that a file saved now cannot bear `stamp` by chance.
    static void WaitForStampPast(const QString& stamp) {
        EXPECT_TRUE(PumpUntil([&] { return Stamp() != stamp; }, 2000));
    }

    boost::shared_ptr<ItemScene> Current() {
        return boost::dynamic_pointer_cast<ItemScene>(fixture.View().GetScene());
    }

    TempProgramDir dir;
    LogCapture operationLog;
    QTemporaryDir workFolder;
    QString previousFolder = QDir::currentPath();
    ViewFixture fixture;
    QTextEdit log;
    QLCDNumber lcd;
    QListWidget list;
    int row = 0;
    WidgetHolder holder;
    QtWindowImp imp;
    FakeState state;
};

TEST_F(QtWindowImpTest, LogLinesInABurstReachTheBoxAtMostOnceARefreshEndingWithTheLast) {
    QSignalSpy writes(&log, &QTextEdit::textChanged);
    imp.Log("first");
    EXPECT_EQ(log.toPlainText(), "first") << "nothing written lately: at once";
    for (int i = 0; i < 200; ++i) {
        imp.Log("<FONT COLOR=GREEN>line " + std::to_string(i) + "</FONT>");
    }
    EXPECT_LE(writes.count(), 2);
    ASSERT_TRUE(PumpUntil([&] { return log.toPlainText() == "line 199"; }));
    EXPECT_LE(writes.count(), 3);
    EXPECT_TRUE(log.toHtml().contains("#008000"));

    // What the GUI interface writes next comes after the waiting line, and a
    // cleared box stays clear.
    imp.Log("a");
    imp.Log("b");
    imp.LogAppend("c");
    EXPECT_EQ(log.toPlainText(), "b\nc");
    imp.Log("d");
    imp.FlushLog();
    EXPECT_EQ(log.toPlainText(), "d");
    imp.Log("e");
    imp.ClearLog();
    PumpFor(3 * DisplayView::kRefreshIntervalMs);
    EXPECT_TRUE(log.toPlainText().isEmpty());

    // ... and what the window writes itself follows the waiting line.
    imp.Log("f");
    imp.Log("<FONT COLOR=GREEN>g</FONT>");
    log.append("tool output");
    PumpFor(3 * DisplayView::kRefreshIntervalMs);
    EXPECT_EQ(log.toPlainText(), "g\ntool output");
}

TEST_F(QtWindowImpTest, UnsetWidgetsAreSkipped) {
    WidgetHolder empty;
    QtWindowImp bare(&empty);
    std::vector<std::vector<int> > matrix{{1}};
    bare.Log("x");
    bare.ClearAll();
    bare.ShowMasterVersion("v");
    bare.ScanParameters(1);
    bare.ParameterValue(2);
    bare.ShowOpenShortData(matrix, matrix);
    bare.StartSceneFor<ItemScene>(&state);
    bare.UpdateScene();
    bare.sendTestResult(true);
    EXPECT_EQ(bare._settings.GetValue("parameter_value"), "2");
    EXPECT_EQ(state.updates, 0);
}

// The tuning window shows the rows end to end; here the ends of the list.
TEST_F(QtWindowImpTest, ParameterRowsStopAtTheEndOfTheListOrWithoutARowCounter) {
    list.addItems({"fingX:0"});
    imp.ScanParameters(5);
    imp.ScanParameters(12);  // past the list: nothing happens
    EXPECT_EQ(list.item(0)->text(), "fingX:" + QString(23, ' ') + "5");
    EXPECT_EQ(row, 1);
    holder.SetParameterWidgets(&lcd, &list, nullptr);
    imp.ParameterValue(4);
    imp.ScanParameters(4);
    EXPECT_EQ(imp._settings.GetValue("parameter_value"), "4");
    EXPECT_EQ(imp._settings.GetValue("fingX_value"), "5");
}

TEST_F(QtWindowImpTest, ClearAllDropsTheSceneBeforeItsItemsGo) {
    log.setText("old");
    imp.StartSceneFor<ItemScene>(&state);
    boost::weak_ptr<ItemScene> old = Current();
    imp.ClearAll();

    EXPECT_TRUE(old.expired());
    EXPECT_TRUE(log.toPlainText().isEmpty());
    const QList<QGraphicsItem*> items = fixture.Graphics()->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.front(), fixture.View().TextItem());
    EXPECT_TRUE(fixture.View().TextItem()->toPlainText().isEmpty());

    // Nothing may reach the freed items before the next scene comes.
    fixture.Resize(500, 300);
    imp.UpdateScene();
    imp.ClearScene();
    imp.SetExtraDisplay(false);
    EXPECT_EQ(state.updates, 0);
}

TEST_F(QtWindowImpTest, AVerdictThatClearsTheDisplayMidUpdateLeavesTheSceneSafe) {
    // The verdict's slot starts the next test item, which clears the display
    // while the judging scene is still inside its Update.
    QObject::connect(&fixture.View(), qOverload<bool>(&DisplayView::testResult),
                     [this](bool) { imp.ClearAll(); });
    imp.StartSceneFor<ItemScene>(&state);
    boost::weak_ptr<ItemScene> judging = Current();
    Current()->onUpdate = [](ItemScene& scene) { scene.Verdict(false); };

    imp.UpdateScene();
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_TRUE(judging.expired());
    EXPECT_EQ(fixture.Graphics()->items().size(), 1);
    imp.sendTestResult(true);
    EXPECT_EQ(fixture.VerdictList(), (std::vector<bool>{false, true}));
}

TEST_F(QtWindowImpTest, AVerdictFromASceneNoViewShowsIsDropped) {
    QGraphicsScene lonely;
    ItemScene scene(&lonely, &state);
    scene.Verdict(true);
    ItemScene detached(nullptr, &state);
    detached.Verdict(false);
    EXPECT_EQ(fixture.Verdicts().count(), 0);
}

// ---- result file ----------------------------------------------------------

using ResultFileTest = QtWindowImpTest;

// The records themselves are checked on the reply road; here the file's name.
TEST_F(ResultFileTest, TheFileIsNamedByTheTimeAndASecondRunInTheSameSecondGetsItsOwn) {
    EXPECT_EQ(QtWindowImp::ResultFileStamp(QDateTime(QDate(2015, 12, 14), QTime(9, 5, 7, 450))),
              "2015-12-14-09-05-07-57");
    // Earlier runs under the stamps of this second and the next two.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList taken;
    for (int s = 0; s < 3; ++s) {
        taken << QtWindowImp::ResultFileStamp(now.addSecs(s)) + ".csv";
        dir.Write("Results/" + taken.back(), "earlier run");
    }
    imp.SetResult("debug", "Debug: ,Pass\r\n");
    ASSERT_TRUE(imp.SaveResults());
    const QStringList files = ResultFiles();
    ASSERT_EQ(files.size(), 4);
    for (const QString& name : files) {
        const bool earlier = taken.contains(name);
        EXPECT_EQ(dir.Read("Results/" + name), earlier ? "earlier run" : "Debug: ,Pass\r\n");
        EXPECT_TRUE(earlier || name.endsWith("_1.csv")) << name.toStdString();
    }
}

// A failed save sets its run's file aside under the stamp it was due; each
// later save tries it again, and the map starts empty for the next run.
TEST_F(ResultFileTest, AFileThatCannotBeWrittenIsToldAndWrittenLaterAsItsRunsOwn) {
    dir.Write("Results", "a file where the folder should be");
    imp.SetResult("attb", "ATTB: ,Pass\r\n");
    const QStringList due = StampsAround([&] { EXPECT_FALSE(imp.SaveResults()); });
    EXPECT_TRUE(imp._results.empty());
    EXPECT_TRUE(log.toHtml().contains("#ff0000")) << log.toHtml().toStdString();
    EXPECT_TRUE(log.toPlainText().contains("Result file not saved, results kept: "));
    EXPECT_TRUE(log.toPlainText().contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))));
    EXPECT_TRUE(operationLog.Contains("Result file not saved"));
    EXPECT_FALSE(imp.SaveResults()) << "nothing new: the set-aside file is still due";
    imp.SetResult("debug", "Debug: ,Pass\r\n");
    EXPECT_FALSE(imp.SaveResults());

    QFile::remove(dir.File("Results"));
    WaitForStampPast(due.back());
    ASSERT_TRUE(imp.SaveResults());
    QStringList files = ResultFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(due.contains(files[0].chopped(4))) << files[0].toStdString();
    EXPECT_EQ(dir.Read("Results/" + files[0]), "ATTB: ,Pass\r\n");
    EXPECT_EQ(dir.Read("Results/" + files[1]), "Debug: ,Pass\r\n");
    ASSERT_TRUE(imp.SaveResults());
    EXPECT_EQ(ResultFiles(), files) << "each file is written once";
}

// A file that can be created but not filled: the operator is told why, in
// the system's words, not "Unknown error". A later run that fits is written
// meanwhile; the big one follows whole once it can.
TEST_F(ResultFileTest, AFailedWriteNamesTheSystemsReasonAndTheFileFollowsWhole) {
    const std::string big = std::string(64 * 1024, 'x') + "\r\n";
    imp.SetResult("raster x", big);
    bool saved[2] = {true, true};
    {
        FileSizeLimit limit(1024);
        saved[0] = imp.SaveResults();
        imp.SetResult("debug", "Debug: ,Pass\r\n");
        saved[1] = imp.SaveResults();
    }

    EXPECT_FALSE(saved[0] || saved[1]);
    EXPECT_TRUE(log.toPlainText().contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << log.toPlainText().toStdString();
    ASSERT_EQ(ResultFiles().size(), 1);
    EXPECT_EQ(dir.Read("Results/" + ResultFiles().front()), "Debug: ,Pass\r\n");
    ASSERT_TRUE(imp.SaveResults());
    QStringList contents;
    for (const QString& name : ResultFiles()) {
        contents << QString::fromLatin1(dir.Read("Results/" + name));
    }
    contents.sort();
    EXPECT_EQ(contents, (QStringList{"Debug: ,Pass\r\n", QString::fromStdString(big)}));
}

TEST_F(ResultFileTest, AtCloseTheFilesLeftAreTriedOnceMoreAndEachLostRunIsNamed) {
    dir.Write("Results", "in the way");
    imp.SetResult("attb", "Attb: ,Pass\r\n");
    const QStringList first = StampsAround([&] { imp.SaveResults(); });
    imp.SaveResultsBeforeClose();
    ASSERT_EQ(operationLog.Size(), 2u);
    const std::string lost = operationLog.Lines().back();
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [&](const QString& stamp) {
        return lost.find("results of the run of " + stamp.toStdString() + " lost: ") !=
               std::string::npos;
    })) << lost;

    QFile::remove(dir.File("Results"));
    imp.SaveResultsBeforeClose();
    ASSERT_EQ(ResultFiles().size(), 1);
    EXPECT_EQ(dir.Read("Results/" + ResultFiles().front()), "Attb: ,Pass\r\n");
    EXPECT_EQ(operationLog.Size(), 2u);
}

}  // namespace
