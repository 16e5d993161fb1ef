#include "CommApi.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "CommHandle.h"
#include "CommPort.h"
#include "RegistryView.h"

namespace platform {

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

// Live handles. A call holds its object through a shared pointer, so a
// CloseHandle on another thread never frees an object in use.
class HandleTable {
public:
    HANDLE Add(std::shared_ptr<CommHandle> object) {
        std::lock_guard<std::mutex> lock(_mutex);
        HANDLE handle = object.get();
        _objects.emplace(handle, std::move(object));
        return handle;
    }

    std::shared_ptr<CommHandle> Remove(HANDLE handle) {
        std::lock_guard<std::mutex> lock(_mutex);
        auto found = _objects.find(handle);
        if (found == _objects.end()) {
            return nullptr;
        }
        std::shared_ptr<CommHandle> object = std::move(found->second);
        _objects.erase(found);
        return object;
    }

    template <typename T>
    std::shared_ptr<T> Find(HANDLE handle) {
        std::lock_guard<std::mutex> lock(_mutex);
        auto found = _objects.find(handle);
        if (found == _objects.end()) {
            return nullptr;
        }
        return std::dynamic_pointer_cast<T>(found->second);
    }

private:
    std::mutex _mutex;
    std::unordered_map<HANDLE, std::shared_ptr<CommHandle>> _objects;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

template <typename T>
std::shared_ptr<T> Find(HANDLE handle) {
    std::shared_ptr<T> object = Handles().Find<T>(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

std::shared_ptr<CommPort> FindPort(HANDLE handle) {
    return Find<CommPort>(handle);
}

// Runs `call` on the T behind `handle`; an unknown handle fails the call.
template <typename T, typename Call>
BOOL On(HANDLE handle, Call call) {
    std::shared_ptr<T> object = Find<T>(handle);
    return object && call(*object) ? 1 : 0;
}

// The same for an operation that cannot fail.
template <typename T, typename Call>
BOOL OnAlways(HANDLE handle, Call call) {
    return On<T>(handle, [&call](T& object) {
        call(object);
        return true;
    });
}

// "\\.\COM7" -> "COM7"; "\\.\/dev/pts/3" -> "/dev/pts/3".
std::string StripDevicePrefix(const char* name) {
    std::string stripped = name != nullptr ? name : "";
    const std::string prefix = "\\\\.\\";
    if (stripped.compare(0, prefix.size(), prefix) == 0) {
        stripped.erase(0, prefix.size());
    }
    return stripped;
}

// Marks a call that finished at once, as the comm driver does: the record
// shows the result and its event is set.
BOOL CompleteAtOnce(OVERLAPPED* overlapped, DWORD bytes) {
    if (overlapped != nullptr) {
        CompleteOverlapped(overlapped, 0, bytes);
        if (auto event = Handles().Find<EventObject>(overlapped->hEvent)) {
            event->Set();
        }
    }
    return 1;
}

}  // namespace

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD error) {
    t_lastError = error;
}

HANDLE CreateFileA(const char* name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    const QString portName = QString::fromLocal8Bit(StripDevicePrefix(name).c_str());
    const QString path = OpenRegistryView()->PortPath(portName);
    if (path.isEmpty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<CommPort> port = CommPort::Open(path.toLocal8Bit().toStdString());
    if (!port) {
        return INVALID_HANDLE_VALUE;
    }
    return Handles().Add(std::move(port));
}

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<CommHandle> object = Handles().Remove(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    object->Shutdown();
    return 1;
}

HANDLE CreateEventA(void*, BOOL manualReset, BOOL initialState, const char*) {
    return Handles().Add(std::make_shared<EventObject>(manualReset != 0, initialState != 0));
}

BOOL SetEvent(HANDLE event) {
    return OnAlways<EventObject>(event, [](EventObject& object) { object.Set(); });
}

BOOL ResetEvent(HANDLE event) {
    return OnAlways<EventObject>(event, [](EventObject& object) { object.Reset(); });
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto object = Find<EventObject>(handle);
    return object ? object->Wait(milliseconds) : WAIT_FAILED;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, OVERLAPPED* overlapped) {
    auto port = FindPort(file);
    DWORD count = 0;
    if (!port || !port->Read(static_cast<char*>(buffer), toRead, &count)) {
        return 0;
    }
    if (read != nullptr) {
        *read = count;
    }
    return CompleteAtOnce(overlapped, count);
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
               OVERLAPPED* overlapped) {
    auto port = FindPort(file);
    if (!port || !port->Write(static_cast<const char*>(buffer), toWrite)) {
        return 0;
    }
    if (written != nullptr) {
        *written = toWrite;
    }
    return CompleteAtOnce(overlapped, toWrite);
}

BOOL GetOverlappedResult(HANDLE, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
    if (overlapped == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ULONG_PTR status = 0;
    ULONG_PTR bytes = 0;
    ReadOverlapped(overlapped, &status, &bytes);
    if (status == kStatusPending && wait) {
        auto event = Handles().Find<EventObject>(overlapped->hEvent);
        while (status == kStatusPending) {
            if (event) {
                event->Wait(INFINITE);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ReadOverlapped(overlapped, &status, &bytes);
        }
    }
    if (transferred != nullptr) {
        *transferred = static_cast<DWORD>(bytes);
    }
    if (status == kStatusPending) {
        SetLastError(ERROR_IO_INCOMPLETE);
        return 0;
    }
    if (status != 0) {
        SetLastError(static_cast<DWORD>(status));
        return 0;
    }
    return 1;
}

BOOL FlushFileBuffers(HANDLE file) {
    return On<CommPort>(file, [&](CommPort& port) { return port.Flush(); });
}

BOOL GetCommState(HANDLE file, DCB* dcb) {
    return On<CommPort>(file, [&](CommPort& port) { return port.GetState(dcb); });
}

BOOL SetCommState(HANDLE file, const DCB* dcb) {
    return On<CommPort>(file, [&](CommPort& port) { return port.SetState(*dcb); });
}

BOOL GetCommConfig(HANDLE file, COMMCONFIG* config, DWORD* size) {
    auto port = FindPort(file);
    if (!port || !port->GetState(&config->dcb)) {
        return 0;
    }
    config->wVersion = 1;
    config->dwProviderSubType = 0;
    config->dwProviderOffset = 0;
    config->dwProviderSize = 0;
    if (size != nullptr) {
        *size = sizeof(COMMCONFIG);
    }
    return 1;
}

BOOL SetCommConfig(HANDLE file, const COMMCONFIG* config, DWORD) {
    return SetCommState(file, &config->dcb);
}

BOOL GetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) {
    return OnAlways<CommPort>(file, [&](CommPort& port) { port.GetTimeouts(timeouts); });
}

BOOL SetCommTimeouts(HANDLE file, const COMMTIMEOUTS* timeouts) {
    return OnAlways<CommPort>(file, [&](CommPort& port) { port.SetTimeouts(*timeouts); });
}

BOOL SetCommMask(HANDLE file, DWORD mask) {
    return OnAlways<CommPort>(file, [&](CommPort& port) { port.SetMask(mask); });
}

BOOL GetCommMask(HANDLE file, DWORD* mask) {
    return OnAlways<CommPort>(file, [&](CommPort& port) { *mask = port.Mask(); });
}

BOOL WaitCommEvent(HANDLE file, DWORD* eventMask, OVERLAPPED* overlapped) {
    auto port = FindPort(file);
    if (!port) {
        return 0;
    }
    if (overlapped != nullptr) {
        return port->WaitEvent(eventMask, overlapped,
                               Handles().Find<EventObject>(overlapped->hEvent))
                   ? 1
                   : 0;
    }
    // Without a record the call blocks until the event.
    OVERLAPPED own{};
    auto event = std::make_shared<EventObject>(true, false);
    if (port->WaitEvent(eventMask, &own, event)) {
        return 1;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    event->Wait(INFINITE);
    ULONG_PTR status = 0;
    ULONG_PTR bytes = 0;
    ReadOverlapped(&own, &status, &bytes);
    if (status != 0) {
        SetLastError(static_cast<DWORD>(status));
        return 0;
    }
    return 1;
}

BOOL ClearCommError(HANDLE file, DWORD* errors, COMSTAT* status) {
    return OnAlways<CommPort>(file, [&](CommPort& port) { port.TakeStatus(errors, status); });
}

BOOL EscapeCommFunction(HANDLE file, DWORD function) {
    return On<CommPort>(file, [&](CommPort& port) { return port.Escape(function); });
}

BOOL GetCommModemStatus(HANDLE file, DWORD* status) {
    return On<CommPort>(file, [&](CommPort& port) { return port.ModemStatus(status); });
}

}  // namespace platform
