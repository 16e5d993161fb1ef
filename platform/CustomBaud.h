#pragma once

namespace platform {

// Speeds that have no termios constant (14400, 56000, 128000, 256000 baud)
// go through the kernel's arbitrary-speed interface. Both return false when
// the driver refuses.
bool SetCustomBaud(int fd, unsigned speed);
bool GetCustomBaud(int fd, unsigned* speed);

}  // namespace platform
