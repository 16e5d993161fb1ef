#pragma once

#include <QMainWindow>
#include <QStringList>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

class QIODevice;
class QPushButton;

namespace morvex_gui {
class Device;
class State;
}  // namespace morvex_gui

namespace morvex_gui_qtlib {

// Base of a main window that reads the bridge: owns the receive buffers, turns
// the bytes of each read into complete reply lines and marks an overflow.
// A derived window builds its working set in CreateDevice.
class QtSerialPortWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kBufferSize = 8192;
    // One read this large means the GUI fell behind the bridge.
    static constexpr int kOverflowRead = 4096;

    explicit QtSerialPortWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~QtSerialPortWindow() override;

    // Default: the port's readyRead() reaches ReadSerialPort().
    virtual void CreateDevice();

    // The stream the read slot reads. A derived window hands it the device it
    // created (a Device is a QIODevice); tests hand it any QIODevice.
    void SetPortDevice(QIODevice* device) { _portDevice = device; }
    QIODevice* PortDevice() const { return _portDevice; }

    const std::vector<std::string>& Lines() const { return _lines; }
    int PendingLength() const { return _pendingLength; }
    int BytesAvailable() const { return _bytesAvailable; }

signals:
    void SignalsDeviceArrival(QStringList& portNames);
    void SignalsDeviceEmoveComplete(QStringList& portNames, QString portNameRemove);

protected slots:
    void ReadDeviceData();
    virtual void ReadSerialPort();

protected:
    // One read of the port into _lines; true when it read anything.
    bool ReadPort();
    // Gives every line of the last read to the state that is current when the
    // line comes up. A line may switch the mode: the state parsing it is kept
    // alive by a local reference, and a nested read (a modal box opened by a
    // state) cannot pull lines from under the loop. Consumes _lines.
    void ParseLines(const boost::shared_ptr<morvex_gui::State>& currentState);

    QStringList _portNames;
    morvex_gui::Device* _port = nullptr;
    char _pendingBuffer[kBufferSize];
    char _readBuffer[kBufferSize];
    int _pendingLength = 0;
    std::vector<std::string> _lines;
    int _bytesAvailable = 0;
    QPushButton* _overflowButton = nullptr;

private:
    void MarkOverflow();

    QIODevice* _portDevice = nullptr;
};

}  // namespace morvex_gui_qtlib
