#pragma once

#include <QByteArray>
#include <QSignalSpy>
#include <QString>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "CoreDevice.h"
#include "DisplayView.h"
#include "QtSerialPortWindow.h"
#include "QtWindowImp.h"
#include "SleepRecorder.h"
#include "State.h"
#include "TempProgramDir.h"
#include "WidgetHolder.h"

class QTextEdit;

// The whole road of a reply, as the mass-production window builds it: a
// bridge peer on a pseudo-terminal, the real device opened on it, the read
// slot that splits the bytes into lines and gives them to the current state,
// the real GUI interface and an offscreen display view. Device pauses are
// recorded, not waited for.
class ReplyRoad : public morvex_gui_qtlib::QtSerialPortWindow {
public:
    explicit ReplyRoad(int width = 800, int height = 600);
    ~ReplyRoad() override;

    // Opens the device on the peer and waits for its start-up sequence; the
    // peer's received bytes and the pause record are cleared afterwards.
    bool Open();
    void Set(const std::string& key, const std::string& value);

    // Runs the event loop until `done` holds; false on time-out.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);
    // The peer sends `bytes`; the loop runs until the window has read them.
    bool Deliver(const std::string& bytes, int timeoutMs = 3000);
    // The same, cut into pieces of 1 to `maxPiece` bytes chosen by `seed`;
    // each piece is read on its own before the next one leaves.
    bool DeliverInPieces(const std::string& bytes, unsigned seed, size_t maxPiece,
                         int timeoutMs = 3000);
    // Everything the peer has sent has been read.
    bool AllRead() const;

    std::vector<bool> Verdicts() const;
    const std::map<std::string, std::string>& Results() const { return imp._results; }
    // The log box's text, with a line that waits for the box written first.
    QString LogText();
    // The current scene as SceneT, or null when it is of another class.
    template <class SceneT>
    SceneT* Current() const {
        return dynamic_cast<SceneT*>(view->GetScene().get());
    }
    // Saves the records through the GUI interface; the names of the files in
    // Results/ afterwards and the contents of the one written.
    bool SaveResultFile(QStringList* names, QByteArray* contents);

    size_t BytesRead() const { return _bytesRead; }
    size_t LinesRead() const { return _linesRead; }
    int Overflows() const { return _overflows; }

    TempProgramDir dir;
    BridgePeer peer;
    SleepRecorder sleeps;
    QTextEdit* log;
    morvex_gui_qtlib::DisplayView* view;
    morvex_gui_qtlib::WidgetHolder widgets;
    boost::shared_ptr<morvex_gui::State> current;
    morvex_gui_qtlib::QtWindowImp imp;
    WireTap<morvex_gui::CoreDevice> device;

protected:
    void ReadSerialPort() override;

private:
    bool OverflowMarked() const;
    void ClearOverflowMark();

    std::unique_ptr<QSignalSpy> _verdicts;
    size_t _bytesRead = 0;
    size_t _linesRead = 0;
    int _overflows = 0;
};

// Reply text as the bridge sends it.
// Numbers joined by commas; with `commaAfterEach` the last one gets one too.
std::string Numbers(const std::vector<int>& values, bool commaAfterEach = false);
// Each line ended by "\r".
std::string Lines(const std::vector<std::string>& lines);
std::string Repeat(const std::string& text, int times);
// One raw-data frame: an X line and a Y line.
std::string Frame(const std::vector<int>& x, const std::vector<int>& y);
