#include "ReplyReader.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <limits>

#include "LineSplitter.h"

namespace morvex_gui {

ReplyReader::ReplyReader(OverflowRule rule) : _rule(rule) {}

ReadResult ReplyReader::Read(QIODevice& port) {
    _bytesAvailable =
        static_cast<int>(std::min<qint64>(port.bytesAvailable(), std::numeric_limits<int>::max()));
    if (_bytesAvailable <= 0) {
        return ReadResult::Nothing;
    }
    const qint64 read = port.read(_readBuffer, kBufferSize);
    _lines.clear();
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
