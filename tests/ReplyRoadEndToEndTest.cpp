#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <map>
#include <string>
#include <vector>

#include "BendingRawData.h"
#include "ReplyRoad.h"
#include "TestGlobals.h"
#include "TypeName.h"

using morvex_gui::CoreDevice;
using morvex_gui_qtlib::QtWindowImp;

namespace {

using Results = std::map<std::string, std::string>;

struct Limits {
    int x = 0;  // 0: no threshold table
    int y = 0;
    int upper = 0;
    int lower = 0;
};

// A threshold table file of one upper and one lower limit for every channel.
void WriteLimits(ReplyRoad& road, const Limits& l) {
    road.Set("x_electrodes", std::to_string(l.x));
    road.Set("y_electrodes", std::to_string(l.y));
    const auto row = [](int count, int value) {
        return Numbers(std::vector<int>(count, value), true);
    };
    const std::string table = row(l.x, l.upper) + "\r\n" + row(l.x, l.lower) + "\r\n" +
                              row(l.y, l.upper) + "\r\n" + row(l.y, l.lower);
    road.dir.Write(QString("X%1Y%2.txt").arg(l.x).arg(l.y), QByteArray::fromStdString(table));
}

void ResetTestGlobals() {
    g_jitterTest = 0;
    g_jitterXThreshold = 0;
    g_jitterYThreshold = 0;
    g_disconnectionTest = 0;
    g_disconnectTestPeriod = 0;
}

// ---- one mode family's road ----------------------------------------------------

using Settings = std::vector<std::pair<const char*, const char*>>;

struct Family {
    const char* name;
    void (CoreDevice::*start)();  // null: the bending switch below
    std::string command;          // exactly what the bridge must receive
    std::string reply;
    const char* scene;
    std::vector<bool> verdicts;
    Results results;
    std::vector<std::string> notices;  // signals of the GUI interface, in order
    Settings settings;
    Limits limits;
    double jitterThreshold;  // non-zero: the jitter test is on
};

Family Make(const char* name, void (CoreDevice::*start)(), std::string command, std::string reply,
            const char* scene, std::vector<bool> verdicts, Results results,
            std::vector<std::string> notices, Settings settings = {}, Limits limits = {},
            double jitterThreshold = 0) {
    return {name,    start,   command,  reply,  scene,          verdicts,
            results, notices, settings, limits, jitterThreshold};
}

void Start(ReplyRoad& road, const Family& family) {
    for (const auto& [key, value] : family.settings) {
        road.Set(key, value);
    }
    if (family.limits.x > 0) {
        WriteLimits(road, family.limits);
    }
    if (family.jitterThreshold != 0) {
        g_jitterTest = 1;
        g_jitterXThreshold = family.jitterThreshold;
        g_jitterYThreshold = family.jitterThreshold;
    }
    if (family.start != nullptr) {
        (road.device.*family.start)();
        return;
    }
    // The engineering device's display switch for bending: plain "b", then the state.
    road.device.Send("b");
    road.current = boost::make_shared<morvex_gui::BendingRawData>(&road.imp);
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
    const std::vector<std::string> timer1 = {"StartTimer(1)"};
    // Raster rows, a comma after every number. The bad frame has a centre cell on its
    // limit, an edge cell inside the edge limits and one beyond them.
    const std::string quiet = "0,0,0,0,0,0,0,0,0,0,";
    const std::vector<std::string> bad = {quiet, "0,0,0,0,0,100,0,0,0,0,",
                                          "-150,0,0,0,0,0,0,0,0,0,", "0,0,0,0,0,0,0,0,0,250,"};
    const std::string badFrame = Lines({"S" + bad[0], "R" + bad[1], "R" + bad[2], "R" + bad[3]});
    using D = CoreDevice;

    return {
        Make("Touch", &D::NormalState, "n", Lines({"( 1,0,100,100", "( 1,0,120,110", "( 0"}),
             "NormalScene", {}, {}, {}),
        Make("TouchLinearity", &D::LinearityState, "n",
             Lines({"( 0", "( 0", "( 1,0,100,75", "( 1,0,200,150", "( 1,0,400,0"}),
             "NormalLinearityScene", {false}, {}, {"StartTimer(0)"}, {{"line_width", "40"}}),
        Make("Debug", &D::DebugState, "d",
             Repeat(Frame(x4, y3), 4) + Repeat(Frame({999, 10, 10, 10}, {10, 10, -99}), 10) +
                 Frame({50, -20, 10, 10}, {50, -20, 0}) + Frame({50, -20, 51, 10}, {50, -21, 0}) +
                 Frame({99, 99, 99, 99}, y3),
             "DebugScene", {false}, {{"debug", "Debug: ,Fail\r\nX,50,-20,51,10\r\nY,50,-21,0\r\n"}},
             timer1, {}, {4, 3, 50, -20}),
        Make("Jitter", &D::JitterState, "d", Repeat(Frame({0, 3}, {1}), 4) + jitterFrames,
             "DebugScene", {false}, {{"jitter", "Jitter: ,Fail\r\nX,5,0\r\nY,0\r\n"}}, timer1, {},
             {2, 1, 0, 0}, 4.9),
        Make("RasterX", &D::RasterXState, "d",
             Repeat(Frame(x3, y2), 4) + Frame(x3, {0, 51}) + Frame({0, -51, 0}, y2) +
                 Frame({99, 0, 0}, y2),
             "RasterXScene", {false}, {{"debug", "Debug: ,Fail\r\nX,0,-51,0\r\nY,0,0\r\n"}}, timer1,
             {}, {3, 2, 50, -50}),
        Make("RasterY", &D::RasterYState, "d",
             Repeat(Frame(x3, y2), 4) + Frame({0, 0, 51}, {0, 50}) + Repeat(Frame(x3, {-51, 0}), 2),
             "RasterYScene", {false}, {{"debug", "Debug: ,Fail\r\nX,0,0,0\r\nY,-51,0\r\n"}}, timer1,
             {}, {3, 2, 50, -50}),
        Make("SingleRawReference", &D::SingleRawDataState, "r",
             Lines({"HR1,2,3,4", "HR100,120,100,150", "HR99,100,100,100"}), "ReferenceDataScene",
             {true}, {{"Single Raw", "Single Raw: ,Pass\r\n100,120,100,150\r\n"}}, timer1,
             {{"reference_electrodes", "4"}, {"singleraw_threshold", "100"}}),
        Make("Raster", &D::RasterState, "r",
             Lines({"S" + quiet, "R" + quiet, "R" + quiet, "R" + quiet}) + Repeat(badFrame, 5),
             "MultiFingerLiftScene", {false, false},
             {{"raster", "Raster: ,Fail\r\n" + bad[0] + "\r\n" + bad[1] + "\r\n" + bad[2] + "\r\n" +
                             bad[3] + "\r\n"}},
             timer1,
             {{"x_electrodes", "8"},
              {"y_electrodes", "2"},
              {"raster_max", "100"},
              {"raster_min", "-100"},
              {"raster_x_edge_max", "200"},
              {"raster_x_edge_min", "-200"},
              {"raster_x_edge_counter", "2"}}),
        // The threshold table brings no open/short limits: every pair is a defect.
        Make("OpenShort", &D::EnterOpenShortState, "d",
             Repeat(Frame({100, 100, 100, 195}, {50, 50, 50}), 4) +
                 Frame({80, 100, 100, 195}, {50, 50, 56}) +
                 Frame({100, 100, 100, 195}, {50, 50, 50}),
             "OpenShortScene", {false},
             {{"debug", "Debug: ,Fail\r\nX,80,100,100,195\r\nY,50,50,56\r\n"}},
             {"StartTimer(1)", "StartOpenShort(3,2)"},
             {{"horizontal_squares", "3"}, {"vertical_squares", "2"}}),
        Make("Bending", nullptr, "b", Repeat(bendingFrame, 2), "BendingDebugScene", {}, {}, {},
             {{"x_electrodes", "3"}, {"y_electrodes", "2"}}),
        Make("Buttons", &D::UserReadButtons, "K",
             Lines({"HThe button: 0,0,0,0,0,0,0,0", "HThe button: 0,0,0,0,0,1,1,1",
                    "HThe button: 0,0,0,0,0,0,0,0"}),
             "ButtonNormalScene", {true}, {}, {"StartTimer(0)"}, {{"button_number", "3"}}),
        Make(
            "ButtonRawData", &D::UserReadButtonRawData, "b",
            Lines({"The button rawdata: 0,0,0,0,0,0,0,0", "The button rawdata: 100,-50,0,0,0,0,0,0",
                   "The button rawdata: 100,-51,0,0,0,0,0,0",
                   "The button rawdata: 101,0,0,0,0,0,0,0"}),
            "SingleDebugScene", {false},
            {{"Button Rawdata", "Button Rawdata: ,Fail\r\n 100,-51,0,0,0,0,0,0\r\n"}}, timer1,
            {{"b_rawdata_max", "100"}, {"b_rawdata_min", "-50"}}),
        Make("ButtonReference", &D::ButtonSingleRawDataState, "w",
             Lines({"The button reference rawdata: 0,0", "The button reference rawdata: -10,12"}),
             "ButtonReferenceDataScene", {true},
             {{"Button Single Raw", "Button Single Raw: ,Pass\r\n -10,12\r\n"}}, timer1,
             {{"button_reference_electrodes", "2"},
              {"singleraw_threshold", "1000"},
              {"b_singleraw_threshold", "-10"}}),
        Make("SlaveVersion", &D::SlaveVersionState, "a", Lines({"Slave version: V1.23"}), "Scene",
             {}, {}, {"SlaveVersion(V1.23)"}),
        Make("MasterVersion", &D::MasterVersionState, "v",
             Lines({"Master version: I2C master for ZT7538 Morvex Bridge V1.07"}), "Scene", {}, {},
             {"ReadMasterVersion(V1.07)"}),
        Make("Reset", &D::ResetState, "@m5Dbm5Ck", Lines({"Bootloader information: 01 02 03 04 "}),
             "Scene", {true}, {}, {"StartTimer(0)"}),
        Make("Attb", &D::AttbState, "~rx", Repeat(Lines({"ATTb not toggle"}), 20), "Scene", {false},
             {}, timer1),
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

// Collects the GUI interface's signals that reach the main window as text.
class NoticeRecorder {
public:
    explicit NoticeRecorder(QtWindowImp& imp) {
        const auto note = [this](std::string text) { _notices.push_back(std::move(text)); };
        QObject::connect(&imp, &QtWindowImp::SignalStartTimer, &_context,
                         [=](int n) { note("StartTimer(" + std::to_string(n) + ")"); });
        QObject::connect(&imp, &QtWindowImp::SignalStartOpenShort, &_context, [=](int x, int y) {
            note("StartOpenShort(" + std::to_string(x) + "," + std::to_string(y) + ")");
        });
        QObject::connect(&imp, &QtWindowImp::SignalSlaveVersion, &_context,
                         [=](const char* v) { note(std::string("SlaveVersion(") + v + ")"); });
        QObject::connect(&imp, &QtWindowImp::SignalReadMasterVersion, &_context,
                         [=](const char* v) { note(std::string("ReadMasterVersion(") + v + ")"); });
        QObject::connect(&imp, &QtWindowImp::SignalDeviceOff, &_context,
                         [=] { note("DeviceOff"); });
    }
    const std::vector<std::string>& Notices() const { return _notices; }

private:
    QObject _context;
    std::vector<std::string> _notices;
};

// The result file holds the records in key order, nothing else; without
// records no file is written.
void CheckResultFile(ReplyRoad& road) {
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
    EXPECT_EQ(contents.toStdString(), expected);
    EXPECT_TRUE(road.Results().empty());
}

class ReplyRoadEndToEndTest : public ::testing::TestWithParam<Family> {
protected:
    void SetUp() override { ResetTestGlobals(); }
    void TearDown() override { ResetTestGlobals(); }

    // Runs the family on a fresh road. With seed 0 the peer answers the
    // command at once with the whole reply; otherwise the reply leaves in
    // pieces of 1 to 23 bytes chosen by the seed, each read before the next.
    Outcome Run(const Family& family, const std::string& reply, unsigned seed) {
        ReplyRoad road;
        Outcome outcome;
        if (!road.Open()) {
            ADD_FAILURE() << "the device did not open on the peer";
            return outcome;
        }
        NoticeRecorder notices(road.imp);
        if (seed == 0) {
            road.peer.Expect(family.command, reply);
        }
        Start(road, family);
        EXPECT_TRUE(road.peer.WaitForText(family.command));
        EXPECT_TRUE(seed == 0 ? road.PumpUntil([&] { return road.BytesRead() == reply.size(); })
                              : road.DeliverInPieces(reply, seed, 23))
            << road.BytesRead() << " of " << reply.size() << " bytes read";
        EXPECT_TRUE(road.AllRead());
        EXPECT_EQ(road.Overflows(), 0);
        EXPECT_EQ(road.peer.Received(), family.command) << "the mode's command, nothing else";
        if (const auto scene = road.view->GetScene()) {
            outcome.scene = TypeName(*scene);
        }
        outcome.verdicts = road.Verdicts();
        outcome.results = road.Results();
        outcome.notices = notices.Notices();
        outcome.log = road.LogText();
        outcome.lines = road.LinesRead();
        CheckResultFile(road);
        return outcome;
    }
};

}  // namespace

static void ExpectSame(const Outcome& a, const Outcome& b) {
    EXPECT_EQ(a.scene, b.scene);
    EXPECT_EQ(a.verdicts, b.verdicts);
    EXPECT_EQ(a.results, b.results);
    EXPECT_EQ(a.notices, b.notices);
    EXPECT_EQ(a.log, b.log);
    EXPECT_EQ(a.lines, b.lines);
}

TEST_P(ReplyRoadEndToEndTest, CommandReplySceneVerdictRecordAndTheSameWhenCut) {
    const Family& family = GetParam();
    const Outcome whole = Run(family, family.reply, 0);
    EXPECT_EQ(whole.scene, family.scene);
    EXPECT_EQ(whole.verdicts, family.verdicts);
    EXPECT_EQ(whole.results, family.results);
    EXPECT_EQ(whole.notices, family.notices);
    ExpectSame(Run(family, family.reply, 2024), whole);
}

INSTANTIATE_TEST_SUITE_P(Families, ReplyRoadEndToEndTest, ::testing::ValuesIn(Families()),
                         [](const ::testing::TestParamInfo<Family>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// The debug reply with `extra` put in after its `line`-th line.
std::string InsertAfterLine(const std::string& reply, int line, const std::string& extra) {
    size_t at = 0;
    for (int i = 0; i < line; ++i) {
        at = reply.find('\r', at) + 1;
    }
    return reply.substr(0, at) + extra + reply.substr(at);
}

class ReplyRoadNoiseTest : public ReplyRoadEndToEndTest {};

// The road with the base window's own read slot, which leaves the lines of a
// read where the read put them.
class BaseReadRoad : public ReplyRoad {
public:
    const std::vector<std::string>& LastLines() { return _link.Lines(); }
    int Pending() const { return _link.Reader().PendingLength(); }

protected:
    void ReadSerialPort() override { QtSerialPortWindow::ReadSerialPort(); }
};

}  // namespace

// A notice for bytes an earlier read already took (or a second connection)
// finds nothing waiting: the last read's lines and the half line stay.
TEST(ReplyRoadReadTest, AReadWithNothingWaitingChangesNothing) {
    BaseReadRoad road;
    ASSERT_TRUE(road.Open());
    road.peer.SendRaw("12\r34");
    ASSERT_TRUE(road.PumpUntil([&] { return road.Pending() == 2; }));
    // {"12"}, unless the pty happened to cut the bytes after the "\r".
    const std::vector<std::string> last = road.LastLines();
    emit road.device.readyRead();
    EXPECT_EQ(road.LastLines(), last);
    EXPECT_EQ(road.Pending(), 2);
    road.peer.SendRaw("\r");
    ASSERT_TRUE(road.PumpUntil([&] { return road.Pending() == 0; }));
    EXPECT_EQ(road.LastLines(), std::vector<std::string>{"34"});
}

TEST_F(ReplyRoadNoiseTest, GarbageAndANackLineInMidStreamChangeNothingElse) {
    const Family family = Families()[2];
    ASSERT_STREQ(family.name, "Debug");
    const Outcome plain = Run(family, family.reply, 0);
    // Between the X and the Y line of the fifth frame: the panel is off.
    std::string reply = InsertAfterLine(family.reply, 9, "I2C_MTX_NACK_DATA\r");
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
    Outcome noisy = Run(family, reply, 11);
    EXPECT_EQ(noisy.notices, (std::vector<std::string>{"StartTimer(1)", "DeviceOff"}));
    EXPECT_EQ(noisy.lines, plain.lines + 6) << "six noise lines; the last noise leads a line";
    noisy.notices = plain.notices;
    noisy.lines = plain.lines;
    ExpectSame(noisy, plain);
}
