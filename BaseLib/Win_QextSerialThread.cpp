#include "Win_QextSerialThread.h"

#include "Win_QextSerialPort.h"

Win_QextSerialThread::Win_QextSerialThread(Win_QextSerialPort* port) : _port(port), _stop(false) {}

void Win_QextSerialThread::stop() {
    _stop = true;
    _port->stopCommWait();
}

void Win_QextSerialThread::run() {
    if (_stop) {
        _stop = false;
        return;
    }
    while (!_stop) {
        _port->watchCommEvent();
    }
    _stop = false;
}
