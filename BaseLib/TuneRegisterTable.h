#pragma once

#include <string>

namespace morvex_gui {

// Tuning parameters are named by their row in the engineering window's list;
// each row stands for one register of the controller's tuning firmware.
constexpr int kTuneParameterCount = 30;

// Register code of each parameter row.
extern const int TuneRegisterTable[kTuneParameterCount];

bool IsTuneParameterIndex(int index);

// A register code as it appears inside commands: two upper-case hex digits.
std::string RegisterText(int code);

// How a tuning register is moved: the controller only takes relative steps,
// "i" up or "e" down by one byte at a time.
struct ParameterChange {
    bool increase;
    long long amount;
};

// The step that takes a register from `value` by `step` in the wished
// direction without leaving the register's range; the ladder registers move
// one rung per call. `xCount` and `yCount` bound the registers whose range is
// an electrode count.
ParameterChange PlanParameterChange(int code, int value, bool increase, int step, int xCount,
                                    int yCount);

// The commands of a change: an amount above one byte goes out as `fullChunks`
// commands of 255 followed by the rest; the last command always goes out,
// even with 0, so the controller still answers with the value.
struct ParameterChangeCommands {
    ParameterChangeCommands(int code, const ParameterChange& change);

    std::string fullChunk;
    long long fullChunks;
    std::string last;
};

}  // namespace morvex_gui
