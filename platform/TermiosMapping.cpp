#include "TermiosMapping.h"

namespace platform {

namespace {

struct SpeedPair {
    DWORD baud;
    speed_t constant;
};

constexpr SpeedPair kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
};

tcflag_t SizeFlag(BYTE byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

BYTE ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5:
            return 5;
        case CS6:
            return 6;
        case CS7:
            return 7;
        default:
            return 8;
    }
}

tcflag_t ParityFlags(BYTE parity) {
    switch (parity) {
        case ODDPARITY:
            return PARENB | PARODD;
        case EVENPARITY:
            return PARENB;
        case MARKPARITY:
            return PARENB | PARODD | CMSPAR;
        case SPACEPARITY:
            return PARENB | CMSPAR;
        default:
            return 0;
    }
}

BYTE ParityOf(tcflag_t cflag) {
    if ((cflag & PARENB) == 0) {
        return NOPARITY;
    }
    const bool odd = (cflag & PARODD) != 0;
    if ((cflag & CMSPAR) != 0) {
        return odd ? MARKPARITY : SPACEPARITY;
    }
    return odd ? ODDPARITY : EVENPARITY;
}

}  // namespace

void MakeRaw(termios* settings) {
    settings->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY);
    settings->c_oflag &= ~OPOST;
    settings->c_lflag &= ~(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    settings->c_cflag |= CREAD | CLOCAL;
    settings->c_cc[VMIN] = 0;
    settings->c_cc[VTIME] = 0;
}

void ApplyDcb(const DCB& dcb, termios* settings) {
    MakeRaw(settings);
    if (dcb.ByteSize >= 5 && dcb.ByteSize <= 8) {
        settings->c_cflag = (settings->c_cflag & ~CSIZE) | SizeFlag(dcb.ByteSize);
    }
    settings->c_cflag &= ~(PARENB | PARODD | CMSPAR);
    settings->c_cflag |= ParityFlags(dcb.Parity);
    settings->c_iflag &= ~INPCK;
    if (dcb.fParity) {
        settings->c_iflag |= INPCK;
    }
    if (dcb.StopBits == ONESTOPBIT) {
        settings->c_cflag &= ~CSTOPB;
    } else {
        settings->c_cflag |= CSTOPB;
    }
    const bool hardwareFlow = dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
    settings->c_cflag &= ~CRTSCTS;
    if (hardwareFlow) {
        settings->c_cflag |= CRTSCTS;
    }
    settings->c_iflag &= ~(IXON | IXOFF);
    if (dcb.fOutX) {
        settings->c_iflag |= IXON;
    }
    if (dcb.fInX) {
        settings->c_iflag |= IXOFF;
    }
    if (dcb.XonChar != 0) {
        settings->c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    }
    if (dcb.XoffChar != 0) {
        settings->c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    }
}

void DescribeTermios(const termios& settings, DWORD speed, DCB* dcb) {
    *dcb = DCB{};
    dcb->DCBlength = sizeof(DCB);
    dcb->BaudRate = speed;
    dcb->fBinary = 1;
    dcb->fParity = (settings.c_iflag & INPCK) != 0;
    const bool hardwareFlow = (settings.c_cflag & CRTSCTS) != 0;
    dcb->fOutxCtsFlow = hardwareFlow;
    dcb->fRtsControl = hardwareFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb->fDtrControl = DTR_CONTROL_ENABLE;
    dcb->fTXContinueOnXoff = 1;
    dcb->fOutX = (settings.c_iflag & IXON) != 0;
    dcb->fInX = (settings.c_iflag & IXOFF) != 0;
    dcb->XonLim = 2048;
    dcb->XoffLim = 512;
    dcb->ByteSize = ByteSizeOf(settings.c_cflag);
    dcb->Parity = ParityOf(settings.c_cflag);
    if ((settings.c_cflag & CSTOPB) == 0) {
        dcb->StopBits = ONESTOPBIT;
    } else {
        dcb->StopBits = dcb->ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    }
    dcb->XonChar = static_cast<char>(settings.c_cc[VSTART]);
    dcb->XoffChar = static_cast<char>(settings.c_cc[VSTOP]);
}

speed_t SpeedConstant(DWORD baud) {
    for (const SpeedPair& pair : kSpeeds) {
        if (pair.baud == baud) {
            return pair.constant;
        }
    }
    return B0;
}

DWORD BaudOfConstant(speed_t constant) {
    for (const SpeedPair& pair : kSpeeds) {
        if (pair.constant == constant) {
            return pair.baud;
        }
    }
    return 0;
}

}  // namespace platform
