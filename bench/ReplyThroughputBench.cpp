// CPU time the GUI thread spends per byte of a mode's replies (split, parse,
// update the scene, render) against the byte's time on the wire at 921600 baud
// with 8N2 framing. Once per refresh interval of wire time the event loop
// delivers the scene's change notices and the window paints what they exposed,
// as the view's refresh does. At the end the bench lets the view's refresh
// timer fire by itself; then the window's pixels must equal a full repaint of
// the scene: the measured paints left nothing stale.

#include <QApplication>
#include <QDir>
#include <QGraphicsScene>
#include <QTextEdit>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <typeinfo>

#include "DisplayView.h"
#include "LineSplitter.h"
#include "QtWindowImp.h"
#include "ReplyStreams.h"
#include "ScreenGrab.h"
#include "State.h"
#include "TempProgramDir.h"
#include "WidgetHolder.h"

namespace {

constexpr double kBitsPerByte = 11.0;  // start, 8 data, 2 stop
constexpr double kBaud = 921600.0;
constexpr double kSecondsPerByte = kBitsPerByte / kBaud;
constexpr double kRefreshSeconds = 1.0 / 60.0;
constexpr int kReadSize = 512;

// One refresh: the log box gets the line that waits for it, and the view
// paints. The bench does both at once instead of sleeping until their timers
// fire: the work is the same, while a thread that sleeps 16 ms finds its
// caches cold on a shared machine, which would measure the machine rather
// than the work.
void Refresh(morvex_gui_qtlib::QtWindowImp& imp, morvex_gui_qtlib::DisplayView& view) {
    imp.FlushLog();
    QApplication::processEvents();
    view.RepaintNow();
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

struct Figure {
    double cpuSeconds = 0;
    double wireSeconds = 0;
    size_t bytes = 0;
    size_t lines = 0;
    int renders = 0;
    int items = 0;
    std::string scene;
    // Pixels where the view as painted change by change differs from a fresh
    // paint of the whole scene: a repaint that missed a change leaves some.
    int stalePixels = 0;
};

Figure Measure(const ReplyStream& stream, double wireSecondsWanted) {
    TempProgramDir dir;
    // Every redraw appends its trace lines to test.txt of the working folder:
    // keep that cost, but in the temporary folder.
    const QString workingFolder = QDir::currentPath();
    QDir::setCurrent(dir.Path());
    QTextEdit log;
    morvex_gui_qtlib::DisplayView view;
    view.resize(1024, 768);
    view.show();
    QApplication::processEvents();
    morvex_gui_qtlib::WidgetHolder widgets;
    widgets.SetLog(&log);
    widgets.SetView(&view);
    morvex_gui_qtlib::QtWindowImp imp(&widgets);
    for (const auto& setting : stream.settings) {
        imp._settings.SetParameter(ConfigParameter(setting.first, setting.second));
    }
    boost::shared_ptr<morvex_gui::State> state = stream.makeState(&imp);

    std::string bytes;
    for (int frame = 0; bytes.size() * kSecondsPerByte < wireSecondsWanted; ++frame) {
        bytes += stream.frame(frame);
    }

    char pending[8192];
    int pendingLength = 0;
    std::vector<std::string> lines;
    Figure figure;
    double wireSinceRender = 0;

    const double start = ThreadCpuSeconds();
    for (size_t offset = 0; offset < bytes.size(); offset += kReadSize) {
        const int chunk = static_cast<int>(std::min<size_t>(kReadSize, bytes.size() - offset));
        std::memcpy(pending + pendingLength, bytes.data() + offset, chunk);
        pendingLength += chunk;
        lines.clear();
        SplitLines(pending, &pendingLength, &lines);
        for (const std::string& line : lines) {
            state->Parse(line.c_str());
        }
        figure.lines += lines.size();
        wireSinceRender += chunk * kSecondsPerByte;
        if (wireSinceRender >= kRefreshSeconds) {
            Refresh(imp, view);
            ++figure.renders;
            wireSinceRender = 0;
        }
    }
    // The changes of the last bytes are painted too.
    imp.FlushLog();
    // They wait for the view's own refresh, which must paint them.
    LetRefreshHappen(view);
    ++figure.renders;
    figure.cpuSeconds = ThreadCpuSeconds() - start;
    figure.bytes = bytes.size();
    figure.items = view.scene()->items().size();
    if (auto current = view.GetScene()) {
        figure.scene = typeid(*current).name();
    }
    figure.wireSeconds = bytes.size() * kSecondsPerByte;
    figure.stalePixels = StalePixels(view);
    QDir::setCurrent(workingFolder);
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    bool quick = false;
    std::string only;  // a mode's name runs that mode alone
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else {
            only = argv[i];
        }
    }
    const double wireSeconds = quick ? 0.05 : 2.0;

    int failures = 0;
    for (const ReplyStream& stream : AllReplyStreams()) {
        if (!only.empty() && stream.name != only) {
            continue;
        }
        const Figure figure = Measure(stream, wireSeconds);
        std::printf(
            "%-22s ratio %.4f  (cpu %.1f ms, wire %.1f ms, %zu bytes, %zu lines, %d renders, %d "
            "items, %s)\n",
            stream.name.c_str(), figure.cpuSeconds / figure.wireSeconds, figure.cpuSeconds * 1e3,
            figure.wireSeconds * 1e3, figure.bytes, figure.lines, figure.renders, figure.items,
            figure.scene.c_str());
        if (figure.stalePixels != 0) {
            std::printf("%-22s %d pixels differ from a full repaint\n", stream.name.c_str(),
                        figure.stalePixels);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
