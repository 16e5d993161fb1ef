#include "EngineeringDevice.h"

namespace morvex_gui {

EngineeringDevice::EngineeringDevice() : Win_QextSerialPort() {}

bool EngineeringDevice::Open(const char* portName) {
    return OpenWithMode(QString::fromLatin1(portName), QIODevice::ReadWrite);
}

bool EngineeringDevice::Open(const QString& portName) {
    return OpenWithMode(portName, QIODevice::ReadOnly);
}

void EngineeringDevice::ApplyPortSettings() {
    setBaudRate(BAUD921600);
    setDataBits(DATA_8);
    setParity(PAR_NONE);
    setStopBits(STOP_2);
    setTimeout(500);
}

void EngineeringDevice::Close() {
    close();
}

// The settings reach the line only once the port is open.
bool EngineeringDevice::OpenWithMode(const QString& portName, OpenMode mode) {
    setPortName(portName);
    setQueryMode(EventDriven);
    if (!open(mode)) {
        return false;
    }
    ApplyPortSettings();
    return true;
}

}  // namespace morvex_gui
