#pragma once

#include <climits>

namespace morvex_gui {

// What iterating "(-?\d+)" (or "(\d+)" without signs) over [first, last)
// finds, in one pass without the pattern machinery or a string per number:
// the leftmost matches in order, a minus only directly before a digit, every
// digit of a run in one number. A number outside the int range is skipped.
// `visit(begin, end, value)` gets each number's text and value. Hand-written
// because it runs on every reply line.
template <typename Visit>
void ForEachInteger(const char* first, const char* last, bool withSign, Visit visit) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char* p = first;
    while (p < last) {
        const char* const begin = p;
        const bool negative = withSign && *p == '-' && p + 1 < last && isDigit(p[1]);
        if (negative) {
            ++p;
        } else if (!isDigit(*p)) {
            ++p;
            continue;
        }
        long long magnitude = 0;
        bool fits = true;
        for (; p < last && isDigit(*p); ++p) {
            magnitude = magnitude * 10 + (*p - '0');
            if (magnitude > -static_cast<long long>(INT_MIN)) {
                fits = false;
                magnitude = 0;  // keep the sum small; the number is skipped anyway
            }
        }
        const long long value = negative ? -magnitude : magnitude;
        if (fits && value <= INT_MAX) {
            visit(begin, p, static_cast<int>(value));
        }
    }
}

}  // namespace morvex_gui
