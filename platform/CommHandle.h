#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <mutex>

#include "CommApi.h"

namespace platform {

// Base of every object behind a HANDLE of the comm layer.
class CommHandle {
public:
    CommHandle() = default;
    virtual ~CommHandle() = default;
    Q_DISABLE_COPY(CommHandle)

    // Called once by CloseHandle; the object may still be in use by a call
    // running on another thread, so it is only freed after that call.
    virtual void Shutdown() {}
};

// A Windows-style event: manual or automatic reset.
class EventObject : public CommHandle {
public:
    EventObject(bool manualReset, bool initialState)
        : _manualReset(manualReset), _signaled(initialState) {}

    void Set();
    void Reset();
    // WAIT_OBJECT_0 or WAIT_TIMEOUT; INFINITE waits for ever.
    DWORD Wait(DWORD milliseconds);

private:
    std::mutex _mutex;
    std::condition_variable _changed;
    const bool _manualReset;
    bool _signaled;
};

// OVERLAPPED records are completed by one thread and read by another; every
// access to their status fields goes through these, under one lock.
void CompleteOverlapped(OVERLAPPED* overlapped, ULONG_PTR status, ULONG_PTR bytes);
void MarkOverlappedPending(OVERLAPPED* overlapped);
void ReadOverlapped(const OVERLAPPED* overlapped, ULONG_PTR* status, ULONG_PTR* bytes);

}  // namespace platform
