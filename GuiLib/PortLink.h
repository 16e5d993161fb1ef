#pragma once

#include <QMetaObject>
#include <functional>
#include <string>
#include <vector>

#include "ReplyReader.h"

class QIODevice;
class QObject;
class QString;

namespace morvex_gui {
class Device;
}  // namespace morvex_gui

namespace morvex_gui_qtlib {

class OverflowIndicator;

// A main window's hold on the bridge's replies: while attached, every
// readyRead of the port reaches the window's read slot, which reads through
// here. A dialog that reads the bridge itself borrows the link and gives it
// back when it closes.
class PortLink {
public:
    // `readSlot` runs for each readyRead; `context` is the window it belongs to.
    PortLink(QObject* context, std::function<void()> readSlot);
    ~PortLink();

    Q_DISABLE_COPY(PortLink)

    void SetPort(QIODevice* port);
    void SetIndicator(OverflowIndicator* indicator) { _indicator = indicator; }

    // Connected once however often it is called.
    void Attach();
    void Detach();
    // A readyRead already queued for the window reads nothing while lent.
    void Lend();
    // The half line from before the loan is stale.
    void TakeBack();

    // One read: false when the port had nothing or the link is lent. A read
    // the reader drops marks the indicator.
    bool Read();
    std::vector<std::string>& Lines() { return _reader.Lines(); }
    const morvex_gui::ReplyReader& Reader() const { return _reader; }
    void DropPending() { _reader.DropPending(); }
    // Opens `device` (the link's port) with the link attached and nothing
    // pending, so the first reply already reaches the window; a failed open
    // leaves the link detached.
    bool OpenDevice(morvex_gui::Device* device, const QString& port, const QString& speed);

private:
    QObject* _context;
    std::function<void()> _readSlot;
    QIODevice* _port = nullptr;
    OverflowIndicator* _indicator = nullptr;
    QMetaObject::Connection _connection;
    bool _lent = false;
    morvex_gui::ReplyReader _reader{morvex_gui::OverflowRule::DropBurst};
};

}  // namespace morvex_gui_qtlib
