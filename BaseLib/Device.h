#pragma once

#include <QString>
#include <QStringList>
#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>

#include "MasterPacket.h"
#include "Win_QextSerialPort.h"

namespace morvex_gui {

class State;
class WindowImp;

// The bridge board as the rest of the system sees it: the serial port itself
// plus the open sequence with the bridge's line settings, commands with their
// fixed pause, the closing sequence, the window's current-state holder and
// the master-firmware packetiser. Subclasses add one operation per command.
class Device : public Win_QextSerialPort {
    Q_OBJECT
public:
    Device(WindowImp* imp, boost::shared_ptr<State>* current);
    ~Device() override;

    // Opens the port event-driven at "230400" or "460800" (other texts keep
    // the current speed), 8N2, then runs the start-up sequence.
    bool Open(QString port, QString baud);
    // Kept for the dialogs that ask for it; opens nothing.
    bool OpenDirect(const char* port);
    void ApplyPortSettings(QString baud);
    // Writes the command's bytes (no line end), then pauses 20 ms.
    void Send(const char* command);
    // Clears the window and announces the display mode before sending.
    void SendWithMode(const char* command, int mode);
    // Writes the text without a pause.
    void Write(const char* text);
    static void Sleep(unsigned milliseconds);
    void NormalMode();
    void GetBootloaderVersion();
    // Sends "#q" and closes the port.
    void Close();

    // Starts a master transfer: packet 0 goes out now. False when the image
    // cannot be sent (nothing is sent then) or the write fails.
    bool StartMasterDownload(const MasterPages& pages);
    // Sends the next packet: page after page, then the end packet; after that
    // nothing more. Only mode 0 exists.
    bool SendMasterPacket(const MasterPages& pages, int mode);

    virtual void SendHashZ() = 0;
    virtual void EnterMasterBootloader() = 0;
    virtual void Quit() = 0;
    // Start-up sequence after the port opens; none for a plain device.
    virtual void EnterOpenState();

    // Index of the next master packet and check value of the whole image;
    // the download dialog reads them.
    int _packetIndex;
    std::uint16_t _imageCrc;

protected:
    // Display modes that a switch announces before its command leaves.
    static constexpr int kTouchMode = 0;
    static constexpr int kRawDataMode = 1;
    static constexpr int kMasterVersionMode = 3;
    static constexpr int kSlaveVersionMode = 4;
    static constexpr int kInformationMode = 5;
    static constexpr int kButtonRawDataMode = 6;
    // Channels of the bridge's button raw data.
    static constexpr int kButtonCount = 8;

    // First step of a keeping switch: the current state lives on as the
    // previous state (the one kept before is released).
    void KeepCurrentState();
    // Makes `state` the window's current state. Without KeepCurrentState the
    // replaced state is released at once.
    void InstallState(const boost::shared_ptr<State>& state);
    template <class StateT, class... Args>
    boost::shared_ptr<State> Make(Args... args) const {
        return boost::make_shared<StateT>(_imp, args...);
    }
    // Makes a new StateT, built with `args`, the current state.
    template <class StateT, class... Args>
    void Replace(Args... args) {
        InstallState(Make<StateT>(args...));
    }
    // Sends `letter` followed by `arg` as one command.
    void SendWithArgument(const char* letter, const char* arg);
    // Every write to the bridge goes through here; a closed port takes none.
    qint64 WriteIfOpen(const char* data, qint64 length);

    boost::shared_ptr<State>* _currentState;
    boost::shared_ptr<State> _previousState;
    WindowImp* _imp;
};

}  // namespace morvex_gui

// Appends the port names of the bridge's USB-serial driver (registry values
// named like \Device\VCP0); the list is not cleared first.
void EnumeratePorts(QStringList* ports);
// Sets the driver's latency timer (ms) of every device that carries `port`;
// silent when that is not possible.
void SetLatencyTimer(QString port, int value);
// The USB-serial driver's latency timer (ms) while the tool owns the port.
constexpr int kLatencyTimer = 3;
