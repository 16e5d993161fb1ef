#pragma once

#include <QString>

#include "Win_QextSerialPort.h"

namespace morvex_gui {

// A bare serial port to the bridge at its fastest speed, 921600 baud, 8N2.
// It sends no commands and reads no states; it only opens and closes.
class EngineeringDevice : public Win_QextSerialPort {
    Q_OBJECT
public:
    EngineeringDevice();

    // Opens the port for reading and writing, event driven; false when the
    // port cannot be opened, and then the line settings stay as they were.
    bool Open(const char* portName);
    // The same, for reading only.
    bool Open(const QString& portName);
    void ApplyPortSettings();
    // Closes the port without a word to the bridge.
    void Close();

private:
    bool OpenWithMode(const QString& portName, OpenMode mode);
};

}  // namespace morvex_gui
