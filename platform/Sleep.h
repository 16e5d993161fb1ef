#pragma once

#include <functional>

namespace platform {

using SleepFunction = std::function<void(unsigned milliseconds)>;

// Every pause between device commands goes through here, so tests can check
// the pauses without waiting for them.
void Sleep(unsigned milliseconds);

// Replaces the pause; an empty function restores the real one. Returns the
// function that was in force.
SleepFunction SetSleepFunction(SleepFunction function);

}  // namespace platform
