#include "ReplyReader.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <limits>

#include "LineSplitter.h"

namespace morvex_gui {

namespace {

int Waiting(const QIODevice& port) {
    return static_cast<int>(
        std::min<qint64>(port.bytesAvailable(), std::numeric_limits<int>::max()));
}

}  // namespace

ReplyReader::ReplyReader(OverflowRule rule) : _rule(rule) {}

ReadResult ReplyReader::Read(QIODevice& port) {
    _bytesAvailable = Waiting(port);
    // A notice for bytes an earlier drain already took: the last step's lines
    // and the half line stay as they are.
    if (_bytesAvailable <= 0) {
        return ReadResult::Nothing;
    }
    _lines.clear();
    ReadResult result = ReadResult::Nothing;
    // A reply behind a burst must not wait in the port for an arrival that
    // may never come.
    for (int waiting = _bytesAvailable; waiting > 0; waiting = Waiting(port)) {
        const ReadResult step = ReadOnce(port);
        if (step == ReadResult::Nothing) {
            break;
        }
        if (result != ReadResult::Overflow) {
            result = step;
        }
    }
    return result;
}

ReadResult ReplyReader::ReadOnce(QIODevice& port) {
    const qint64 read = port.read(_readBuffer, kBufferSize);
    if (read <= 0) {
        return ReadResult::Nothing;
    }
    const int count = static_cast<int>(read);
    const bool overflow = Drops(count);
    if (overflow) {
        _pendingLength = 0;
        if (_rule == OverflowRule::DropBurst) {
            return ReadResult::Overflow;
        }
    }
    std::memcpy(_pendingBuffer + _pendingLength, _readBuffer, static_cast<size_t>(count));
    _pendingLength += count;
    SplitLines(_pendingBuffer, &_pendingLength, &_lines);
    return overflow ? ReadResult::Overflow : ReadResult::Read;
}

bool ReplyReader::Drops(int count) const {
    const bool burst = _rule == OverflowRule::DropBurst && count >= kOverflowRead;
    return burst || count > kBufferSize - _pendingLength;
}

}  // namespace morvex_gui
