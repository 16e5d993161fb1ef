#include "CommPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "CustomBaud.h"
#include "TermiosMapping.h"
#include "WakePoll.h"

namespace platform {

namespace {

constexpr size_t kChunkSize = 16384;
constexpr int kDsrPollMs = 200;
constexpr auto kFlushLimit = std::chrono::seconds(5);

DWORD OpenError(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EBUSY:
            return ERROR_ACCESS_DENIED;
        default:
            return ERROR_GEN_FAILURE;
    }
}

bool IsFatal(int error) {
    return error != EAGAIN && error != EWOULDBLOCK && error != EINTR;
}

void CloseQuietly(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace

std::shared_ptr<CommPort> CommPort::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(OpenError(errno));
        return nullptr;
    }
    termios settings{};
    if (!isatty(fd) || tcgetattr(fd, &settings) != 0) {
        CloseQuietly(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    // TIOCEXCL keeps other openers out (root excepted); the lock covers root.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        CloseQuietly(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ioctl(fd, TIOCEXCL);
    MakeRaw(&settings);
    tcsetattr(fd, TCSANOW, &settings);

    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        ioctl(fd, TIOCNXCL);
        CloseQuietly(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::shared_ptr<CommPort> port(new CommPort(fd, wakeFd));
    port->_reader = std::thread(&CommPort::Run, port.get());
    return port;
}

CommPort::CommPort(int fd, int wakeFd) : _fd(fd), _wakeFd(wakeFd), _ring(kReceiveBufferSize) {
    _timeouts.ReadIntervalTimeout = MAXDWORD;
}

CommPort::~CommPort() {
    Shutdown();
}

void CommPort::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_shutDown) {
            return;
        }
        _shutDown = true;
        _stopping = true;
        FinishPending(ERROR_OPERATION_ABORTED, 0);
        _received.notify_all();
        _drained.notify_all();
    }
    Wake();
    if (_reader.joinable()) {
        _reader.join();
    }
    // The exclusive flag belongs to the tty, not to this descriptor.
    ioctl(_fd, TIOCNXCL);
    CloseQuietly(_fd);
    CloseQuietly(_wakeFd);
}

bool CommPort::GetState(DCB* dcb) {
    termios settings{};
    if (tcgetattr(_fd, &settings) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    DWORD speed = BaudOfConstant(cfgetospeed(&settings));
    unsigned custom = 0;
    if (speed == 0 && GetCustomBaud(_fd, &custom)) {
        speed = custom;
    }
    DescribeTermios(settings, speed, dcb);
    return true;
}

bool CommPort::SetState(const DCB& dcb) {
    termios settings{};
    if (tcgetattr(_fd, &settings) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    ApplyDcb(dcb, &settings);
    const speed_t constant = SpeedConstant(dcb.BaudRate);
    if (constant != B0) {
        cfsetispeed(&settings, constant);
        cfsetospeed(&settings, constant);
    }
    bool applied = tcsetattr(_fd, TCSANOW, &settings) == 0;
    if (applied && constant == B0 && dcb.BaudRate != 0) {
        applied = SetCustomBaud(_fd, dcb.BaudRate);
    }
    if (!applied) {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    return applied;
}

void CommPort::GetTimeouts(COMMTIMEOUTS* timeouts) {
    std::lock_guard<std::mutex> lock(_mutex);
    *timeouts = _timeouts;
}

void CommPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
    std::lock_guard<std::mutex> lock(_mutex);
    _timeouts = timeouts;
}

void CommPort::SetMask(DWORD mask) {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _mask = mask;
        _history = 0;
        // A new mask ends the pending wait with no event.
        FinishPending(0, 0);
        if ((mask & EV_RXCHAR) != 0 && _fill > 0) {
            _history |= EV_RXCHAR;  // bytes already waiting are announced once
        }
        int lines = 0;
        _watchDsr = (mask & EV_DSR) != 0 && ioctl(_fd, TIOCMGET, &lines) == 0;
        _lastDsr = (lines & TIOCM_DSR) != 0;
    }
    Wake();
}

DWORD CommPort::Mask() {
    std::lock_guard<std::mutex> lock(_mutex);
    return _mask;
}

bool CommPort::WaitEvent(DWORD* events, OVERLAPPED* overlapped,
                         std::shared_ptr<EventObject> event) {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_pending.overlapped != nullptr || _stopping) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (_mask == 0 || (_history & _mask) != 0) {
        *events = _history & _mask;
        _history = 0;
        CompleteOverlapped(overlapped, 0, 0);
        if (event) {
            event->Set();
        }
        return true;
    }
    if (_hungUp) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    *events = 0;
    MarkOverlappedPending(overlapped);
    _pending = PendingWait{events, overlapped, std::move(event)};
    SetLastError(ERROR_IO_PENDING);
    return false;
}

bool CommPort::ReadReturnsAtOnce() const {
    return _timeouts.ReadIntervalTimeout == MAXDWORD && _timeouts.ReadTotalTimeoutMultiplier == 0 &&
           _timeouts.ReadTotalTimeoutConstant == 0;
}

bool CommPort::Read(char* data, DWORD size, DWORD* read) {
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(_mutex);
    const bool atOnce = ReadReturnsAtOnce();
    const COMMTIMEOUTS timeouts = _timeouts;
    const DWORD totalMs =
        timeouts.ReadTotalTimeoutMultiplier * size + timeouts.ReadTotalTimeoutConstant;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    const bool useInterval =
        timeouts.ReadIntervalTimeout != 0 && timeouts.ReadIntervalTimeout != MAXDWORD;

    size_t got = Take(data, size);
    while (!atOnce && got < size && !_hungUp && !_stopping) {
        Clock::time_point until = Clock::time_point::max();
        if (totalMs != 0) {
            until = deadline;
        }
        if (useInterval && got > 0) {
            until = std::min(
                until, Clock::now() + std::chrono::milliseconds(timeouts.ReadIntervalTimeout));
        }
        const bool woken = until == Clock::time_point::max()
                               ? (_received.wait(lock), true)
                               : _received.wait_until(lock, until) == std::cv_status::no_timeout;
        got += Take(data + got, size - got);
        if (!woken) {
            break;
        }
    }
    if (got == 0 && size > 0 && _hungUp) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    *read = static_cast<DWORD>(got);
    return true;
}

bool CommPort::Write(const char* data, DWORD size) {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_hungUp || _stopping) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (QueuedOutput() + size > kReceiveBufferSize) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    size_t written = 0;
    if (QueuedOutput() == 0) {
        bool failed = false;
        written = WriteNow(data, size, &failed);
        if (failed) {
            HangUp();
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    }
    if (written < size) {
        _out.insert(_out.end(), data + written, data + size);
        Wake();
    } else {
        RaiseEvent(EV_TXEMPTY);
    }
    return true;
}

bool CommPort::Flush() {
    std::unique_lock<std::mutex> lock(_mutex);
    _drained.wait_for(lock, kFlushLimit,
                      [this] { return QueuedOutput() == 0 || _hungUp || _stopping; });
    if (_hungUp) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

void CommPort::TakeStatus(DWORD* errors, COMSTAT* status) {
    std::lock_guard<std::mutex> lock(_mutex);
    if (errors != nullptr) {
        *errors = _errors;
    }
    _errors = 0;
    if (status != nullptr) {
        status->flags = 0;
        status->cbInQue = static_cast<DWORD>(_fill);
        status->cbOutQue = static_cast<DWORD>(QueuedOutput());
    }
}

bool CommPort::Escape(DWORD function) {
    int bits = 0;
    unsigned long request = TIOCMBIS;
    switch (function) {
        case SETDTR:
        case CLRDTR:
            bits = TIOCM_DTR;
            break;
        case SETRTS:
        case CLRRTS:
            bits = TIOCM_RTS;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
    }
    if (function == CLRDTR || function == CLRRTS) {
        request = TIOCMBIC;
    }
    if (ioctl(_fd, request, &bits) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    return true;
}

bool CommPort::ModemStatus(DWORD* status) {
    int lines = 0;
    if (ioctl(_fd, TIOCMGET, &lines) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    DWORD result = 0;
    result |= (lines & TIOCM_CTS) != 0 ? MS_CTS_ON : 0;
    result |= (lines & TIOCM_DSR) != 0 ? MS_DSR_ON : 0;
    result |= (lines & TIOCM_RNG) != 0 ? MS_RING_ON : 0;
    result |= (lines & TIOCM_CAR) != 0 ? MS_RLSD_ON : 0;
    *status = result;
    return true;
}

void CommPort::Run() {
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            if (_stopping) {
                return;
            }
        }
        PollOnce(chunk.data(), chunk.size());
    }
}

void CommPort::PollOnce(char* chunk, size_t chunkSize) {
    pollfd watched = {};
    int timeout = -1;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        short events = 0;
        if (_fill < _ring.size()) {
            events |= POLLIN;
        }
        if (QueuedOutput() > 0) {
            events |= POLLOUT;
        }
        // After a hang-up the tty reports it for ever; stop watching it.
        watched.fd = _hungUp ? -1 : _fd;
        watched.events = events;
        timeout = _watchDsr ? kDsrPollMs : -1;
    }
    if (!PollWithWake(watched, _wakeFd, timeout)) {
        return;
    }
    const short seen = watched.revents;
    const bool hangupSeen = (seen & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if ((seen & POLLIN) != 0 || hangupSeen) {
        ReceiveAvailable(chunk, chunkSize, hangupSeen);
    }
    if ((seen & POLLOUT) != 0) {
        SendQueued();
    }
    CheckDsr();
}

void CommPort::ReceiveAvailable(char* chunk, size_t chunkSize, bool hangupSeen) {
    for (;;) {
        size_t space = 0;
        {
            std::lock_guard<std::mutex> lock(_mutex);
            space = _ring.size() - _fill;
        }
        if (space == 0) {
            break;
        }
        const ssize_t count = ::read(_fd, chunk, std::min(space, chunkSize));
        if (count > 0) {
            std::lock_guard<std::mutex> lock(_mutex);
            Append(chunk, static_cast<size_t>(count));
            RaiseEvent(EV_RXCHAR);
            _received.notify_all();
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && IsFatal(errno)) {
            hangupSeen = true;
        }
        break;
    }
    if (hangupSeen) {
        std::lock_guard<std::mutex> lock(_mutex);
        HangUp();
    }
}

void CommPort::SendQueued() {
    std::lock_guard<std::mutex> lock(_mutex);
    bool failed = false;
    _outStart += WriteNow(_out.data() + _outStart, QueuedOutput(), &failed);
    if (failed) {
        HangUp();
        return;
    }
    if (QueuedOutput() == 0) {
        _out.clear();
        _outStart = 0;
        RaiseEvent(EV_TXEMPTY);
        _drained.notify_all();
    }
}

void CommPort::CheckDsr() {
    std::lock_guard<std::mutex> lock(_mutex);
    if (!_watchDsr || _hungUp) {
        return;
    }
    int lines = 0;
    if (ioctl(_fd, TIOCMGET, &lines) != 0) {
        return;
    }
    const bool dsr = (lines & TIOCM_DSR) != 0;
    if (dsr != _lastDsr) {
        _lastDsr = dsr;
        RaiseEvent(EV_DSR);
    }
}

void CommPort::Wake() {
    eventfd_write(_wakeFd, 1);
}

size_t CommPort::WriteNow(const char* data, size_t size, bool* failed) {
    size_t written = 0;
    while (written < size) {
        const ssize_t count = ::write(_fd, data + written, size - written);
        if (count > 0) {
            written += static_cast<size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        *failed = count < 0 && IsFatal(errno);
        break;
    }
    return written;
}

void CommPort::Append(const char* data, size_t size) {
    const size_t capacity = _ring.size();
    const size_t end = (_ringStart + _fill) % capacity;
    const size_t first = std::min(size, capacity - end);
    std::memcpy(_ring.data() + end, data, first);
    std::memcpy(_ring.data(), data + first, size - first);
    _fill += size;
}

size_t CommPort::Take(char* data, size_t size) {
    const size_t capacity = _ring.size();
    const bool wasFull = _fill == capacity;
    const size_t count = std::min(size, _fill);
    const size_t first = std::min(count, capacity - _ringStart);
    std::memcpy(data, _ring.data() + _ringStart, first);
    std::memcpy(data + first, _ring.data(), count - first);
    _ringStart = (_ringStart + count) % capacity;
    _fill -= count;
    if (wasFull && count > 0) {
        Wake();  // the reader stopped reading the tty while the buffer was full
    }
    return count;
}

void CommPort::RaiseEvent(DWORD event) {
    _history |= event & _mask;
    if (_pending.overlapped != nullptr && (_history & _mask) != 0) {
        const DWORD events = _history & _mask;
        _history = 0;
        FinishPending(0, events);
    }
}

void CommPort::FinishPending(ULONG_PTR status, DWORD events) {
    if (_pending.overlapped == nullptr) {
        return;
    }
    *_pending.events = events;
    CompleteOverlapped(_pending.overlapped, status, 0);
    std::shared_ptr<EventObject> event = std::move(_pending.event);
    _pending = PendingWait{};
    if (event) {
        event->Set();
    }
}

void CommPort::HangUp() {
    if (_hungUp) {
        return;
    }
    _hungUp = true;
    FinishPending(ERROR_ACCESS_DENIED, 0);
    _received.notify_all();
    _drained.notify_all();
}

}  // namespace platform
