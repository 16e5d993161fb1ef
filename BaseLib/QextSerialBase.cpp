#include "QextSerialBase.h"

QextSerialBase::QextSerialBase() : QextSerialBase(QStringLiteral("/dev/ttyS0")) {}

QextSerialBase::QextSerialBase(const QString& name)
    : _mutex(nullptr), _port(name), _portSettings{}, _lastError(E_NO_ERROR), _queryMode(Polling) {
    setDefaults();
}

QextSerialBase::~QextSerialBase() {
    delete _mutex;
}

void QextSerialBase::setDefaults() {
    _portSettings.BaudRate = BAUD115200;
    _portSettings.DataBits = DATA_8;
    _portSettings.Parity = PAR_NONE;
    _portSettings.StopBits = STOP_1;
    _portSettings.FlowControl = FLOW_HARDWARE;
    _portSettings.Timeout_Millisec = 500;
    delete _mutex;
    _mutex = new QRecursiveMutex;
    setOpenMode(QIODevice::NotOpen);
}

void QextSerialBase::setPortName(const QString& name) {
    _port = name;
}

QString QextSerialBase::portName() const {
    return _port;
}

void QextSerialBase::setQueryMode(int mode) {
    _queryMode = mode;
}

int QextSerialBase::baudRate() const {
    return _portSettings.BaudRate;
}

int QextSerialBase::dataBits() const {
    return _portSettings.DataBits;
}

int QextSerialBase::parity() const {
    return _portSettings.Parity;
}

int QextSerialBase::stopBits() const {
    return _portSettings.StopBits;
}

int QextSerialBase::flowControl() const {
    return _portSettings.FlowControl;
}

unsigned long QextSerialBase::lastError() const {
    return _lastError;
}

qint64 QextSerialBase::readLine(char* data, qint64 maxSize) {
    if (maxSize < 2) {
        return -1;
    }
    const qint64 available = bytesAvailable();
    qint64 count = 0;
    while (count < maxSize - 1 && count < available) {
        char byte = 0;
        if (readData(&byte, 1) != 1) {
            break;
        }
        data[count++] = byte;
        if (byte == '\n') {
            break;
        }
    }
    data[count] = '\0';
    return count;
}
