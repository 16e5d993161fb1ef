// A mode's heaviest replies streamed by the bridge peer through the
// pseudo-terminal at the full rate of the wire (921600 baud, 8N2: 11 bits a
// byte; the pseudo-terminal itself has no baud rate, so the peer paces the
// bytes), for 30 s (2 s with --quick), into the window's real reply road
// with the Qt event loop running: read slot, line splitter, state, scene and
// the offscreen view's paints. Prints per mode the overflow count (must be 0),
// the bytes and lines received and the GUI thread's CPU time against the
// wire time of those bytes. The full form exits with 1 when a mode
// overflowed; the short form only shows that the road builds and runs (a
// sanitizer build is far slower than the product). Per mode it also prints
// the time from the first frames' lines to the scene's first paint, and with
// the touch mode one full repaint of the touch view with every ring full.
// `PortStreamBench --help` lists the options and the modes.

#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <boost/make_shared.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "BendingRawData.h"
#include "ClassicNormal.h"
#include "DisplayView.h"
#include "NormalScene.h"
#include "OperationLog.h"
#include "ReplyRoad.h"
#include "ReplyStreams.h"

namespace {

constexpr double kBitsPerByte = 11.0;  // start, 8 data, 2 stop
constexpr double kBaud = 921600.0;
constexpr double kBytesPerSecond = kBaud / kBitsPerByte;
constexpr auto kFeedTick = std::chrono::milliseconds(1);
constexpr int kDrainTimeoutMs = 5000;

using Clock = std::chrono::steady_clock;
using ModeSwitch = std::function<void(ReplyRoad&)>;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// The device operation that puts the bridge into each stream's mode.
const std::map<std::string, ModeSwitch>& ModeSwitches() {
    static const std::map<std::string, ModeSwitch> switches = {
        {"touch", [](ReplyRoad& r) { r.device.NormalState(); }},
        {"debug", [](ReplyRoad& r) { r.device.DebugState(); }},
        {"raster x/y", [](ReplyRoad& r) { r.device.RasterXState(); }},
        {"single raw/reference", [](ReplyRoad& r) { r.device.SingleRawDataState(); }},
        {"raster", [](ReplyRoad& r) { r.device.RasterState(); }},
        {"open/short", [](ReplyRoad& r) { r.device.EnterOpenShortState(); }},
        // The engineering device's bending display: "b", then the state.
        {"bending",
         [](ReplyRoad& r) {
             r.device.Send("b");
             r.current = boost::make_shared<morvex_gui::BendingRawData>(&r.imp);
         }},
        {"buttons", [](ReplyRoad& r) { r.device.UserReadButtonRawData(); }},
        {"versions", [](ReplyRoad& r) { r.device.SlaveVersionState(); }},
    };
    return switches;
}

// Hands the stream's frames to the peer as fast as the wire would carry them,
// on its own thread, until stopped.
class WireFeeder {
public:
    WireFeeder(BridgePeer& peer, const ReplyStream& stream)
        : _peer(peer), _stream(stream), _thread([this] { Run(); }) {}
    ~WireFeeder() { Stop(); }

    void Stop() {
        _stop = true;
        if (_thread.joinable()) {
            _thread.join();
        }
    }

private:
    void Run() {
        const Clock::time_point start = Clock::now();
        std::string pending;
        size_t sent = 0;
        int frame = 0;
        while (!_stop) {
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            const size_t due = static_cast<size_t>(elapsed.count() * kBytesPerSecond);
            if (due > sent) {
                const size_t count = due - sent;
                while (pending.size() < count) {
                    pending += _stream.frame(frame++);
                }
                _peer.SendRaw(pending.substr(0, count));
                pending.erase(0, count);
                sent = due;
            }
            std::this_thread::sleep_for(kFeedTick);
        }
    }

    BridgePeer& _peer;
    const ReplyStream& _stream;
    std::atomic<bool> _stop{false};
    std::thread _thread;
};

struct Figure {
    int overflows = 0;
    size_t bytes = 0;
    size_t lines = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    bool drained = false;
    bool opened = false;
};

Figure Measure(const ReplyStream& stream, const ModeSwitch& start, int streamMs) {
    Figure figure;
    ReplyRoad road(1024, 768);
    if (!road.Open()) {
        return figure;
    }
    figure.opened = true;
    for (const auto& setting : stream.settings) {
        road.Set(setting.first, setting.second);
    }
    start(road);
    road.PumpUntil([&] { return road.peer.ReceivedCount() > 0; });

    const double cpuStart = ThreadCpuSeconds();
    const Clock::time_point wallStart = Clock::now();
    {
        WireFeeder feeder(road.peer, stream);
        QEventLoop loop;
        QTimer::singleShot(streamMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    road.peer.WaitUntilSent(kDrainTimeoutMs);
    // After an overflow the dropped read's size is only estimated, so an empty
    // port also counts as drained then.
    figure.drained = road.PumpUntil(
        [&] {
            return road.AllRead() || (road.Overflows() > 0 && road.device.bytesAvailable() == 0);
        },
        kDrainTimeoutMs);
    figure.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    figure.wallSeconds = std::chrono::duration<double>(Clock::now() - wallStart).count();
    figure.overflows = road.Overflows();
    figure.bytes = road.BytesRead();
    figure.lines = road.LinesRead();
    return figure;
}

// A finger of slot `slot` wandering over the whole 800 x 600 panel, a few
// pixels a report, crossing its own and the other fingers' trails.
morvex_gui::Normal::Position WanderingFinger(int slot, int step) {
    const double x = 400 + 380 * std::sin(0.004 * step + slot);
    const double y = 300 + 280 * std::sin(0.0061 * step + 2.0 * slot);
    return {static_cast<int>(x), static_cast<int>(y)};
}

// Milliseconds of one full repaint of a 1024 x 768 touch view once every
// trail ring is full: 10 slots of NormalScene::kTrailLength segments. The
// rings fill as in a live session, with the view painting now and then; the
// figure is the median of a few repaints of the whole view.
double FullTouchRepaintMs() {
    constexpr int kRepaints = 7;
    constexpr int kPaintEvery = 50;
    morvex_gui_qtlib::DisplayView view;
    view.resize(1024, 768);
    view.show();
    QApplication::processEvents();
    morvex_gui::ClassicNormal state(nullptr);
    auto scene = boost::make_shared<morvex_gui_qtlib::NormalScene>(view.scene(), &state);
    scene->Start();
    view.SetScene(scene);
    const int slotCount = state._maxTouches;
    for (int step = 0; step < morvex_gui_qtlib::NormalScene::kTrailLength; ++step) {
        for (int slot = 0; slot < slotCount; ++slot) {
            state._touchings.set(slot);
            state._lastTouchings.set(slot);
            state._lastPos[slot] = WanderingFinger(slot, step);
            state._pos[slot] = WanderingFinger(slot, step + 1);
        }
        scene->Update();
        if (step % kPaintEvery == 0) {
            QApplication::processEvents();
            view.RepaintNow();
        }
    }
    std::vector<double> times;
    for (int i = 0; i <= kRepaints; ++i) {
        QApplication::processEvents();
        view.viewport()->update();
        QElapsedTimer timer;
        timer.start();
        view.RepaintNow();
        if (i > 0) {  // the first one paints what the last steps changed
            times.push_back(timer.nsecsElapsed() * 1e-6);
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Milliseconds the GUI thread takes from the lines of a mode's first two
// frames to the first paint of its scene: the mode's scene is built on the
// way, in one go, and a stall longer than a read's worth of wire time
// overflows.
double FirstFrameMs(const ReplyStream& stream) {
    ReplyRoad road(1024, 768);
    for (const auto& setting : stream.settings) {
        road.Set(setting.first, setting.second);
    }
    boost::shared_ptr<morvex_gui::State> state = stream.makeState(&road.imp);
    const std::string text = stream.frame(0) + stream.frame(1);
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    size_t begin = 0;
    for (size_t end = text.find('\r'); end != std::string::npos; end = text.find('\r', begin)) {
        state->Parse(text.substr(begin, end - begin).c_str());
        begin = end + 1;
    }
    QApplication::processEvents();
    road.view->RepaintNow();
    return timer.nsecsElapsed() * 1e-6;
}

void PrintUsage() {
    std::printf(
        "PortStreamBench [--quick] [--all | mode ...]\n"
        "  (no mode)  debug and raster, 30 s each\n"
        "  --all      every mode family\n"
        "  --quick    2 s a mode; overflows do not fail the run\n"
        "modes:\n");
    for (const ReplyStream& stream : AllReplyStreams()) {
        std::printf("  \"%s\"\n", stream.name.c_str());
    }
}

std::vector<std::string> ChosenModes(int argc, char** argv, bool* quick) {
    std::vector<std::string> names;
    bool all = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            *quick = true;
        } else if (std::strcmp(argv[i], "--all") == 0) {
            all = true;
        } else {
            names.push_back(argv[i]);
        }
    }
    if (all) {
        names.clear();
        for (const ReplyStream& stream : AllReplyStreams()) {
            names.push_back(stream.name);
        }
    } else if (names.empty()) {
        names = {"debug", "raster"};  // the heaviest streams
    }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage();
            return 0;
        }
    }
    QApplication app(argc, argv);
    // States log configuration problems; the figures need no log file.
    OperationLogger();
    log4cplus::Logger::getRoot().addAppender(
        log4cplus::SharedAppenderPtr(new log4cplus::NullAppender()));
    bool quick = false;
    const std::vector<std::string> names = ChosenModes(argc, argv, &quick);
    const int streamMs = quick ? 2000 : 30000;
    const std::vector<ReplyStream> streams = AllReplyStreams();

    int status = 0;
    for (const std::string& name : names) {
        const auto stream = std::find_if(streams.begin(), streams.end(),
                                         [&](const ReplyStream& s) { return s.name == name; });
        const auto start = ModeSwitches().find(name);
        if (stream == streams.end() || start == ModeSwitches().end()) {
            std::fprintf(stderr, "unknown mode \"%s\"\n", name.c_str());
            status = 2;
            continue;
        }
        const Figure figure = Measure(*stream, start->second, streamMs);
        if (!figure.opened) {
            std::fprintf(stderr, "%s: the device did not open on the peer\n", name.c_str());
            status = 2;
            continue;
        }
        const double wireSeconds = figure.bytes / kBytesPerSecond;
        std::printf(
            "%-22s overflows %d  bytes %zu  lines %zu  ratio %.4f  (gui cpu %.1f ms, wire %.1f "
            "ms, wall %.1f ms%s)\n",
            name.c_str(), figure.overflows, figure.bytes, figure.lines,
            wireSeconds > 0 ? figure.cpuSeconds / wireSeconds : 0.0, figure.cpuSeconds * 1e3,
            wireSeconds * 1e3, figure.wallSeconds * 1e3, figure.drained ? "" : ", NOT DRAINED");
        std::printf("%-22s first frame %.1f ms  (parse to first paint)\n", name.c_str(),
                    FirstFrameMs(*stream));
        std::fflush(stdout);
        if (!quick && (figure.overflows != 0 || !figure.drained)) {
            status = std::max(status, 1);
        }
    }
    if (std::find(names.begin(), names.end(), "touch") != names.end()) {
        std::printf("%-22s full repaint %.1f ms  (1024 x 768, 10 rings of %d segments, full)\n",
                    "touch", FullTouchRepaintMs(), morvex_gui_qtlib::NormalScene::kTrailLength);
    }
    return status;
}
