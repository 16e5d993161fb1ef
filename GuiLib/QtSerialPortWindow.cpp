#include "QtSerialPortWindow.h"

#include <QIODevice>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <limits>

#include "LineSplitter.h"
#include "State.h"

namespace morvex_gui_qtlib {

QtSerialPortWindow::QtSerialPortWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags) {}

QtSerialPortWindow::~QtSerialPortWindow() = default;

void QtSerialPortWindow::CreateDevice() {
    if (_portDevice != nullptr) {
        connect(_portDevice, &QIODevice::readyRead, this, &QtSerialPortWindow::ReadSerialPort);
    }
}

void QtSerialPortWindow::ReadDeviceData() {}

void QtSerialPortWindow::ReadSerialPort() {
    ReadPort();
}

bool QtSerialPortWindow::ReadPort() {
    if (_portDevice == nullptr) {
        return false;
    }
    const qint64 available = _portDevice->bytesAvailable();
    _bytesAvailable =
        static_cast<int>(std::min<qint64>(available, std::numeric_limits<int>::max()));
    if (_bytesAvailable <= 0) {
        return false;
    }
    const qint64 read = _portDevice->read(_readBuffer, kBufferSize);
    if (read <= 0) {
        return false;
    }
    const int n = static_cast<int>(read);
    _lines.clear();
    // A huge read, or one that would run past the pending text's end, means the
    // GUI fell behind: the half line and this read are dropped.
    if (n >= kOverflowRead || n > kBufferSize - _pendingLength) {
        MarkOverflow();
        _pendingLength = 0;
        return true;
    }
    std::memcpy(_pendingBuffer + _pendingLength, _readBuffer, static_cast<size_t>(n));
    _pendingLength += n;
    SplitLines(_pendingBuffer, &_pendingLength, &_lines);
    return true;
}

void QtSerialPortWindow::MarkOverflow() {
    if (_overflowButton != nullptr) {
        _overflowButton->setStyleSheet(
            QStringLiteral("background:red; color:yellow; border-style:flat"));
    }
}

void QtSerialPortWindow::ParseLines(const boost::shared_ptr<morvex_gui::State>& currentState) {
    const std::vector<std::string> lines = std::move(_lines);
    _lines.clear();
    for (const std::string& line : lines) {
        // Copied per line: the state may be replaced by the line before.
        const boost::shared_ptr<morvex_gui::State> state = currentState;
        if (state) {
            state->Parse(line.c_str());
        }
    }
}

}  // namespace morvex_gui_qtlib
