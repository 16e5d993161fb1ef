#include "Win_QextSerialPort.h"

#include <QMutexLocker>
#include <QReadLocker>
#include <QThread>
#include <QWriteLocker>
#include <QtGlobal>

#include "OperationLog.h"
#include "Win_QextSerialThread.h"

using namespace platform;

namespace {

// The configuration size the port always reports to the comm layer.
constexpr DWORD kCommConfigSize = 52;
constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY | EV_DSR;

struct BaudRateEntry {
    int storedIndex;
    DWORD speed;
    const char* message;
};

// Indexed by the baud-rate index: what is stored, the speed written on an
// open port, and the warning printed when it is written.
constexpr BaudRateEntry kBaudRates[] = {
    {BAUD110, 110,
     "Win_QextSerialPort: Windows does not support 50 baud operation.  Switching to 110 baud."},
    {BAUD110, 110,
     "Win_QextSerialPort: Windows does not support 75 baud operation.  Switching to 110 baud."},
    {BAUD110, 110, nullptr},
    {BAUD110, 110,
     "Win_QextSerialPort: Windows does not support 134.5 baud operation.  Switching to 110 baud."},
    {BAUD110, 110,
     "Win_QextSerialPort: Windows does not support 150 baud operation.  Switching to 110 baud."},
    {BAUD110, 110,
     "Win_QextSerialPort: Windows does not support 200 baud operation.  Switching to 110 baud."},
    {BAUD300, 300, nullptr},
    {BAUD600, 600, nullptr},
    {BAUD1200, 1200, nullptr},
    {BAUD1200, 1200,
     "Win_QextSerialPort: Windows does not support 1800 baud operation.  Switching to 1200 baud."},
    {BAUD2400, 2400, nullptr},
    {BAUD4800, 4800, nullptr},
    {BAUD9600, 9600, nullptr},
    {BAUD14400, 14400,
     "Win_QextSerialPort Portability Warning: POSIX does not support 14400 baud operation."},
    {BAUD19200, 19200, nullptr},
    {BAUD38400, 38400, nullptr},
    {BAUD56000, 56000,
     "Win_QextSerialPort Portability Warning: POSIX does not support 56000 baud operation."},
    {BAUD57600, 57600, nullptr},
    {BAUD57600, 57600,
     "Win_QextSerialPort: Windows does not support 76800 baud operation.  Switching to 57600 "
     "baud."},
    {BAUD115200, 115200, nullptr},
    {BAUD128000, 128000,
     "Win_QextSerialPort Portability Warning: POSIX does not support 128000 baud operation."},
    {BAUD256000, 256000,
     "Win_QextSerialPort Portability Warning: POSIX does not support 256000 baud operation."},
    {BAUD230400, 230400, nullptr},
    {BAUD460800, 460800, nullptr},
    {BAUD921600, 921600,
     "Win_QextSerialPort Portability Warning: POSIX does not support 921600 baud operation."},
};

constexpr int kBaudRateCount = static_cast<int>(sizeof(kBaudRates) / sizeof(kBaudRates[0]));

const BaudRateEntry* FindBaudRate(int index) {
    return index >= 0 && index < kBaudRateCount ? &kBaudRates[index] : nullptr;
}

// The data-bits / stop-bits pairs a line cannot take.
bool ClashesWithStopBits(int dataBits, int stopBits) {
    return (dataBits == DATA_5 && stopBits == STOP_2) ||
           (dataBits != DATA_5 && stopBits == STOP_1_5);
}

DWORD ClampToDword(qint64 length) {
    return length > static_cast<qint64>(MAXDWORD) ? MAXDWORD : static_cast<DWORD>(length);
}

}  // namespace

Win_QextSerialPort::Win_QextSerialPort() : QextSerialBase() {
    setUpCommLayer();
}

Win_QextSerialPort::Win_QextSerialPort(const QString& name, int mode) : QextSerialBase(name) {
    setUpCommLayer();
    setQueryMode(mode);
}

Win_QextSerialPort::Win_QextSerialPort(const PortSettings& settings, int mode) : QextSerialBase() {
    setUpCommLayer();
    applySettings(settings);
    setQueryMode(mode);
}

Win_QextSerialPort::Win_QextSerialPort(const QString& name, const PortSettings& settings, int mode)
    : QextSerialBase(name) {
    setUpCommLayer();
    applySettings(settings);
    setQueryMode(mode);
}

Win_QextSerialPort::~Win_QextSerialPort() {
    if (isOpen()) {
        close();
    }
    CloseHandle(_overlap.hEvent);
    delete _eventThread;
    delete _bytesToWriteLock;
}

void Win_QextSerialPort::setUpCommLayer() {
    _handle = INVALID_HANDLE_VALUE;
    _bytesToWrite = 0;
    _overlap = OVERLAPPED{};
    _overlap.hEvent = CreateEventA(nullptr, 1, 0, nullptr);
    _overlapWrite = OVERLAPPED{};
    _commConfig = COMMCONFIG{};
    _commTimeouts = COMMTIMEOUTS{};
    _eventThread = new Win_QextSerialThread(this);
    _bytesToWriteLock = new QReadWriteLock;
}

void Win_QextSerialPort::applySettings(const PortSettings& settings) {
    setBaudRate(settings.BaudRate);
    setDataBits(settings.DataBits);
    setStopBits(settings.StopBits);
    setParity(settings.Parity);
    setFlowControl(settings.FlowControl);
    setTimeout(settings.Timeout_Millisec);
}

bool Win_QextSerialPort::open(OpenMode mode) {
    QMutexLocker lock(_mutex);
    _commConfig.dwSize = kCommConfigSize;
    if (mode == QIODevice::NotOpen) {
        return isOpen();
    }
    if (isOpen()) {
        return false;
    }
    const QByteArray name = QByteArrayLiteral("\\\\.\\") + _port.toLatin1();
    _handle = CreateFileA(name.constData(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED, nullptr);
    if (_handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD configSize = sizeof(COMMCONFIG);
    GetCommConfig(_handle, &_commConfig, &configSize);
    GetCommState(_handle, &_commConfig.dcb);
    _commConfig.dcb.fBinary = 1;
    _commConfig.dcb.fOutX = 0;
    _commConfig.dcb.fInX = 0;
    _commConfig.dcb.fNull = 0;
    _commConfig.dcb.fAbortOnError = 0;
    // The port is not open yet, so these only store: the line keeps the
    // driver's settings until a setter is called after open.
    applySettings(_portSettings);
    SetCommConfig(_handle, &_commConfig, kCommConfigSize);

    if (_queryMode == EventDriven) {
        // Reads return at once with what has arrived.
        COMMTIMEOUTS immediate{};
        immediate.ReadIntervalTimeout = MAXDWORD;
        SetCommTimeouts(_handle, &immediate);
        if (!SetCommMask(_handle, kEventMask)) {
            qWarning("Failed to set Comm Mask. Error code: %ld", static_cast<long>(GetLastError()));
            // Release the port, or it stays held until the object dies.
            CloseHandle(_handle);
            _handle = INVALID_HANDLE_VALUE;
            return false;
        }
        _eventThread->start(QThread::InheritPriority);
    }
    QIODevice::open(mode);
    return isOpen();
}

void Win_QextSerialPort::close() {
    QMutexLocker lock(_mutex);
    if (!isOpen()) {
        return;
    }
    flush();
    if (_eventThread->isRunning()) {
        _eventThread->stop();
        if (QThread::currentThread() != _eventThread) {
            _eventThread->wait();
            // A thread that had already left its loop (after a hang-up) never
            // saw this stop; left set, it would end the next open's thread at once.
            _eventThread->_stop = false;
        }
    }
    if (CloseHandle(_handle)) {
        _handle = INVALID_HANDLE_VALUE;
    }
    {
        QWriteLocker writeLock(_bytesToWriteLock);
        _bytesToWrite = 0;
    }
    QIODevice::close();
}

void Win_QextSerialPort::flush() {
    QMutexLocker lock(_mutex);
    if (isOpen()) {
        FlushFileBuffers(_handle);
    }
}

qint64 Win_QextSerialPort::size() const {
    if (_handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(_handle, &errors, &status) ? static_cast<qint64>(status.cbInQue) : 0;
}

qint64 Win_QextSerialPort::bytesAvailable() const {
    QMutexLocker lock(_mutex);
    if (!isOpen()) {
        return 0;
    }
    DWORD errors = 0;
    COMSTAT status{};
    const bool queried = ClearCommError(_handle, &errors, &status) != 0;
    translateError(errors);
    if (!queried) {
        return -1;
    }
    _lastError = E_NO_ERROR;
    return QIODevice::bytesAvailable() + static_cast<qint64>(status.cbInQue);
}

bool Win_QextSerialPort::atEnd() const {
    return bytesAvailable() <= 0;
}

qint64 Win_QextSerialPort::bytesToWrite() const {
    QReadLocker readLock(_bytesToWriteLock);
    return _bytesToWrite;
}

void Win_QextSerialPort::ungetChar(char) {
    qWarning(
        "Win_QextSerialPort: ungetChar() called on an unbuffered sequential device - operation "
        "is meaningless");
}

void Win_QextSerialPort::writeCommConfig() {
    SetCommConfig(_handle, &_commConfig, kCommConfigSize);
}

void Win_QextSerialPort::setBaudRate(int index) {
    QMutexLocker lock(_mutex);
    const BaudRateEntry* entry = FindBaudRate(index);
    if (_portSettings.BaudRate != index) {
        _portSettings.BaudRate = entry != nullptr ? entry->storedIndex : index;
    }
    if (!isOpen()) {
        return;
    }
    if (entry != nullptr) {
        if (entry->message != nullptr) {
            qWarning("%s", entry->message);
        }
        _commConfig.dcb.BaudRate = entry->speed;
    }
    writeCommConfig();
}

void Win_QextSerialPort::setDataBits(int index) {
    QMutexLocker lock(_mutex);
    if (!ClashesWithStopBits(index, _portSettings.StopBits)) {
        _portSettings.DataBits = index;
    }
    if (!isOpen() || index < DATA_5 || index > DATA_8) {
        return;
    }
    if (index == DATA_5 && _portSettings.StopBits == STOP_2) {
        qWarning("Win_QextSerialPort: 5 Data bits cannot be used with 2 stop bits.");
        return;
    }
    if (index != DATA_5 && _portSettings.StopBits == STOP_1_5) {
        qWarning("Win_QextSerialPort: %d Data bits cannot be used with 1.5 stop bits.", index + 5);
        return;
    }
    _commConfig.dcb.ByteSize = static_cast<BYTE>(index + 5);
    writeCommConfig();
}

void Win_QextSerialPort::setParity(int index) {
    QMutexLocker lock(_mutex);
    _portSettings.Parity = index;
    if (!isOpen() || index < PAR_NONE || index > PAR_SPACE) {
        return;
    }
    if (index == PAR_MARK) {
        qWarning(
            "Win_QextSerialPort Portability Warning:  Mark parity is not supported by POSIX "
            "systems");
    } else if (index == PAR_SPACE && _portSettings.DataBits == DATA_8) {
        qWarning(
            "Win_QextSerialPort Portability Warning: Space parity with 8 data bits is not "
            "supported by POSIX systems.");
    }
    _commConfig.dcb.Parity = static_cast<BYTE>(index);
    _commConfig.dcb.fParity = index == PAR_NONE ? 0 : 1;
    writeCommConfig();
}

void Win_QextSerialPort::setStopBits(int index) {
    QMutexLocker lock(_mutex);
    if (!ClashesWithStopBits(_portSettings.DataBits, index)) {
        _portSettings.StopBits = index;
    }
    if (!isOpen()) {
        return;
    }
    switch (index) {
        case STOP_1:
            _commConfig.dcb.StopBits = ONESTOPBIT;
            break;
        case STOP_1_5:
            qWarning(
                "Win_QextSerialPort Portability Warning: 1.5 stop bit operation is not supported "
                "by POSIX.");
            if (_portSettings.DataBits != DATA_5) {
                qWarning("Win_QextSerialPort: 1.5 stop bits can only be used with 5 data bits");
                return;
            }
            _commConfig.dcb.StopBits = ONE5STOPBITS;
            break;
        case STOP_2:
            if (_portSettings.DataBits == DATA_5) {
                qWarning("Win_QextSerialPort: 2 stop bits cannot be used with 5 data bits");
                return;
            }
            _commConfig.dcb.StopBits = TWOSTOPBITS;
            break;
        default:
            return;
    }
    writeCommConfig();
}

void Win_QextSerialPort::setFlowControl(int index) {
    QMutexLocker lock(_mutex);
    _portSettings.FlowControl = index;
    const bool hardware = index == FLOW_HARDWARE;
    const bool software = index == FLOW_XONXOFF;
    if (!isOpen() || (index != FLOW_OFF && !hardware && !software)) {
        return;
    }
    DCB& dcb = _commConfig.dcb;
    dcb.fOutxCtsFlow = hardware ? 1 : 0;
    dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
    dcb.fInX = software ? 1 : 0;
    dcb.fOutX = software ? 1 : 0;
    writeCommConfig();
}

void Win_QextSerialPort::setTimeout(unsigned long milliseconds) {
    QMutexLocker lock(_mutex);
    const DWORD value = static_cast<DWORD>(milliseconds);
    _portSettings.Timeout_Millisec = value;
    _commTimeouts.ReadIntervalTimeout = value;
    _commTimeouts.ReadTotalTimeoutMultiplier = 0;
    _commTimeouts.ReadTotalTimeoutConstant = value == MAXDWORD ? 0 : value;
    _commTimeouts.WriteTotalTimeoutMultiplier = value;
    _commTimeouts.WriteTotalTimeoutConstant = 0;
    // Event-driven ports keep the immediate reads that open set up.
    if (_queryMode != EventDriven && _handle != INVALID_HANDLE_VALUE) {
        SetCommTimeouts(_handle, &_commTimeouts);
    }
}

void Win_QextSerialPort::translateError(unsigned long flags) const {
    struct FlagCode {
        DWORD flag;
        std::uint32_t code;
    };
    static constexpr FlagCode kOrder[] = {
        {CE_BREAK, E_BREAK_CONDITION},
        {CE_FRAME, E_FRAMING_ERROR},
        {CE_IOE, E_IO_ERROR},
        {CE_MODE, E_INVALID_FD},
        {CE_OVERRUN, E_BUFFER_OVERRUN},
        {CE_RXPARITY, E_RECEIVE_PARITY_ERROR},
        {CE_RXOVER, E_RECEIVE_OVERFLOW},
        {CE_TXFULL, E_TRANSMIT_OVERFLOW},
    };
    for (const FlagCode& entry : kOrder) {
        if ((flags & entry.flag) != 0) {
            _lastError = entry.code;
            return;
        }
    }
}

void Win_QextSerialPort::setDtr(bool set) {
    QMutexLocker lock(_mutex);
    if (isOpen()) {
        EscapeCommFunction(_handle, set ? SETDTR : CLRDTR);
    }
}

void Win_QextSerialPort::setRts(bool set) {
    QMutexLocker lock(_mutex);
    if (isOpen()) {
        EscapeCommFunction(_handle, set ? SETRTS : CLRRTS);
    }
}

unsigned long Win_QextSerialPort::lineStatus() {
    QMutexLocker lock(_mutex);
    return isOpen() ? modemLines() : 0;
}

unsigned long Win_QextSerialPort::modemLines() const {
    DWORD status = 0;
    if (!GetCommModemStatus(_handle, &status)) {
        return 0;
    }
    unsigned long lines = 0;
    lines |= (status & MS_CTS_ON) != 0 ? LS_CTS : 0;
    lines |= (status & MS_DSR_ON) != 0 ? LS_DSR : 0;
    lines |= (status & MS_RLSD_ON) != 0 ? LS_DCD : 0;
    lines |= (status & MS_RING_ON) != 0 ? LS_RI : 0;
    return lines;
}

qint64 Win_QextSerialPort::readData(char* data, qint64 maxSize) {
    QMutexLocker lock(_mutex);
    DWORD count = 0;
    const DWORD wanted = ClampToDword(maxSize);
    if (_queryMode != EventDriven) {
        if (!ReadFile(_handle, data, wanted, &count, nullptr)) {
            _lastError = E_READ_FAILED;
            return -1;
        }
        return count;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, 1, 0, nullptr);
    qint64 result = -1;
    if (ReadFile(_handle, data, wanted, &count, &overlapped)) {
        result = count;
    } else if (GetLastError() == ERROR_IO_PENDING &&
               GetOverlappedResult(_handle, &overlapped, &count, 1)) {
        result = count;
    } else {
        _lastError = E_READ_FAILED;
    }
    CloseHandle(overlapped.hEvent);
    return result;
}

qint64 Win_QextSerialPort::writeData(const char* data, qint64 length) {
    QMutexLocker lock(_mutex);
    DWORD written = 0;
    const DWORD count = ClampToDword(length);
    if (_queryMode != EventDriven) {
        if (!WriteFile(_handle, data, count, &written, nullptr)) {
            _lastError = E_WRITE_FAILED;
            return -1;
        }
        return written;
    }
    {
        QWriteLocker writeLock(_bytesToWriteLock);
        _bytesToWrite += count;
    }
    _overlapWrite = OVERLAPPED{};
    _overlapWrite.hEvent = CreateEventA(nullptr, 1, 0, nullptr);
    bool accepted = WriteFile(_handle, data, count, &written, &_overlapWrite) != 0;
    if (!accepted && GetLastError() == ERROR_IO_PENDING) {
        // Finish the write here, so neither the bytes nor the record are in
        // use once this returns.
        accepted = GetOverlappedResult(_handle, &_overlapWrite, &written, 1) != 0;
    }
    CloseHandle(_overlapWrite.hEvent);
    _overlapWrite.hEvent = nullptr;
    if (!accepted) {
        QWriteLocker writeLock(_bytesToWriteLock);
        _bytesToWrite -= count;
        _lastError = E_WRITE_FAILED;
        return -1;
    }
    return count;
}

void Win_QextSerialPort::watchCommEvent() {
    DWORD events = 0;
    ResetEvent(_overlap.hEvent);
    if (!WaitCommEvent(_handle, &events, &_overlap)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            endCommWatch("WaitCommEvent error ", error);
            return;
        }
    }
    if (WaitForSingleObject(_overlap.hEvent, INFINITE) != WAIT_OBJECT_0) {
        return;
    }
    DWORD unused = 0;
    if (!GetOverlappedResult(_handle, &_overlap, &unused, 0)) {
        endCommWatch("Comm event overlapped error ", GetLastError());
        return;
    }
    if ((events & EV_RXCHAR) != 0) {
        emit readyRead();
        // Each notice wakes the GUI thread, and the bridge delivers a few bytes
        // every millisecond: a short pause lets one read take several of those
        // chunks, far below the read size that counts as an overflow.
        QThread::msleep(kReadyReadGapMs);
    }
    if ((events & EV_TXEMPTY) != 0) {
        // Writes finish inside writeData, so there is no write record to wait on.
        qint64 written = 0;
        {
            QWriteLocker writeLock(_bytesToWriteLock);
            written = _bytesToWrite;
            _bytesToWrite = 0;
        }
        if (written > 0) {
            emit bytesWritten(written);
        }
    }
    if ((events & EV_DSR) != 0) {
        emit dsrChanged((modemLines() & LS_DSR) != 0);
    }
}

void Win_QextSerialPort::endCommWatch(const char* what, DWORD error) {
    LOG4CPLUS_WARN(OperationLogger(), what << error << " on " << _port.toStdString());
    const bool closing = _eventThread->_stop || error == ERROR_OPERATION_ABORTED;
    _eventThread->_stop = true;
    if (!closing) {
        emit hungUp();
    }
}

void Win_QextSerialPort::stopCommWait() {
    SetCommMask(_handle, 0);
}
