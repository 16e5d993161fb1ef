#pragma once

#include <QMainWindow>
#include <QStringList>
#include <boost/shared_ptr.hpp>

#include "PortLink.h"

class QIODevice;

namespace morvex_gui {
class Device;
class State;
}  // namespace morvex_gui

namespace morvex_gui_qtlib {

class OverflowIndicator;

// Base of a main window that reads the bridge: turns the bytes of each read
// into complete reply lines and marks an overflow on its indicator. A derived
// window builds its working set in CreateDevice.
class QtSerialPortWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit QtSerialPortWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~QtSerialPortWindow() override;

    // Default: the port's readyRead() reaches ReadSerialPort().
    virtual void CreateDevice();

    // The stream the read slot reads. A derived window hands it the device it
    // created (a Device is a QIODevice); tests hand it any QIODevice.
    void SetPortDevice(QIODevice* device) { _link.SetPort(device); }

signals:
    void SignalsDeviceArrival(QStringList& portNames);
    void SignalsDeviceEmoveComplete(QStringList& portNames, QString portNameRemove);

protected slots:
    void ReadDeviceData();
    virtual void ReadSerialPort();

protected:
    // One read of the port; true when it read anything.
    bool ReadPort() { return _link.Read(); }
    // Gives every line of the last read to the state that is current when the
    // line comes up; `parsed` runs after each.
    void ParseLines(const boost::shared_ptr<morvex_gui::State>& currentState,
                    const std::function<void(const std::string&)>& parsed = {});
    void SetOverflowIndicator(OverflowIndicator* indicator);

    QStringList _portNames;
    morvex_gui::Device* _port = nullptr;
    OverflowIndicator* _overflowButton = nullptr;
    PortLink _link;
};

}  // namespace morvex_gui_qtlib
