#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <cstdio>
#include <memory>
#include <string>

#include "BridgePeer.h"
#include "DisplayView.h"
#include "EventPump.h"
#include "ModalCloser.h"
#include "OpenShort.h"
#include "OpenShortScene.h"
#include "ProgramFolderFixture.h"
#include "ZeltoR_Device.h"

using morvex_gui_qtlib::OpenShortScene;

namespace {

const char* const kMissing = "The device maybe disconnect from the PC, please check it and retry.";

// The bridge's answer to the start-up sequence (grid size, then the counts)
// and eight frames of that grid: open values count up from 10, short from 1.
void Answer(BridgePeer& peer, int columns, int rows) {
    char counts[200];
    std::snprintf(counts, sizeof counts,
                  "Number of horizontal squares: 0x%02X\rNumber of vertical squares: 0x%02X\r"
                  "Number of x electrodes: 0x0A\rNumber of y electrodes: 0x08\r",
                  columns, rows);
    peer.Expect("Z", counts);
    std::string frame = "X";
    for (int i = 0; i < (columns - 1) * rows; ++i) {
        frame += (i ? "," : "") + std::to_string(10 + i);
    }
    frame += "\rY";
    for (int i = 0; i < columns * (rows - 1); ++i) {
        frame += (i ? "," : "") + std::to_string(1 + i);
    }
    std::string frames;
    for (int i = 0; i < 8; ++i) {
        frames += frame + "\r";
    }
    peer.Expect("d", frames);
}

QString Cell(QTableWidget* table, int row, int column) {
    QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

class OpenShortWindowTest : public ::testing::Test {
protected:
    OpenShort& Create() {
        window = std::make_unique<OpenShort>();
        return *window;
    }
    QComboBox* Ports() const { return window->findChild<QComboBox*>("portCombo"); }
    morvex_gui_qtlib::DisplayView* View() const {
        return window->findChild<morvex_gui_qtlib::DisplayView*>();
    }
    QAction* OpenAction() const { return window->findChild<QAction*>("actionOpen_Close_Device"); }
    void Open(BridgePeer& peer) {
        Ports()->setCurrentText(peer.PortName());
        OpenAction()->trigger();
    }
    bool TablesEndWith(const QString& lastOpenValue) {
        QTableWidget* open = window->findChild<QTableWidget*>("table_x_rawdata");
        return PumpUntil([&] {
            return open->rowCount() > 0 && open->columnCount() > 0 &&
                   Cell(open, open->rowCount() - 1, open->columnCount() - 1) == lastOpenValue;
        });
    }
    QString Stored(const char* key) {
        QSettings ini(folder.Dir().File("openshort.ini"), QSettings::IniFormat);
        return ini.value(key, "<missing>").toString();
    }

    ProgramFolderFixture folder;
    ModalCloser boxes;
    std::unique_ptr<OpenShort> window;
};

}  // namespace

TEST_F(OpenShortWindowTest, ATestRunsToItsVerdictAndALostLineClosesThePortUntilReopened) {
    BridgePeer peer;
    Answer(peer, 3, 2);
    OpenShort& w = Create();
    QSignalSpy verdicts(View(), qOverload<bool>(&morvex_gui_qtlib::DisplayView::testResult));
    Open(peer);
    ASSERT_TRUE(TablesEndWith("13"));
    // The Y report started the test: "d" follows the start-up sequence.
    EXPECT_EQ(peer.Received(), "V##vvZd");
    QTableWidget* shorts = w.findChild<QTableWidget*>("table_y_rawdata");
    EXPECT_EQ(Cell(shorts, 0, 2), "3");
    // The default table has no short limits: every pair is marked, one verdict.
    auto scene = boost::dynamic_pointer_cast<OpenShortScene>(View()->GetScene());
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->Markers().size(), 3u);
    ASSERT_EQ(verdicts.count(), 1);
    EXPECT_FALSE(verdicts[0][0].toBool());

    // The other end hangs up while the port stays listed.
    peer.HangUp();
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }));
    EXPECT_EQ(boxes.Boxes()[0].title + "|" + boxes.Boxes()[0].text,
              QStringLiteral("Missing Connection...|") + kMissing);
    EXPECT_FALSE(OpenAction()->isChecked());
    EXPECT_EQ(shorts->rowCount(), 0);
    EXPECT_TRUE(folder.Log().contains("Opened Device is Disconnected"));

    // Back again: opening works as before, with the grid the bridge reports now.
    peer.Reconnect();
    w.DeviceArrival();  // a new pseudo-terminal may have a new name
    peer.GoSilent();
    Answer(peer, 4, 3);
    peer.ClearReceived();
    Open(peer);
    ASSERT_TRUE(TablesEndWith("18"));
    EXPECT_EQ(peer.Received(), "V##vvZd");
    EXPECT_EQ(shorts->columnCount(), 4);

    // Pulled out: the port closes and, with no port left, opening waits.
    peer.HangUp();
    peer.Unlist();
    w.DeviceRemoval();
    PumpFor(50);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(Ports()->count(), 0);
    EXPECT_FALSE(OpenAction()->isEnabled());
    window.reset();
    EXPECT_EQ(Stored("horizontal_squares"), "4");
}

TEST_F(OpenShortWindowTest, TheThresholdIsKeptInRangeAndSavedOnlyWhenChanged) {
    for (const auto& [stored, shown] : {std::pair<const char*, int>{"5", 10}, {"abc", 28}}) {
        folder.Dir().Write("openshort.ini", QByteArray("[General]\nopen_threshold=") + stored);
        EXPECT_EQ(Create().findChild<QSpinBox*>("thresholdBox")->value(), shown) << stored;
        window.reset();
        EXPECT_EQ(Stored("open_threshold"), stored);
    }
    Create().findChild<QSpinBox*>("thresholdBox")->setValue(40);
    window.reset();
    EXPECT_EQ(Stored("open_threshold"), "40");
}
