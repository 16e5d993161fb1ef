#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "DisplayView.h"
#include "EventPump.h"
#include "OpenShort.h"
#include "OpenShortScene.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"
#include "ZeltoR_Device.h"

using morvex_gui_qtlib::DisplayView;
using morvex_gui_qtlib::OpenShortScene;

namespace {

const char* const kRegistryVariable = "MORVEX_REGISTRY_FILE";
const char* const kMissingText =
    "The device maybe disconnect from the PC, please check it and retry.";

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    return PumpUntil(done, timeoutMs);
}

void Spin(int milliseconds) {
    PumpFor(milliseconds);
}

// The bridge's answer to the start-up sequence: grid size, then the counts.
std::string Information(int columns, int rows) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Number of horizontal squares: 0x%02X\r"
                  "Number of vertical squares: 0x%02X\r"
                  "Number of x electrodes: 0x0A\r"
                  "Number of y electrodes: 0x08\r",
                  columns, rows);
    return text;
}

std::string Line(char axis, int first, int count) {
    std::string line(1, axis);
    for (int i = 0; i < count; ++i) {
        line += (i ? "," : "") + std::to_string(first + i);
    }
    return line + "\r";
}

// Eight frames of a columns x rows grid: open values count up from 10, short
// values from 1.
std::string Frames(int columns, int rows) {
    std::string frames;
    for (int i = 0; i < 8; ++i) {
        frames += Line('X', 10, (columns - 1) * rows) + Line('Y', 1, columns * (rows - 1));
    }
    return frames;
}

QString Cell(QTableWidget* table, int row, int column) {
    QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

QString ChannelLabel(const char* caption, const char* count) {
    return QStringLiteral("<FONT COLOR=green>%1</FONT><FONT COLOR=steelblue>%2</FONT>")
        .arg(QLatin1String(caption), QLatin1String(count));
}

// Accepts every message box that comes up and remembers its title and text.
class MessageBoxes {
public:
    MessageBoxes() {
        QObject::connect(&_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                _seen.push_back(box->windowTitle() + "|" + box->text());
                box->accept();
            }
        });
        _timer.start(5);
    }
    const QStringList& Seen() const { return _seen; }

private:
    QTimer _timer;
    QStringList _seen;
};

class OpenShortWindowTest : public ::testing::Test {
protected:
    OpenShortWindowTest()
        : _previousRegistry(qgetenv(kRegistryVariable)),
          _hadRegistry(qEnvironmentVariableIsSet(kRegistryVariable)) {
        dir.Write("registry.ini", QByteArray());
        qputenv(kRegistryVariable, dir.File("registry.ini").toLocal8Bit());
    }

    ~OpenShortWindowTest() override {
        window.reset();
        peer.reset();
        if (_hadRegistry) {
            qputenv(kRegistryVariable, _previousRegistry);
        } else {
            qunsetenv(kRegistryVariable);
        }
    }

    OpenShort& Create() {
        window = std::make_unique<OpenShort>();
        return *window;
    }

    BridgePeer& AddPeer() {
        peer = std::make_unique<BridgePeer>();
        return *peer;
    }

    void Open() {
        window->PortBox()->setCurrentText(peer->PortName());
        window->Form().actionOpen_Close_Device->trigger();
    }

    // The peer answers the start-up with a grid and the frames to "d".
    void Answer(int columns, int rows) {
        peer->Expect("Z", Information(columns, rows));
        peer->Expect("d", Frames(columns, rows));
    }

    bool WaitForTables(const QString& lastOpenValue) {
        QTableWidget* open = window->Form().table_x_rawdata;
        return WaitUntil([&] {
            return open->rowCount() > 0 && open->columnCount() > 0 &&
                   Cell(open, open->rowCount() - 1, open->columnCount() - 1) == lastOpenValue;
        });
    }

    // Lets every byte reach the port's input queue before the window reads, so
    // they come out of one read.
    void SendAsOneRead(const std::string& bytes) {
        const qint64 before = window->Device()->bytesAvailable();
        peer->SendRaw(bytes);
        ASSERT_TRUE(peer->WaitUntilSent());
        const qint64 wanted = before + static_cast<qint64>(bytes.size());
        for (int i = 0; i < 400 && window->Device()->bytesAvailable() < wanted; ++i) {
            QThread::msleep(5);
        }
        ASSERT_EQ(window->Device()->bytesAvailable(), wanted);
        Spin(50);
    }

    std::string PaddedLine(int size, const std::string& line) {
        return std::string(size - line.size(), '.') + line;
    }

    QString Stored(const char* key) {
        QSettings ini(dir.File("openshort.ini"), QSettings::IniFormat);
        return ini.value(key, "<missing>").toString();
    }

    TempProgramDir dir;
    SleepRecorder sleeps;
    std::unique_ptr<BridgePeer> peer;
    std::unique_ptr<OpenShort> window;

private:
    QByteArray _previousRegistry;
    bool _hadRegistry;
};

}  // namespace

TEST_F(OpenShortWindowTest, TheFormAndToolBarAreBuiltAsTheEngineerSeesThem) {
    AddPeer();
    OpenShort& w = Create();
    Ui_OpenShort& ui = w.Form();
    EXPECT_EQ(w.windowTitle(), "OpenShort");
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_FALSE(ui.menu_Help->menuAction()->isVisible());
    EXPECT_TRUE(ui.menuOpen->menuAction()->isVisible());
    EXPECT_TRUE(ui.actionOpen_Close_Device->isCheckable());
    EXPECT_TRUE(ui.actionOpen_Close_Device->isEnabled());
    EXPECT_FALSE(ui.actionOpen_Close_Device->isChecked());
    const QIcon icon = ui.actionOpen_Close_Device->icon();
    EXPECT_FALSE(icon.pixmap(16, QIcon::Normal, QIcon::Off).isNull());
    EXPECT_FALSE(icon.pixmap(16, QIcon::Normal, QIcon::On).isNull());

    const QList<QAction*> tools = ui.mainToolBar->actions();
    ASSERT_EQ(tools.size(), 5);
    EXPECT_EQ(ui.mainToolBar->widgetForAction(tools[0]), w.PortBox());
    EXPECT_EQ(tools[1], ui.actionOpen_Close_Device);
    EXPECT_TRUE(tools[2]->isSeparator());
    auto* label = qobject_cast<QLabel*>(ui.mainToolBar->widgetForAction(tools[3]));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Threshold:");
    EXPECT_EQ(ui.mainToolBar->widgetForAction(tools[4]), w.ThresholdBox());
    EXPECT_EQ(w.PortBox()->minimumWidth(), 70);
    EXPECT_EQ(w.PortBox()->currentText(), peer->PortName());

    EXPECT_EQ(w.LabelX()->text(), ChannelLabel("X-Ch.: ", " "));
    EXPECT_EQ(w.LabelY()->text(), ChannelLabel("Y-Ch.: ", " "));
    EXPECT_EQ(ui.centralWidget->layout()->indexOf(w.View()), 0);
    EXPECT_EQ(ui.table_x_rawdata->rowCount(), 0);
    EXPECT_EQ(ui.table_y_rawdata->rowCount(), 0);
}

TEST_F(OpenShortWindowTest, ATestRunsFromOpeningToItsVerdictAndRemovalClosesThePort) {
    AddPeer();
    Answer(3, 2);
    MessageBoxes boxes;
    OpenShort& w = Create();
    Ui_OpenShort& ui = w.Form();
    QSignalSpy verdicts(w.View(), qOverload<bool>(&DisplayView::testResult));

    Open();
    EXPECT_TRUE(ui.actionOpen_Close_Device->isChecked());
    EXPECT_TRUE(peer->WaitForText("V##vvZ"));
    ASSERT_TRUE(WaitForTables("13"));
    // The Y report started the test: "d" follows the start-up sequence.
    EXPECT_EQ(peer->Received(), "V##vvZd");
    EXPECT_EQ(w.LabelX()->text(), ChannelLabel("X-Ch.: ", "10"));
    EXPECT_EQ(w.LabelY()->text(), ChannelLabel("Y-Ch.: ", "8"));

    // Open table: 2 rows x 2 columns, short table 1 row x 3 columns; cell
    // (r, c) holds value [c][r] of the state's tables.
    QTableWidget* open = ui.table_x_rawdata;
    QTableWidget* shorts = ui.table_y_rawdata;
    ASSERT_EQ(open->rowCount(), 2);
    ASSERT_EQ(open->columnCount(), 2);
    EXPECT_EQ(Cell(open, 0, 0), "10");
    EXPECT_EQ(Cell(open, 1, 0), "11");
    EXPECT_EQ(Cell(open, 0, 1), "12");
    EXPECT_EQ(Cell(open, 1, 1), "13");
    ASSERT_EQ(shorts->rowCount(), 1);
    ASSERT_EQ(shorts->columnCount(), 3);
    EXPECT_EQ(Cell(shorts, 0, 0), "1");
    EXPECT_EQ(Cell(shorts, 0, 1), "2");
    EXPECT_EQ(Cell(shorts, 0, 2), "3");

    // The drawing: 3 x 2 squares; the default table has no short limits, so
    // every short pair is marked and the test fails once.
    auto scene = boost::dynamic_pointer_cast<OpenShortScene>(w.View()->GetScene());
    ASSERT_TRUE(scene);
    ASSERT_EQ(scene->Cells().size(), 3u);
    EXPECT_EQ(scene->Cells()[0].size(), 2u);
    EXPECT_EQ(scene->Markers().size(), 3u);
    ASSERT_EQ(verdicts.count(), 1);
    EXPECT_FALSE(verdicts[0][0].toBool());
    EXPECT_EQ(w.Imp()->_results["debug"].rfind("Debug: ,Fail", 0), 0u);
    EXPECT_EQ(w.StoredSettings()->GetValue("horizontal_squares"), "3");

    // The adapter is pulled: the watcher notices, the port closes cleanly.
    peer->HangUp();
    peer->Unlist();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Seen().isEmpty(); }));
    EXPECT_EQ(boxes.Seen(), QStringList{QStringLiteral("Missing Connection...|") + kMissingText});
    EXPECT_FALSE(ui.actionOpen_Close_Device->isChecked());
    EXPECT_FALSE(ui.actionOpen_Close_Device->isEnabled());
    EXPECT_FALSE(w.Device()->isOpen());
    EXPECT_EQ(w.PortBox()->count(), 0);
    EXPECT_EQ(open->rowCount(), 0);
    EXPECT_EQ(open->columnCount(), 0);
    EXPECT_EQ(shorts->rowCount(), 0);
    EXPECT_FALSE(boost::dynamic_pointer_cast<OpenShortScene>(w.View()->GetScene()));

    window.reset();
    EXPECT_EQ(Stored("horizontal_squares"), "3");
    EXPECT_EQ(Stored("vertical_squares"), "2");
}

TEST_F(OpenShortWindowTest, ClosingEmptiesTheDisplayAndReopeningRebuildsForANewGrid) {
    // The grid of the previous run applies until the bridge reports one. The Y
    // report is the information state's first line: the state is replaced
    // while it still handles it.
    dir.Write("openshort.ini", "[General]\nhorizontal_squares=3\nvertical_squares=2\n");
    AddPeer();
    peer->Expect("Z", "Number of y electrodes: 0x08\r");
    peer->Expect("d", Frames(3, 2));
    OpenShort& w = Create();
    Ui_OpenShort& ui = w.Form();
    Open();
    ASSERT_TRUE(WaitForTables("13"));

    peer->GoSilent();
    peer->ClearReceived();
    ui.actionOpen_Close_Device->trigger();
    EXPECT_FALSE(ui.actionOpen_Close_Device->isChecked());
    EXPECT_TRUE(peer->WaitForText("#q"));
    EXPECT_FALSE(w.Device()->isOpen());
    EXPECT_EQ(ui.table_x_rawdata->rowCount(), 0);
    EXPECT_EQ(ui.table_y_rawdata->columnCount(), 0);
    EXPECT_FALSE(boost::dynamic_pointer_cast<OpenShortScene>(w.View()->GetScene()));

    // The next start reports a 4 x 3 grid: the second Y report restarts the
    // test and both tables take the new size.
    Answer(4, 3);
    peer->ClearReceived();
    ui.actionOpen_Close_Device->trigger();
    ASSERT_TRUE(WaitForTables("18"));
    EXPECT_EQ(peer->Received(), "V##vvZd");
    EXPECT_EQ(ui.table_x_rawdata->rowCount(), 3);
    EXPECT_EQ(ui.table_x_rawdata->columnCount(), 3);
    EXPECT_EQ(ui.table_y_rawdata->rowCount(), 2);
    EXPECT_EQ(ui.table_y_rawdata->columnCount(), 4);
    EXPECT_EQ(Cell(ui.table_y_rawdata, 1, 3), "8");
    auto scene = boost::dynamic_pointer_cast<OpenShortScene>(w.View()->GetScene());
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->Cells().size(), 4u);
}

TEST_F(OpenShortWindowTest, TheGridSizeShapesBothTablesWithZeroCells) {
    OpenShort& w = Create();
    QTableWidget* open = w.Form().table_x_rawdata;
    QTableWidget* shorts = w.Form().table_y_rawdata;

    emit w.Imp()->SignalStartOpenShort(7, 6);
    ASSERT_EQ(open->rowCount(), 6);
    ASSERT_EQ(open->columnCount(), 6);
    ASSERT_EQ(shorts->rowCount(), 5);
    ASSERT_EQ(shorts->columnCount(), 7);
    const Qt::Alignment centreTop = Qt::AlignHCenter | Qt::AlignTop;
    for (QTableWidget* table : {open, shorts}) {
        for (int r = 0; r < table->rowCount(); ++r) {
            QTableWidgetItem* header = table->verticalHeaderItem(r);
            ASSERT_NE(header, nullptr);
            EXPECT_EQ(header->text(), QString::number(r + 1));
            EXPECT_EQ(Qt::Alignment(header->textAlignment()), centreTop);
            for (int c = 0; c < table->columnCount(); ++c) {
                EXPECT_EQ(Cell(table, r, c), "0");
                EXPECT_EQ(Qt::Alignment(table->item(r, c)->textAlignment()), centreTop);
            }
        }
        EXPECT_EQ(table->columnWidth(0), 50);
        EXPECT_EQ(table->horizontalHeaderItem(0), nullptr);
    }

    // A grid of one square leaves no pairs: empty tables, no crash.
    emit w.Imp()->SignalStartOpenShort(1, 1);
    EXPECT_EQ(open->rowCount(), 1);
    EXPECT_EQ(open->columnCount(), 0);
    EXPECT_EQ(shorts->rowCount(), 0);
    EXPECT_EQ(shorts->columnCount(), 1);
}

TEST_F(OpenShortWindowTest, AFailedOpenTellsTheEngineerAndStaysClosed) {
    dir.Write("registry.ini",
              "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
              "\\Device\\VCP0=/nonexistent/ttyPEER\n");
    MessageBoxes boxes;
    OpenShort& w = Create();
    ASSERT_EQ(w.PortBox()->currentText(), "/nonexistent/ttyPEER");
    w.Form().actionOpen_Close_Device->trigger();
    EXPECT_EQ(boxes.Seen(), QStringList{"Open Error|Open SerialPort Fail!"});
    EXPECT_FALSE(w.Form().actionOpen_Close_Device->isChecked());
    EXPECT_TRUE(w.Form().actionOpen_Close_Device->isEnabled());
    EXPECT_FALSE(w.Device()->isOpen());
}

TEST_F(OpenShortWindowTest, WithoutPortsTheActionWaitsForAnAdapter) {
    OpenShort& w = Create();
    EXPECT_EQ(w.PortBox()->count(), 0);
    EXPECT_FALSE(w.Form().actionOpen_Close_Device->isEnabled());

    // Plugged in: the watcher's arrival lists the port and enables opening.
    AddPeer();
    ASSERT_TRUE(WaitUntil([&] { return w.Form().actionOpen_Close_Device->isEnabled(); }));
    EXPECT_EQ(w.PortBox()->count(), 1);
    EXPECT_EQ(w.PortBox()->currentText(), peer->PortName());
}

TEST_F(OpenShortWindowTest, RemovingAnotherAdapterLeavesThePortOpen) {
    AddPeer();
    BridgePeer other;
    MessageBoxes boxes;
    OpenShort& w = Create();
    ASSERT_EQ(w.PortBox()->count(), 2);
    Open();
    ASSERT_TRUE(peer->WaitForText("V##vvZ"));

    other.HangUp();
    other.Unlist();
    w.DeviceRemoval();
    Spin(50);
    EXPECT_TRUE(boxes.Seen().isEmpty());
    EXPECT_TRUE(w.Form().actionOpen_Close_Device->isChecked());
    EXPECT_TRUE(w.Form().actionOpen_Close_Device->isEnabled());
    EXPECT_TRUE(w.Device()->isOpen());
    EXPECT_EQ(w.PortBox()->count(), 1);
    EXPECT_EQ(w.PortBox()->currentText(), peer->PortName());
}

TEST_F(OpenShortWindowTest, AReadOf4096BytesIsDroppedAndOneOf4095IsParsed) {
    AddPeer();
    OpenShort& w = Create();
    Open();
    ASSERT_TRUE(peer->WaitForText("V##vvZ"));
    Spin(50);

    // A half line first: the overflow drops it together with the big read.
    SendAsOneRead("Number of x elec");
    EXPECT_EQ(w.PendingLength(), 16);
    SendAsOneRead(PaddedLine(4096, "Number of x electrodes: 0x0C\r"));
    EXPECT_EQ(w.PendingLength(), 0);
    EXPECT_EQ(w.LabelX()->text(), ChannelLabel("X-Ch.: ", " "));

    SendAsOneRead(PaddedLine(4095, "Number of x electrodes: 0x0B\r"));
    EXPECT_EQ(w.PendingLength(), 0);
    EXPECT_EQ(w.LabelX()->text(), ChannelLabel("X-Ch.: ", "11"));
}

TEST_F(OpenShortWindowTest, TextWithoutLineEndNeverRunsPastThePendingBuffer) {
    AddPeer();
    OpenShort& w = Create();
    Open();
    ASSERT_TRUE(peer->WaitForText("V##vvZ"));
    Spin(50);

    const std::string run(3000, 'a');
    SendAsOneRead(run);
    SendAsOneRead(run);
    EXPECT_EQ(w.PendingLength(), 6000);
    SendAsOneRead(run);  // 9000 bytes would not fit
    EXPECT_EQ(w.PendingLength(), 0);

    // The next line stands on its own.
    SendAsOneRead("Number of x electrodes: 0x0D\r");
    EXPECT_EQ(w.PendingLength(), 0);
    EXPECT_EQ(w.LabelX()->text(), ChannelLabel("X-Ch.: ", "13"));
}

TEST_F(OpenShortWindowTest, TheThresholdStartsAt28AndIsNotWrittenBackUntilChanged) {
    Create();
    EXPECT_EQ(window->ThresholdBox()->value(), 28);
    EXPECT_EQ(window->ThresholdBox()->minimum(), 10);
    EXPECT_EQ(window->ThresholdBox()->maximum(), 100);
    window.reset();
    EXPECT_EQ(Stored("open_threshold"), "<missing>");

    // Out-of-range values are shown within the range and kept as they were.
    for (const char* stored : {"5", "250"}) {
        SCOPED_TRACE(stored);
        dir.Write("openshort.ini", QByteArray("[General]\nopen_threshold=") + stored + "\n");
        Create();
        EXPECT_EQ(window->ThresholdBox()->value(), stored[0] == '5' ? 10 : 100);
        window.reset();
        EXPECT_EQ(Stored("open_threshold"), stored);
    }

    // Not a number: the default, and the file keeps the text.
    dir.Write("openshort.ini", "[General]\nopen_threshold=abc\n");
    Create();
    EXPECT_EQ(window->ThresholdBox()->value(), 28);
    window.reset();
    EXPECT_EQ(Stored("open_threshold"), "abc");
}

TEST_F(OpenShortWindowTest, AChangedThresholdIsSavedWithEveryOtherKey) {
    dir.Write("openshort.ini",
              "[General]\nopen_threshold=40\nhorizontal_squares=5\nvertical_squares=4\n");
    Create();
    EXPECT_EQ(window->ThresholdBox()->value(), 40);
    window->ThresholdBox()->setValue(100);
    EXPECT_EQ(window->StoredSettings()->GetValue("open_threshold"), "100");
    // In memory only until the window closes.
    EXPECT_EQ(Stored("open_threshold"), "40");
    window->StoredSettings()->SetParameter(ConfigParameter("x_electrodes", "9"));
    window.reset();
    EXPECT_EQ(Stored("open_threshold"), "100");
    EXPECT_EQ(Stored("horizontal_squares"), "5");
    EXPECT_EQ(Stored("vertical_squares"), "4");
    EXPECT_EQ(Stored("x_electrodes"), "9");

    Create();
    EXPECT_EQ(window->ThresholdBox()->value(), 100);
}
