#include "PortLink.h"

#include <QIODevice>
#include <utility>

#include "Device.h"
#include "OverflowIndicator.h"

namespace morvex_gui_qtlib {

PortLink::PortLink(QObject* context, std::function<void()> readSlot)
    : _context(context), _readSlot(std::move(readSlot)) {}

PortLink::~PortLink() {
    Detach();
}

void PortLink::SetPort(QIODevice* port) {
    const bool attached = static_cast<bool>(_connection);
    Detach();
    _port = port;
    if (attached) {
        Attach();
    }
}

bool PortLink::OpenDevice(morvex_gui::Device* device, const QString& port, const QString& speed) {
    Attach();
    DropPending();
    if (!device->Open(port, speed)) {
        Detach();
        return false;
    }
    return true;
}

void PortLink::Attach() {
    if (_port == nullptr || _connection) {
        return;
    }
    _connection = QObject::connect(_port, &QIODevice::readyRead, _context, [this] { _readSlot(); });
}

void PortLink::Detach() {
    QObject::disconnect(_connection);
    _connection = QMetaObject::Connection();
}

void PortLink::Lend() {
    Detach();
    _lent = true;
}

void PortLink::TakeBack() {
    _lent = false;
    _reader.DropPending();
    Attach();
}

bool PortLink::Read() {
    if (_port == nullptr || _lent) {
        return false;
    }
    const morvex_gui::ReadResult result = _reader.Read(*_port);
    if (result == morvex_gui::ReadResult::Overflow && _indicator != nullptr) {
        _indicator->Mark();
    }
    return result != morvex_gui::ReadResult::Nothing;
}

}  // namespace morvex_gui_qtlib
