#pragma once

#include <QtGlobal>
#include <string>
#include <vector>

class QIODevice;

namespace morvex_gui {

// What a reader does with a burst it cannot keep up with.
enum class OverflowRule {
    // A read of kOverflowRead bytes or more means the GUI fell behind the
    // bridge: that read and the half line before it are dropped. The display
    // windows work this way, so late data is never drawn as if it were live.
    DropBurst,
    // Every reply counts (the bridge answers a download or a calibration step
    // slowly): a read is cut into lines whatever its size.
    KeepBurst,
};

enum class ReadResult {
    Nothing,   // the port had nothing, or the read failed
    Read,      // bytes appended; Lines() holds the lines they completed
    Overflow,  // something was dropped (see Read)
};

// Cuts what the port sends into complete "\r" lines. It owns the pending
// text (the unfinished tail of earlier reads), so a reply split over two reads
// is joined. Its buffers are members: a read allocates only the line strings.
class ReplyReader {
public:
    static constexpr int kBufferSize = 8192;
    static constexpr int kOverflowRead = 4096;

    explicit ReplyReader(OverflowRule rule);

    Q_DISABLE_COPY(ReplyReader)

    // Reads until the port holds nothing more, in reads of at most
    // kBufferSize bytes, each under the rule; Lines() then holds the lines
    // these reads completed; with nothing waiting it changes nothing, not even
    // Lines(). Text without a line end that would outgrow the pending buffer
    // can never become a whole line, so it is dropped and the result is
    // Overflow: under DropBurst the read goes with it, under KeepBurst the
    // read starts the pending text afresh.
    ReadResult Read(QIODevice& port);

    std::vector<std::string>& Lines() { return _lines; }
    // What the port reported waiting when the last Read began.
    int BytesAvailable() const { return _bytesAvailable; }
    int PendingLength() const { return _pendingLength; }
    // Forgets the half line, e.g. when the link comes back from a dialog.
    void DropPending() { _pendingLength = 0; }

private:
    ReadResult ReadOnce(QIODevice& port);
    bool Drops(int count) const;

    const OverflowRule _rule;
    std::vector<std::string> _lines;
    int _bytesAvailable = 0;
    int _pendingLength = 0;
    char _pendingBuffer[kBufferSize];
    char _readBuffer[kBufferSize];
};

}  // namespace morvex_gui
