#pragma once

#include <QThread>
#include <atomic>

class Win_QextSerialPort;

// The event thread of one open port: waits for comm events and lets the port
// raise its signals. Ends itself after a failed wait instead of spinning.
class Win_QextSerialThread : public QThread {
    Q_OBJECT
public:
    explicit Win_QextSerialThread(Win_QextSerialPort* port);

    // Asks the thread to end and wakes its pending wait.
    void stop();

protected:
    void run() override;

private:
    friend class Win_QextSerialPort;

    Win_QextSerialPort* _port;
    std::atomic<bool> _stop;
};
