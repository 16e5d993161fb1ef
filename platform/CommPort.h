#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CommHandle.h"

namespace platform {

// An open tty behind a comm handle. Its reader thread moves every byte the
// tty delivers into a one-megabyte buffer (more than the kernel keeps per
// tty), sends queued output, and raises the comm events. A full buffer stops
// the reading, so the sender is held back instead of bytes being dropped.
class CommPort : public CommHandle {
public:
    // Opens the tty exclusively and in raw mode; nullptr (last error set) when
    // the path is missing, in use or not a tty.
    static std::shared_ptr<CommPort> Open(const std::string& path);
    ~CommPort() override;

    void Shutdown() override;

    bool GetState(DCB* dcb);
    bool SetState(const DCB& dcb);
    void GetTimeouts(COMMTIMEOUTS* timeouts);
    void SetTimeouts(const COMMTIMEOUTS& timeouts);
    void SetMask(DWORD mask);
    DWORD Mask();
    // Completes at once (true) when an event in the mask has happened since
    // the last wait or the mask is 0; otherwise stays pending (false, last
    // error ERROR_IO_PENDING) until an event, a mask change or a hang-up.
    bool WaitEvent(DWORD* events, OVERLAPPED* overlapped, std::shared_ptr<EventObject> event);
    bool Read(char* data, DWORD size, DWORD* read);
    // Writes what the tty takes now and queues the rest; never blocks.
    bool Write(const char* data, DWORD size);
    // Waits (bounded) until queued output has gone to the tty.
    bool Flush();
    void TakeStatus(DWORD* errors, COMSTAT* status);
    bool Escape(DWORD function);
    bool ModemStatus(DWORD* status);

private:
    struct PendingWait {
        DWORD* events = nullptr;
        OVERLAPPED* overlapped = nullptr;
        std::shared_ptr<EventObject> event;
    };

    CommPort(int fd, int wakeFd);

    void Run();
    void PollOnce(char* chunk, size_t chunkSize);
    void ReceiveAvailable(char* chunk, size_t chunkSize, bool hangupSeen);
    void SendQueued();
    void CheckDsr();
    void Wake();

    // The following run with _mutex held.
    size_t WriteNow(const char* data, size_t size, bool* failed);
    void Append(const char* data, size_t size);
    size_t Take(char* data, size_t size);
    size_t QueuedOutput() const { return _out.size() - _outStart; }
    void RaiseEvent(DWORD event);
    void FinishPending(ULONG_PTR status, DWORD events);
    void HangUp();
    bool ReadReturnsAtOnce() const;

    const int _fd;
    const int _wakeFd;
    std::thread _reader;

    std::mutex _mutex;
    std::condition_variable _received;
    std::condition_variable _drained;
    std::vector<char> _ring;
    size_t _ringStart = 0;
    size_t _fill = 0;
    std::vector<char> _out;
    size_t _outStart = 0;
    DWORD _mask = 0;
    DWORD _history = 0;
    DWORD _errors = 0;
    COMMTIMEOUTS _timeouts{};
    PendingWait _pending;
    bool _hungUp = false;
    bool _stopping = false;
    bool _shutDown = false;
    bool _watchDsr = false;
    bool _lastDsr = false;
};

}  // namespace platform
