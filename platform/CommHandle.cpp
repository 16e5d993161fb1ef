#include "CommHandle.h"

#include <chrono>

namespace platform {

namespace {

std::mutex& OverlappedLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

void EventObject::Set() {
    std::lock_guard<std::mutex> lock(_mutex);
    _signaled = true;
    _changed.notify_all();
}

void EventObject::Reset() {
    std::lock_guard<std::mutex> lock(_mutex);
    _signaled = false;
}

DWORD EventObject::Wait(DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(_mutex);
    const auto signaled = [this] { return _signaled; };
    if (milliseconds == INFINITE) {
        _changed.wait(lock, signaled);
    } else if (!_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), signaled)) {
        return WAIT_TIMEOUT;
    }
    if (!_manualReset) {
        _signaled = false;
    }
    return WAIT_OBJECT_0;
}

void CompleteOverlapped(OVERLAPPED* overlapped, ULONG_PTR status, ULONG_PTR bytes) {
    std::lock_guard<std::mutex> lock(OverlappedLock());
    overlapped->Internal = status;
    overlapped->InternalHigh = bytes;
}

void MarkOverlappedPending(OVERLAPPED* overlapped) {
    std::lock_guard<std::mutex> lock(OverlappedLock());
    overlapped->Internal = kStatusPending;
    overlapped->InternalHigh = 0;
}

void ReadOverlapped(const OVERLAPPED* overlapped, ULONG_PTR* status, ULONG_PTR* bytes) {
    std::lock_guard<std::mutex> lock(OverlappedLock());
    *status = overlapped->Internal;
    *bytes = overlapped->InternalHigh;
}

}  // namespace platform
