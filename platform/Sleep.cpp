#include "Sleep.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace platform {

namespace {

std::mutex& SleepLock() {
    static std::mutex lock;
    return lock;
}

SleepFunction& Replacement() {
    static SleepFunction replacement;
    return replacement;
}

}  // namespace

void Sleep(unsigned milliseconds) {
    SleepFunction replacement;
    {
        std::lock_guard<std::mutex> lock(SleepLock());
        replacement = Replacement();
    }
    if (replacement) {
        replacement(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

SleepFunction SetSleepFunction(SleepFunction function) {
    std::lock_guard<std::mutex> lock(SleepLock());
    SleepFunction previous = std::move(Replacement());
    Replacement() = std::move(function);
    return previous;
}

}  // namespace platform
