#pragma once

#include <functional>

// Runs the Qt event loop until `done` holds (checked every millisecond) or the
// time is up; true when it held. Tests wait on real time, never on a count of
// tries, so a loaded machine slows them down instead of failing them.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// Runs the Qt event loop for a while.
void PumpFor(int milliseconds);
