#pragma once

#include <QReadWriteLock>

#include "CommApi.h"
#include "QextSerialBase.h"

class Win_QextSerialThread;

// A serial port on the comm API: overlapped I/O and one event thread per open
// port, which raises readyRead, bytesWritten and dsrChanged. Ports are never
// copied: a copy would share the open handle.
class Win_QextSerialPort : public QextSerialBase {
    Q_OBJECT
public:
    Win_QextSerialPort();
    Win_QextSerialPort(const QString& name, int mode);
    Win_QextSerialPort(const PortSettings& settings, int mode);
    Win_QextSerialPort(const QString& name, const PortSettings& settings, int mode);
    ~Win_QextSerialPort() override;

    Q_DISABLE_COPY(Win_QextSerialPort)

    bool open(OpenMode mode) override;
    void close() override;
    void flush() override;
    qint64 size() const override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }
    bool atEnd() const override;
    qint64 bytesToWrite() const override;
    bool waitForReadyRead(int) override { return false; }
    void ungetChar(char c) override;

    void setBaudRate(int index) override;
    void setDataBits(int index) override;
    void setParity(int index) override;
    void setStopBits(int index) override;
    void setFlowControl(int index) override;
    void setTimeout(unsigned long milliseconds) override;
    void translateError(unsigned long flags) const override;
    void setDtr(bool set = true) override;
    void setRts(bool set = true) override;
    unsigned long lineStatus() override;

    // One step of the event thread: wait for a comm event and signal it.
    void watchCommEvent();
    // Wakes a pending comm-event wait.
    void stopCommWait();

signals:
    // The line went away under the open port (adapter pulled, the other end
    // of a pseudo-terminal closed); emitted by the event thread, which ends.
    void hungUp();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 length) override;

private:
    // Shortest time between two readyRead notices while bytes keep arriving.
    static constexpr unsigned long kReadyReadGapMs = 5;
    void setUpCommLayer();
    void applySettings(const PortSettings& settings);
    void writeCommConfig();
    // Modem lines without the lock, for the event thread.
    unsigned long modemLines() const;
    // A failed comm-event wait ends the event thread; unless the port is
    // being closed, the line is gone.
    void endCommWatch(const char* what, platform::DWORD error);

    platform::HANDLE _handle;
    platform::OVERLAPPED _overlap;
    platform::OVERLAPPED _overlapWrite;
    platform::COMMCONFIG _commConfig;
    platform::COMMTIMEOUTS _commTimeouts;
    QReadWriteLock* _bytesToWriteLock;
    qint64 _bytesToWrite;
    Win_QextSerialThread* _eventThread;
};
