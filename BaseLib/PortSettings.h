#pragma once

#include <cstdint>

// Line settings of a serial port as the indices its setters take.
struct PortSettings {
    std::int32_t BaudRate;
    std::int32_t DataBits;
    std::int32_t Parity;
    std::int32_t StopBits;
    std::int32_t FlowControl;
    std::uint32_t Timeout_Millisec;
};

// Baud-rate indices. 22 to 24 were added after 21 (256000), so the indices do
// not rise with the speed.
enum BaudRateType {
    BAUD50 = 0,
    BAUD75,
    BAUD110,
    BAUD134,
    BAUD150,
    BAUD200,
    BAUD300,
    BAUD600,
    BAUD1200,
    BAUD1800,
    BAUD2400,
    BAUD4800,
    BAUD9600,
    BAUD14400,
    BAUD19200,
    BAUD38400,
    BAUD56000,
    BAUD57600,
    BAUD76800,
    BAUD115200,
    BAUD128000,
    BAUD256000,
    BAUD230400,
    BAUD460800,
    BAUD921600
};

enum DataBitsType { DATA_5 = 0, DATA_6, DATA_7, DATA_8 };
enum ParityType { PAR_NONE = 0, PAR_ODD, PAR_EVEN, PAR_MARK, PAR_SPACE };
enum StopBitsType { STOP_1 = 0, STOP_1_5, STOP_2 };
enum FlowType { FLOW_OFF = 0, FLOW_HARDWARE, FLOW_XONXOFF };
