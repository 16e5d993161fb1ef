#include <gtest/gtest.h>

#include <QRegularExpression>
#include <boost/make_shared.hpp>
#include <functional>
#include <map>
#include <string>
#include <typeinfo>
#include <vector>

#include "BendingDebugScene.h"
#include "BendingRawData.h"
#include "ButtonNormalScene.h"
#include "ButtonReferenceDataScene.h"
#include "DebugScene.h"
#include "MultiFingerLiftScene.h"
#include "NormalLinearityScene.h"
#include "NormalScene.h"
#include "OpenShortScene.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "ReferenceDataScene.h"
#include "ReplyRoad.h"
#include "SingleDebugScene.h"
#include "TestGlobals.h"

using morvex_gui::CoreDevice;
using morvex_gui_qtlib::QtWindowImp;
using morvex_gui_qtlib::Scene;

namespace {

using Results = std::map<std::string, std::string>;

// ---- reply text ----------------------------------------------------------------

std::string Numbers(const std::vector<int>& values, bool commaAfterEach = false) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        text += std::to_string(values[i]);
        if (commaAfterEach || i + 1 < values.size()) {
            text += ',';
        }
    }
    return text;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + '\r';
    }
    return text;
}

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

// One raw-data frame: an X line and a Y line.
std::string Frame(const std::vector<int>& x, const std::vector<int>& y) {
    return Lines({"X" + Numbers(x), "Y" + Numbers(y)});
}

using Grid = std::vector<std::vector<int> >;

// A raster frame: the header row "S..." and the rows "R...", a comma after
// every number, as the bridge sends them.
std::string RasterFrame(const Grid& grid) {
    std::string text;
    for (size_t r = 0; r < grid.size(); ++r) {
        text += (r == 0 ? "S" : "R") + Numbers(grid[r], true) + '\r';
    }
    return text;
}

std::string RasterRecord(const char* header, const Grid& grid) {
    std::string record = header;
    for (const std::vector<int>& row : grid) {
        record += Numbers(row, true) + "\r\n";
    }
    return record;
}

// A threshold table file of one upper and one lower limit for every channel.
void WriteLimits(ReplyRoad& road, int x, int y, int upper, int lower) {
    road.Set("x_electrodes", std::to_string(x));
    road.Set("y_electrodes", std::to_string(y));
    const auto row = [](int count, int value) {
        return Numbers(std::vector<int>(count, value), true);
    };
    const std::string table =
        row(x, upper) + "\r\n" + row(x, lower) + "\r\n" + row(y, upper) + "\r\n" + row(y, lower);
    road.dir.Write(QString("X%1Y%2.txt").arg(x).arg(y), QByteArray::fromStdString(table));
}

void ResetTestGlobals() {
    g_jitterTest = 0;
    g_jitterXThreshold = 0;
    g_jitterYThreshold = 0;
    g_disconnectionTest = 0;
    g_disconnectTestPeriod = 0;
}

// ---- one mode family's road ----------------------------------------------------

struct Family {
    const char* name;
    std::function<void(ReplyRoad&)> prepare;  // settings, files, test switches
    std::function<void(ReplyRoad&)> start;    // the device operation
    std::string command;                      // exactly what the bridge must receive
    std::string reply;
    const std::type_info* scene;
    std::vector<bool> verdicts;
    Results results;
    std::vector<std::string> notices;  // signals of the GUI interface, in order
};

void PrintTo(const Family& family, std::ostream* out) {
    *out << family.name;
}

// Installs the bending state the way the engineering device's display switch
// does (plain "b", then the state), since this device has no such switch.
void StartBending(ReplyRoad& road) {
    road.device.Send("b");
    road.current = boost::make_shared<morvex_gui::BendingRawData>(&road.imp);
}

const Grid kQuietRaster(4, std::vector<int>(10, 0));

Grid BadRaster() {
    Grid bad = kQuietRaster;
    bad[1][5] = 100;   // a centre cell on its limit
    bad[2][0] = -150;  // an edge cell inside the edge limits
    bad[3][9] = 250;   // an edge cell beyond them
    return bad;
}

std::vector<Family> Families() {
    const std::vector<int> x4(4, 10), y3(3, 10);
    const std::vector<int> x3(3, 0), y2(2, 0);
    std::string jitterFrames;
    for (int frame = 0; frame < 25; ++frame) {
        jitterFrames += Frame({frame % 2 == 0 ? 0 : 10, 3}, {1});
    }
    const std::string bendingFrame =
        Lines({"RAW DATA", "X20,40,-20", "Y10,0", "BENDING DATA", "U-40,6,8", "V2,4"});

    return {
        {"Touch",
         [](ReplyRoad&) {},
         [](ReplyRoad& r) { r.device.NormalState(); },
         "n",
         Lines({"( 1,0,100,100", "( 1,0,120,110", "( 0"}),
         &typeid(morvex_gui_qtlib::NormalScene),
         {},
         {},
         {}},
        {"TouchLinearity",
         [](ReplyRoad& r) { r.Set("line_width", "40"); },
         [](ReplyRoad& r) { r.device.LinearityState(); },
         "n",
         Lines({"( 0", "( 0", "( 1,0,100,75", "( 1,0,200,150", "( 1,0,400,0"}),
         &typeid(morvex_gui_qtlib::NormalLinearityScene),
         {false},
         {},
         {"StartTimer(0)"}},
        {"Debug",
         [](ReplyRoad& r) { WriteLimits(r, 4, 3, 50, -20); },
         [](ReplyRoad& r) { r.device.DebugState(); },
         "d",
         Repeat(Frame(x4, y3), 4) + Repeat(Frame({999, 10, 10, 10}, {10, 10, -99}), 10) +
             Frame({50, -20, 10, 10}, {50, -20, 0}) + Frame({50, -20, 51, 10}, {50, -21, 0}) +
             Frame({99, 99, 99, 99}, y3),
         &typeid(morvex_gui_qtlib::DebugScene),
         {false},
         {{"debug", "Debug: ,Fail\r\nX,50,-20,51,10\r\nY,50,-21,0\r\n"}},
         {"StartTimer(1)"}},
        {"Jitter",
         [](ReplyRoad& r) {
             WriteLimits(r, 2, 1, 0, 0);
             g_jitterTest = 1;
             g_jitterXThreshold = 4.9;
             g_jitterYThreshold = 4.9;
         },
         [](ReplyRoad& r) { r.device.JitterState(); },
         "d",
         Repeat(Frame({0, 3}, {1}), 4) + jitterFrames,
         &typeid(morvex_gui_qtlib::DebugScene),
         {false},
         {{"jitter", "Jitter: ,Fail\r\nX,5,0\r\nY,0\r\n"}},
         {"StartTimer(1)"}},
        {"RasterX",
         [](ReplyRoad& r) { WriteLimits(r, 3, 2, 50, -50); },
         [](ReplyRoad& r) { r.device.RasterXState(); },
         "d",
         Repeat(Frame(x3, y2), 4) + Frame(x3, {0, 51}) + Frame({0, -51, 0}, y2) +
             Frame({99, 0, 0}, y2),
         &typeid(morvex_gui_qtlib::RasterXScene),
         {false},
         {{"debug", "Debug: ,Fail\r\nX,0,-51,0\r\nY,0,0\r\n"}},
         {"StartTimer(1)"}},
        {"RasterY",
         [](ReplyRoad& r) { WriteLimits(r, 3, 2, 50, -50); },
         [](ReplyRoad& r) { r.device.RasterYState(); },
         "d",
         Repeat(Frame(x3, y2), 4) + Frame({0, 0, 51}, {0, 50}) + Repeat(Frame(x3, {-51, 0}), 2),
         &typeid(morvex_gui_qtlib::RasterYScene),
         {false},
         {{"debug", "Debug: ,Fail\r\nX,0,0,0\r\nY,-51,0\r\n"}},
         {"StartTimer(1)"}},
        {"SingleRawReference",
         [](ReplyRoad& r) {
             r.Set("reference_electrodes", "4");
             r.Set("singleraw_threshold", "100");
         },
         [](ReplyRoad& r) { r.device.SingleRawDataState(); },
         "r",
         Lines({"HR1,2,3,4", "HR100,120,100,150", "HR99,100,100,100"}),
         &typeid(morvex_gui_qtlib::ReferenceDataScene),
         {true},
         {{"Single Raw", "Single Raw: ,Pass\r\n100,120,100,150\r\n"}},
         {"StartTimer(1)"}},
        {"Raster",
         [](ReplyRoad& r) {
             r.Set("x_electrodes", "8");
             r.Set("y_electrodes", "2");
             r.Set("raster_max", "100");
             r.Set("raster_min", "-100");
             r.Set("raster_x_edge_max", "200");
             r.Set("raster_x_edge_min", "-200");
             r.Set("raster_x_edge_counter", "2");
         },
         [](ReplyRoad& r) { r.device.RasterState(); },
         "r",
         RasterFrame(kQuietRaster) + Repeat(RasterFrame(BadRaster()), 5),
         &typeid(morvex_gui_qtlib::MultiFingerLiftScene),
         {false, false},
         {{"raster", RasterRecord("Raster: ,Fail\r\n", BadRaster())}},
         {"StartTimer(1)"}},
        {"OpenShort",
         [](ReplyRoad& r) {
             r.Set("horizontal_squares", "3");
             r.Set("vertical_squares", "2");
         },
         [](ReplyRoad& r) { r.device.EnterOpenShortState(); },
         "d",
         // The threshold table brings no open/short limits: every pair is a defect.
         Repeat(Frame({100, 100, 100, 195}, {50, 50, 50}), 4) +
             Frame({80, 100, 100, 195}, {50, 50, 56}) + Frame({100, 100, 100, 195}, {50, 50, 50}),
         &typeid(morvex_gui_qtlib::OpenShortScene),
         {false},
         {{"debug", "Debug: ,Fail\r\nX,80,100,100,195\r\nY,50,50,56\r\n"}},
         {"StartTimer(1)", "StartOpenShort(3,2)"}},
        {"Bending",
         [](ReplyRoad& r) {
             r.Set("x_electrodes", "3");
             r.Set("y_electrodes", "2");
         },
         StartBending,
         "b",
         Repeat(bendingFrame, 2),
         &typeid(morvex_gui_qtlib::BendingDebugScene),
         {},
         {},
         {}},
        {"Buttons",
         [](ReplyRoad& r) { r.Set("button_number", "3"); },
         [](ReplyRoad& r) { r.device.UserReadButtons(); },
         "K",
         Lines({"HThe button: 0,0,0,0,0,0,0,0", "HThe button: 0,0,0,0,0,1,1,1",
                "HThe button: 0,0,0,0,0,0,0,0"}),
         &typeid(morvex_gui_qtlib::ButtonNormalScene),
         {true},
         {},
         {"StartTimer(0)"}},
        {"ButtonRawData",
         [](ReplyRoad& r) {
             r.Set("b_rawdata_max", "100");
             r.Set("b_rawdata_min", "-50");
         },
         [](ReplyRoad& r) { r.device.UserReadButtonRawData(); },
         "b",
         Lines({"The button rawdata: 0,0,0,0,0,0,0,0", "The button rawdata: 100,-50,0,0,0,0,0,0",
                "The button rawdata: 100,-51,0,0,0,0,0,0",
                "The button rawdata: 101,0,0,0,0,0,0,0"}),
         &typeid(morvex_gui_qtlib::SingleDebugScene),
         {false},
         {{"Button Rawdata", "Button Rawdata: ,Fail\r\n 100,-51,0,0,0,0,0,0\r\n"}},
         {"StartTimer(1)"}},
        {"ButtonReference",
         [](ReplyRoad& r) {
             r.Set("button_reference_electrodes", "2");
             r.Set("singleraw_threshold", "1000");
             r.Set("b_singleraw_threshold", "-10");
         },
         [](ReplyRoad& r) { r.device.ButtonSingleRawDataState(); },
         "w",
         Lines({"The button reference rawdata: 0,0", "The button reference rawdata: -10,12"}),
         &typeid(morvex_gui_qtlib::ButtonReferenceDataScene),
         {true},
         {{"Button Single Raw", "Button Single Raw: ,Pass\r\n -10,12\r\n"}},
         {"StartTimer(1)"}},
        {"SlaveVersion",
         [](ReplyRoad&) {},
         [](ReplyRoad& r) { r.device.SlaveVersionState(); },
         "a",
         Lines({"Slave version: V1.23"}),
         &typeid(Scene),
         {},
         {},
         {"SlaveVersion(V1.23)"}},
        {"MasterVersion",
         [](ReplyRoad&) {},
         [](ReplyRoad& r) { r.device.MasterVersionState(); },
         "v",
         Lines({"Master version: I2C master for ZT7538 Morvex Bridge V1.07"}),
         &typeid(Scene),
         {},
         {},
         {"ReadMasterVersion(V1.07)"}},
        {"Reset",
         [](ReplyRoad&) {},
         [](ReplyRoad& r) { r.device.ResetState(); },
         "@m5Dbm5Ck",
         Lines({"Bootloader information: 01 02 03 04 "}),
         &typeid(Scene),
         {true},
         {},
         {"StartTimer(0)"}},
        {"Attb",
         [](ReplyRoad&) {},
         [](ReplyRoad& r) { r.device.AttbState(); },
         "~rx",
         Repeat(Lines({"ATTb not toggle"}), 20),
         &typeid(Scene),
         {false},
         {},
         {"StartTimer(1)"}},
    };
}

// What came out of one road, for comparing two runs.
struct Outcome {
    std::string scene;
    std::vector<bool> verdicts;
    Results results;
    std::vector<std::string> notices;
    QString log;
    size_t lines = 0;
};

bool operator==(const Outcome& a, const Outcome& b) {
    return a.scene == b.scene && a.verdicts == b.verdicts && a.results == b.results &&
           a.notices == b.notices && a.log == b.log && a.lines == b.lines;
}

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << o.scene << ", " << o.verdicts.size() << " verdicts, " << o.results.size()
         << " records, " << o.notices.size() << " notices, " << o.lines << " lines, log \""
         << o.log.toStdString() << "\"";
}

// Collects the GUI interface's signals that reach the main window as text.
class NoticeRecorder {
public:
    explicit NoticeRecorder(QtWindowImp& imp) {
        QObject::connect(&imp, &QtWindowImp::SignalStartTimer, &_context,
                         [this](int n) { Note("StartTimer(" + std::to_string(n) + ")"); });
        QObject::connect(&imp, &QtWindowImp::SignalStartOpenShort, &_context, [this](int x, int y) {
            Note("StartOpenShort(" + std::to_string(x) + "," + std::to_string(y) + ")");
        });
        QObject::connect(&imp, &QtWindowImp::SignalSlaveVersion, &_context,
                         [this](const char* v) { Note(std::string("SlaveVersion(") + v + ")"); });
        QObject::connect(
            &imp, &QtWindowImp::SignalReadMasterVersion, &_context,
            [this](const char* v) { Note(std::string("ReadMasterVersion(") + v + ")"); });
        QObject::connect(&imp, &QtWindowImp::SignalDeviceOff, &_context,
                         [this] { Note("DeviceOff"); });
    }
    const std::vector<std::string>& Notices() const { return _notices; }

private:
    void Note(std::string text) { _notices.push_back(std::move(text)); }

    QObject _context;
    std::vector<std::string> _notices;
};

class ReplyRoadEndToEndTest : public ::testing::TestWithParam<Family> {
protected:
    void SetUp() override { ResetTestGlobals(); }
    void TearDown() override { ResetTestGlobals(); }

    // Runs the family's device operation on a fresh road; `deliver` gets the
    // reply to the window once the command has reached the peer.
    Outcome Run(const Family& family, const std::string& reply,
                const std::function<bool(ReplyRoad&, const std::string&)>& deliver) {
        ReplyRoad road;
        Outcome outcome;
        if (!road.Open()) {
            ADD_FAILURE() << "the device did not open on the peer";
            return outcome;
        }
        NoticeRecorder notices(road.imp);
        family.prepare(road);
        family.start(road);
        EXPECT_TRUE(road.peer.WaitForText(family.command));
        EXPECT_TRUE(deliver(road, reply));
        EXPECT_TRUE(road.AllRead());
        EXPECT_EQ(road.Overflows(), 0);
        EXPECT_EQ(road.peer.Received(), family.command) << "the mode's command, nothing else";
        if (const auto scene = road.view->GetScene()) {
            outcome.scene = typeid(*scene).name();
        }
        outcome.verdicts = road.Verdicts();
        outcome.results = road.Results();
        outcome.notices = notices.Notices();
        outcome.log = road.LogText();
        outcome.lines = road.LinesRead();
        CheckResultFile(road);
        return outcome;
    }

    // The whole reply leaves the peer at once.
    Outcome RunWhole(const Family& family) {
        return Run(family, family.reply,
                   [](ReplyRoad& road, const std::string& reply) { return road.Deliver(reply); });
    }

    Outcome RunCut(const Family& family, const std::string& reply, unsigned seed) {
        return Run(family, reply, [seed](ReplyRoad& road, const std::string& bytes) {
            return road.DeliverInPieces(bytes, seed, 23);
        });
    }

    // The result file holds the records in key order, nothing else; without
    // records no file is written.
    static void CheckResultFile(ReplyRoad& road) {
        std::string expected;
        for (const auto& record : road.Results()) {
            expected += record.second;
        }
        QStringList names;
        QByteArray contents;
        const bool saved = road.SaveResultFile(&names, &contents);
        if (expected.empty()) {
            EXPECT_TRUE(names.isEmpty());
            return;
        }
        ASSERT_TRUE(saved) << names.join(", ").toStdString();
        static const QRegularExpression stamp(
            "^\\d{4}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{1,2}\\d{1,2}\\.csv$");
        EXPECT_TRUE(stamp.match(names.first()).hasMatch()) << names.first().toStdString();
        EXPECT_EQ(contents.toStdString(), expected);
        EXPECT_TRUE(road.Results().empty());
    }
};

}  // namespace

TEST_P(ReplyRoadEndToEndTest, CommandReplySceneVerdictAndRecord) {
    const Family& family = GetParam();
    // The peer answers as soon as the command arrives.
    ReplyRoad road;
    ASSERT_TRUE(road.Open());
    NoticeRecorder notices(road.imp);
    family.prepare(road);
    road.peer.Expect(family.command, family.reply);
    family.start(road);

    ASSERT_TRUE(road.PumpUntil([&] { return road.BytesRead() == family.reply.size(); }))
        << road.BytesRead() << " of " << family.reply.size() << " bytes read";
    EXPECT_EQ(road.peer.Received(), family.command);
    EXPECT_EQ(road.Overflows(), 0);
    const auto scene = road.view->GetScene();
    ASSERT_TRUE(scene);
    EXPECT_STREQ(typeid(*scene).name(), family.scene->name());
    EXPECT_EQ(road.Verdicts(), family.verdicts);
    EXPECT_EQ(road.Results(), family.results);
    EXPECT_EQ(notices.Notices(), family.notices);
}

TEST_P(ReplyRoadEndToEndTest, RepliesCutAtRandomPointsGiveTheSameResults) {
    const Family& family = GetParam();
    const Outcome whole = RunWhole(family);
    EXPECT_EQ(whole.verdicts, family.verdicts);
    EXPECT_EQ(whole.results, family.results);
    for (unsigned seed : {1u, 2024u}) {
        SCOPED_TRACE(seed);
        EXPECT_EQ(RunCut(family, family.reply, seed), whole);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, ReplyRoadEndToEndTest, ::testing::ValuesIn(Families()),
                         [](const ::testing::TestParamInfo<Family>& info) {
                             return std::string(info.param.name);
                         });

namespace {

const Family& DebugFamily() {
    static const std::vector<Family> families = Families();
    for (const Family& family : families) {
        if (std::string(family.name) == "Debug") {
            return family;
        }
    }
    throw std::logic_error("no debug family");
}

// The debug reply with `extra` put in after its `line`-th line.
std::string InsertAfterLine(const std::string& reply, int line, const std::string& extra) {
    size_t at = 0;
    for (int i = 0; i < line; ++i) {
        at = reply.find('\r', at) + 1;
    }
    return reply.substr(0, at) + extra + reply.substr(at);
}

class ReplyRoadNoiseTest : public ReplyRoadEndToEndTest {};

}  // namespace

TEST_F(ReplyRoadNoiseTest, ANackLineInMidStreamSwitchesThePanelOffAndChangesNothingElse) {
    const Family& family = DebugFamily();
    const Outcome plain = RunWhole(family);
    // Between the X and the Y line of the fifth frame.
    const std::string reply = InsertAfterLine(family.reply, 9, "I2C_MTX_NACK_DATA\r");
    Outcome nack = RunCut(family, reply, 7);
    EXPECT_EQ(nack.notices, (std::vector<std::string>{"StartTimer(1)", "DeviceOff"}));
    EXPECT_EQ(nack.lines, plain.lines + 1);
    nack.notices = plain.notices;
    nack.lines = plain.lines;
    EXPECT_EQ(nack, plain);
}

TEST_F(ReplyRoadNoiseTest, GarbageBetweenLinesChangesNothing) {
    const Family& family = DebugFamily();
    const Outcome plain = RunWhole(family);
    std::string reply = family.reply;
    const std::vector<std::string> garbage = {std::string("\x1b[2J\x07\r"),
                                              std::string("\xff\xfe\x01\x00\x7f\r", 6),
                                              "\n\r",
                                              "~~ ## ??\r",
                                              "\r",
                                              std::string("\x80\x81\x82")};
    int line = 28;
    for (const std::string& noise : garbage) {
        reply = InsertAfterLine(reply, line, noise);
        line -= 5;
    }
    Outcome noisy = RunCut(family, reply, 11);
    EXPECT_EQ(noisy.lines, plain.lines + 5) << "five noise lines; the last noise leads a line";
    noisy.lines = plain.lines;
    EXPECT_EQ(noisy, plain);
}

TEST_F(ReplyRoadNoiseTest, OneRunThroughSeveralItemsSavesEveryRecordInKeyOrder) {
    ReplyRoad road;
    ASSERT_TRUE(road.Open());
    WriteLimits(road, 4, 3, 50, -20);
    road.Set("reference_electrodes", "4");
    road.Set("singleraw_threshold", "100");

    road.device.DebugState();
    const std::string debug = Repeat(Frame({10, 10, 10, 10}, {10, 10, 10}), 4);
    ASSERT_TRUE(road.Deliver(debug));
    ASSERT_NE(road.Current<morvex_gui_qtlib::DebugScene>(), nullptr);

    road.device.SingleRawDataState();
    ASSERT_TRUE(road.Deliver(Lines({"HR1,2,3,4", "HR100,120,100,150"})));
    ASSERT_NE(road.Current<morvex_gui_qtlib::ReferenceDataScene>(), nullptr);

    road.device.RasterXState();
    ASSERT_TRUE(road.Deliver(Repeat(Frame({1, 2, 3, 4}, {5, 6, 7}), 4)));
    ASSERT_NE(road.Current<morvex_gui_qtlib::RasterXScene>(), nullptr);
    EXPECT_TRUE(road.peer.WaitForText("drd"));
    EXPECT_EQ(road.peer.Received(), "drd");
    EXPECT_EQ(road.Verdicts(), std::vector<bool>{true});

    QStringList names;
    QByteArray contents;
    ASSERT_TRUE(road.SaveResultFile(&names, &contents));
    // "Single Raw" sorts before "debug"; the raster X item replaced the debug record.
    EXPECT_EQ(contents.toStdString(),
              "Single Raw: ,Pass\r\n100,120,100,150\r\n"
              "Debug: ,Pass\r\nX,1,2,3,4\r\nY,5,6,7\r\n");
}
