#include "TuneRegisterTable.h"

#include <array>
#include <cstdio>

namespace morvex_gui {

const int TuneRegisterTable[kTuneParameterCount] = {
    0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A,  // rows 0-9
    0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x77, 0x79,  // rows 10-19
    0x7B, 0x7D, 0x7F, 0x80, 0x81, 0x82, 0x73, 0x74, 0x75, 0x76,  // rows 20-29
};

namespace {

constexpr int kByteMax = 255;

struct Bounds {
    long long lower;
    long long upper;
};

using Ladder = std::array<int, 6>;

// Registers that only take a few settings: each call moves one rung.
const Ladder* LadderOf(int code) {
    static const Ladder kPowersOfTwo = {1, 2, 4, 8, 16, 32};
    static const Ladder kOddSteps = {1, 3, 5, 7, 9, 11};
    switch (code) {
        case 0x6D:
            return &kPowersOfTwo;
        case 0x6E:
            return &kOddSteps;
        default:
            return nullptr;
    }
}

bool IsWideFromHalfScale(int code) {
    return code == 0x77 || code == 0x7B;
}

bool IsWideFromZero(int code) {
    return code == 0x79 || code == 0x7D;
}

// What the register can hold at all; a value outside is pulled back first.
Bounds OuterBounds(int code) {
    if (IsWideFromHalfScale(code)) {
        return {512, 4096};
    }
    if (IsWideFromZero(code)) {
        return {0, 4096};
    }
    return {0, kByteMax};
}

// The range a step may move the register within.
Bounds OwnBounds(int code, int xCount, int yCount) {
    switch (code) {
        case 0x70:
            return {0, 20};
        case 0x71:
        case 0x72:
            return {0, 100};
        case 0x73:
        case 0x75:
            return {0, xCount};
        case 0x74:
        case 0x76:
            return {0, yCount};
        default:
            return OuterBounds(code);
    }
}

ParameterChange LadderChange(const Ladder& ladder, long long value, bool increase) {
    const size_t top = ladder.size() - 1;
    for (size_t rung = 0; rung <= top; ++rung) {
        if (ladder[rung] != value) {
            continue;
        }
        if (increase && rung < top) {
            return {true, ladder[rung + 1] - value};
        }
        if (!increase && rung > 0) {
            return {false, value - ladder[rung - 1]};
        }
        return {increase, 0};
    }
    // Off the ladder: back to the bottom rung.
    return value >= 1 ? ParameterChange{false, value - 1} : ParameterChange{true, 1 - value};
}

ParameterChange BoundedChange(int code, long long value, bool increase, int step, int xCount,
                              int yCount) {
    const Bounds outer = OuterBounds(code);
    if (value > outer.upper) {
        return {false, value - outer.upper};
    }
    if (value < outer.lower) {
        return {true, outer.lower - value};
    }
    const Bounds own = OwnBounds(code, xCount, yCount);
    const long long target = increase ? value + step : value - step;
    long long amount = step;
    if (target > own.upper) {
        amount = own.upper - value;
    }
    if (target < own.lower) {
        amount = value - own.lower;
    }
    return {increase, amount};
}

std::string ChangeCommand(bool increase, const std::string& registerText, long long amount) {
    char hex[3];
    std::snprintf(hex, sizeof(hex), "%02X", static_cast<unsigned>(amount));
    return (increase ? "i" : "e") + registerText + hex;
}

}  // namespace

bool IsTuneParameterIndex(int index) {
    return index >= 0 && index < kTuneParameterCount;
}

std::string RegisterText(int code) {
    char text[3];
    std::snprintf(text, sizeof(text), "%02X", static_cast<unsigned>(code) & 0xFFu);
    return text;
}

ParameterChange PlanParameterChange(int code, int value, bool increase, int step, int xCount,
                                    int yCount) {
    const Ladder* ladder = LadderOf(code);
    ParameterChange change = ladder != nullptr
                                 ? LadderChange(*ladder, value, increase)
                                 : BoundedChange(code, value, increase, step, xCount, yCount);
    if (change.amount < 0) {
        change.amount = 0;
    }
    return change;
}

ParameterChangeCommands::ParameterChangeCommands(int code, const ParameterChange& change)
    : fullChunks(0) {
    const std::string registerText = RegisterText(code);
    long long rest = change.amount;
    if (rest > kByteMax) {
        fullChunks = rest / kByteMax;
        rest %= kByteMax;
        fullChunk = ChangeCommand(change.increase, registerText, kByteMax);
    }
    last = ChangeCommand(change.increase, registerText, rest);
}

}  // namespace morvex_gui
