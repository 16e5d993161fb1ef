#include "Device.h"

#include <boost/regex.hpp>
#include <cstring>

#include "Crc16.h"
#include "OperationLog.h"
#include "RegistryView.h"
#include "Sleep.h"
#include "State.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

constexpr unsigned kCommandPause = 20;

}  // namespace

Device::Device(WindowImp* imp, boost::shared_ptr<State>* current)
    : Win_QextSerialPort(),
      _packetIndex(0),
      _imageCrc(0),
      _currentState(current),
      _previousState(),
      _imp(imp) {}

Device::~Device() {
    if (isOpen()) {
        flush();
        close();
    }
    _previousState.reset();
}

bool Device::Open(QString port, QString baud) {
    setPortName(port);
    setQueryMode(EventDriven);
    if (!open(QIODevice::ReadWrite)) {
        return false;
    }
    ApplyPortSettings(baud);
    Sleep(100);
    flush();
    EnterOpenState();
    return true;
}

bool Device::OpenDirect(const char*) {
    return false;
}

void Device::ApplyPortSettings(QString baud) {
    if (baud == QLatin1String("230400")) {
        setBaudRate(BAUD230400);
    } else if (baud == QLatin1String("460800")) {
        setBaudRate(BAUD460800);
    }
    setDataBits(DATA_8);
    setParity(PAR_NONE);
    setStopBits(STOP_2);
    setTimeout(500);
}

void Device::Send(const char* command) {
    WriteIfOpen(command, static_cast<qint64>(std::strlen(command)));
    Sleep(kCommandPause);
}

void Device::SendWithMode(const char* command, int mode) {
    if (_imp != nullptr) {
        _imp->ClearAll();
        _imp->SetMode(mode);
    }
    WriteIfOpen(command, static_cast<qint64>(std::strlen(command)));
    Sleep(kCommandPause);
}

void Device::Write(const char* text) {
    WriteIfOpen(text, static_cast<qint64>(std::strlen(text)));
}

qint64 Device::WriteIfOpen(const char* data, qint64 length) {
    // Closing the program or leaving a dialog sends its commands whether or
    // not the port is open; with the port closed there is no one to tell.
    if (!isOpen()) {
        return -1;
    }
    return QIODevice::write(data, length);
}

void Device::Sleep(unsigned milliseconds) {
    platform::Sleep(milliseconds);
}

void Device::NormalMode() {
    Send("n");
}

void Device::GetBootloaderVersion() {
    Send("V");
}

void Device::Close() {
    WriteIfOpen("#q", 2);
    Sleep(kCommandPause);
    Sleep(100);
    flush();
    close();
}

bool Device::StartMasterDownload(const MasterPages& pages) {
    _packetIndex = 0;
    _imageCrc = Crc16Pages(pages);
    return SendMasterPacket(pages, 0);
}

bool Device::SendMasterPacket(const MasterPages& pages, int mode) {
    const char* fault = MasterImageFault(pages);
    if (*fault != '\0') {
        qWarning("Master image refused: %s", fault);
        return false;
    }
    const bool transferOver = _packetIndex < 0 || static_cast<size_t>(_packetIndex) > pages.size();
    if (mode != 0 || transferOver) {
        return false;
    }
    const MasterPacket packet =
        BuildMasterPacket(pages, static_cast<size_t>(_packetIndex), _imageCrc);
    const qint64 written = WriteIfOpen(reinterpret_cast<const char*>(packet.data()),
                                       static_cast<qint64>(packet.size()));
    Sleep(kCommandPause);
    ++_packetIndex;
    return written == static_cast<qint64>(packet.size());
}

void Device::EnterOpenState() {}

void Device::KeepCurrentState() {
    if (_currentState != nullptr) {
        _previousState = *_currentState;
    }
}

void Device::InstallState(const boost::shared_ptr<State>& state) {
    if (_currentState != nullptr) {
        *_currentState = state;
    }
}

void Device::SendWithArgument(const char* letter, const char* arg) {
    const std::string command = std::string(letter) + (arg != nullptr ? arg : "");
    Send(command.c_str());
}

}  // namespace morvex_gui

void EnumeratePorts(QStringList* ports) {
    static const boost::regex driverValue("\\SDevice\\SVCP\\d+");
    QList<platform::RegistryValue> values;
    if (!platform::OpenRegistryView()->ReadValues(
            QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), &values)) {
        return;
    }
    for (const platform::RegistryValue& value : values) {
        if (boost::regex_match(value.name.toStdString(), driverValue)) {
            ports->append(value.data);
        }
    }
}

void SetLatencyTimer(QString port, int value) {
    const QString bus = QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS");
    std::unique_ptr<platform::RegistryView> registry = platform::OpenRegistryView();
    for (const QString& device : registry->SubKeys(bus)) {
        const QString parameters =
            bus + QLatin1Char('\\') + device + QStringLiteral("\\0000\\Device Parameters");
        QString portName;
        registry->ReadValue(parameters, QStringLiteral("PortName"), &portName);
        QString error;
        if (portName == port && !registry->WriteValue(parameters, QStringLiteral("LatencyTimer"),
                                                      QString::number(value), &error)) {
            LOG4CPLUS_WARN(OperationLogger(),
                           "Latency timer not set: " << error.toLocal8Bit().constData());
        }
    }
}
