#pragma once

#include <termios.h>

#include "CommApi.h"

namespace platform {

// Raw mode: no echo, no line editing, no CR/LF translation, no signals,
// reads return at once with what is there.
void MakeRaw(termios* settings);

// The DCB's byte format, parity, stop bits and flow control written into
// `settings` (raw mode kept). The speed is not touched.
void ApplyDcb(const DCB& dcb, termios* settings);

// The DCB that describes `settings` at `speed` baud.
void DescribeTermios(const termios& settings, DWORD speed, DCB* dcb);

// termios speed constant of a baud rate; B0 when it has none.
speed_t SpeedConstant(DWORD baud);
// Baud rate of a termios speed constant; 0 when unknown.
DWORD BaudOfConstant(speed_t constant);

}  // namespace platform
