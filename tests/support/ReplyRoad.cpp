#include "ReplyRoad.h"

#include "EventPump.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextEdit>
#include <algorithm>
#include <boost/make_shared.hpp>
#include <random>

#include "CloseState.h"
#include "ConfigParameter.h"
#include "OverflowIndicator.h"
#include "Scene.h"

using morvex_gui_qtlib::DisplayView;

namespace {

const char* const kOverflowStyle = "background:red";

}  // namespace

ReplyRoad::ReplyRoad(int width, int height)
    : log(new QTextEdit(this)),
      view(new DisplayView(this)),
      imp(&widgets),
      device(sleeps, &imp, &current) {
    current = boost::make_shared<morvex_gui::CloseState>(&imp);
    log->hide();
    setCentralWidget(view);
    widgets.SetLog(log);
    widgets.SetView(view);
    SetOverflowIndicator(new morvex_gui_qtlib::OverflowIndicator(this));
    _overflowButton->hide();
    _verdicts = std::make_unique<QSignalSpy>(view, qOverload<bool>(&DisplayView::testResult));

    _port = &device;
    SetPortDevice(&device);
    CreateDevice();

    resize(width, height);
    show();
    QCoreApplication::processEvents();
}

ReplyRoad::~ReplyRoad() {
    // The port goes first, so no read runs while the working set is taken down;
    // then the scene, which may hold a state, before the GUI interface goes.
    device.close();
    view->SetScene(boost::shared_ptr<morvex_gui_qtlib::Scene>());
    current.reset();
}

bool ReplyRoad::Open() {
    if (!device.Open(peer.PortName(), QStringLiteral("230400"))) {
        return false;
    }
    const bool started = peer.WaitForText("v");
    peer.ClearReceived();
    sleeps.Clear();
    return started;
}

void ReplyRoad::Set(const std::string& key, const std::string& value) {
    imp._settings.SetParameter(ConfigParameter(key, value));
}

bool ReplyRoad::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    return ::PumpUntil(done, timeoutMs);
}

bool ReplyRoad::Deliver(const std::string& bytes, int timeoutMs) {
    const size_t target = _bytesRead + bytes.size();
    peer.SendRaw(bytes);
    return PumpUntil([&] { return _bytesRead >= target; }, timeoutMs);
}

bool ReplyRoad::DeliverInPieces(const std::string& bytes, unsigned seed, size_t maxPiece,
                                int timeoutMs) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> length(1, std::max<size_t>(maxPiece, 1));
    for (size_t offset = 0; offset < bytes.size();) {
        const size_t piece = std::min(length(random), bytes.size() - offset);
        if (!Deliver(bytes.substr(offset, piece), timeoutMs)) {
            return false;
        }
        offset += piece;
    }
    return true;
}

bool ReplyRoad::AllRead() const {
    return _bytesRead == peer.SentCount();
}

std::vector<bool> ReplyRoad::Verdicts() const {
    std::vector<bool> list;
    for (const QList<QVariant>& arguments : *_verdicts) {
        list.push_back(arguments.at(0).toBool());
    }
    return list;
}

QString ReplyRoad::LogText() {
    imp.FlushLog();
    return log->toPlainText();
}

bool ReplyRoad::SaveResultFile(QStringList* names, QByteArray* contents) {
    if (!imp.SaveResults()) {
        return false;
    }
    const QDir folder(dir.File(QStringLiteral("Results")));
    *names = folder.entryList(QDir::Files, QDir::Name);
    if (names->size() != 1) {
        return false;
    }
    QFile file(folder.filePath(names->first()));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    *contents = file.readAll();
    return true;
}

void ReplyRoad::ReadSerialPort() {
    const int pendingBefore = _link.Reader().PendingLength();
    if (!ReadPort()) {
        return;
    }
    if (OverflowMarked()) {
        // The read was dropped whole; its size is what was waiting, up to a buffer.
        ++_overflows;
        _bytesRead += static_cast<size_t>(
            std::min(_link.Reader().BytesAvailable(), morvex_gui::ReplyReader::kBufferSize));
        ClearOverflowMark();
    } else {
        // Every byte of the read ended up in a line (plus its "\r") or pending.
        size_t consumed = 0;
        for (const std::string& line : _link.Lines()) {
            consumed += line.size() + 1;
        }
        _bytesRead += consumed + static_cast<size_t>(_link.Reader().PendingLength()) -
                      static_cast<size_t>(pendingBefore);
    }
    _linesRead += _link.Lines().size();
    ParseLines(current);
}

bool ReplyRoad::OverflowMarked() const {
    return _overflowButton->styleSheet().contains(QLatin1String(kOverflowStyle));
}

void ReplyRoad::ClearOverflowMark() {
    _overflowButton->Clear();
}

std::string Numbers(const std::vector<int>& values, bool commaAfterEach) {
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

std::string Frame(const std::vector<int>& x, const std::vector<int>& y) {
    return Lines({"X" + Numbers(x), "Y" + Numbers(y)});
}
