#pragma once

#include <QIODevice>
#include <QRecursiveMutex>
#include <QString>
#include <cstdint>

#include "PortSettings.h"

// Last-error codes of a serial port.
enum SerialError {
    E_NO_ERROR = 0,
    E_INVALID_FD = 1,
    E_BREAK_CONDITION = 6,
    E_FRAMING_ERROR = 7,
    E_IO_ERROR = 8,
    E_BUFFER_OVERRUN = 9,
    E_RECEIVE_OVERFLOW = 10,
    E_RECEIVE_PARITY_ERROR = 11,
    E_TRANSMIT_OVERFLOW = 12,
    E_READ_FAILED = 13,
    E_WRITE_FAILED = 14
};

// lineStatus bits.
enum LineStatusBits { LS_CTS = 0x01, LS_DSR = 0x02, LS_DCD = 0x04, LS_RI = 0x08 };

// The portable half of a serial port: name, line settings, query mode, last
// error and the recursive lock that serialises the callers' operations.
class QextSerialBase : public QIODevice {
    Q_OBJECT
public:
    enum QueryMode { Polling = 0, EventDriven = 1 };

    QextSerialBase();
    explicit QextSerialBase(const QString& name);
    ~QextSerialBase() override;

    Q_DISABLE_COPY(QextSerialBase)

    virtual void setDefaults();
    virtual void setPortName(const QString& name);
    virtual QString portName() const;
    virtual void setQueryMode(int mode);
    int queryMode() const { return _queryMode; }
    virtual void setBaudRate(int index) = 0;
    virtual int baudRate() const;
    virtual void setDataBits(int index) = 0;
    virtual int dataBits() const;
    virtual void setParity(int index) = 0;
    virtual int parity() const;
    virtual void setStopBits(int index) = 0;
    virtual int stopBits() const;
    virtual void setFlowControl(int index) = 0;
    virtual int flowControl() const;
    virtual void setTimeout(unsigned long milliseconds) = 0;
    virtual void flush() = 0;
    qint64 bytesAvailable() const override = 0;
    virtual void ungetChar(char c) = 0;
    using QIODevice::readLine;
    virtual qint64 readLine(char* data, qint64 maxSize);
    virtual unsigned long lastError() const;
    virtual void translateError(unsigned long flags) const = 0;
    virtual void setDtr(bool set = true) = 0;
    virtual void setRts(bool set = true) = 0;
    virtual unsigned long lineStatus() = 0;

signals:
    void dsrChanged(bool status);

protected:
    QRecursiveMutex* _mutex;
    QString _port;
    PortSettings _portSettings;
    mutable std::uint32_t _lastError;
    int _queryMode;
};
