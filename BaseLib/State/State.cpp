#include "State.h"

#include <algorithm>
#include <boost/lexical_cast.hpp>
#include <climits>
#include <cstring>

#include "WindowImp.h"

namespace morvex_gui {

namespace {

// The bridge's word for a controller that did not acknowledge; a literal, so a
// plain substring search does on the per-line road what a pattern would.
constexpr const char* kErrorWord = "I2C_MTX_NACK_DATA";

// The pattern nearly every state reads its numbers with: an optional minus
// and a run of digits.
constexpr char kSignedNumber[] = "(-?\\d+)";

bool IsSignedNumberPattern(const boost::regex& pattern) {
    const char* const text = kSignedNumber;
    const size_t length = sizeof kSignedNumber - 1;
    return pattern.flags() == boost::regex::normal && pattern.size() == length &&
           std::equal(pattern.begin(), pattern.end(), text);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What iterating kSignedNumber's matches finds, in one pass without the
// pattern machinery or a string per number: the leftmost matches in order, a
// minus only directly before a digit, every digit of a run in one number.
template <typename Visit>
void ForEachSignedNumber(const std::string& text, Visit visit) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* const first = p;
        const bool negative = *p == '-' && p + 1 < end && IsDigit(p[1]);
        if (negative) {
            ++p;
        } else if (!IsDigit(*p)) {
            ++p;
            continue;
        }
        long long magnitude = 0;
        bool fits = true;
        for (; p < end && IsDigit(*p); ++p) {
            magnitude = magnitude * 10 + (*p - '0');
            if (magnitude > -static_cast<long long>(INT_MIN)) {
                fits = false;
                magnitude = 0;  // keep the sum small; the number is skipped anyway
            }
        }
        const long long value = negative ? -magnitude : magnitude;
        if (fits && value <= INT_MAX) {
            visit(first, p, static_cast<int>(value));
        }
    }
}

template <typename Visit>
void ForEachNumber(const std::string& text, const boost::regex& pattern, Visit visit) {
    if (IsSignedNumberPattern(pattern)) {
        ForEachSignedNumber(text, visit);
        return;
    }
    boost::sregex_iterator it(text.begin(), text.end(), pattern);
    const boost::sregex_iterator end;
    for (; it != end; ++it) {
        const std::string number = (*it)[0].str();
        try {
            visit(number.data(), number.data() + number.size(), boost::lexical_cast<int>(number));
        } catch (const boost::bad_lexical_cast&) {
            // Out of the int range: skipped, the rest of the line still counts.
        }
    }
}

}  // namespace

State::State(WindowImp* imp, const char* parse) : _parse(parse), _imp(imp), _initialize(true) {}

State::~State() = default;

void State::Parse(const char* data) {
    if (std::strstr(data, kErrorWord) != nullptr) {
        if (_imp != nullptr) {
            _imp->DeviceOff();
        }
        return;
    }
    if (!IsMatch(data)) {
        return;
    }
    _match = _result[0].str();
    if (_initialize) {
        ChangeState();
    } else {
        Update();
    }
}

void State::Update() {}

void State::ChangeState() {
    _initialize = false;
    _imp->StartCommon();
    _imp->StopRecord();
    _imp->ClearAll();
}

void State::Hook() {}

bool State::IsMatch(const char* data) {
    if (_parse.status() != 0) {
        return false;
    }
    _line.assign(data);
    return boost::regex_search(_line.c_str(), _result, _parse);
}

void State::ExtractNumbers(std::vector<int>& values, const boost::regex& pattern) const {
    ForEachNumber(_match, pattern,
                  [&values](const char*, const char*, int value) { values.push_back(value); });
}

void State::ExtractNumberTexts(std::vector<std::string>& texts, std::vector<int>& values,
                               const boost::regex& pattern) const {
    ForEachNumber(_match, pattern, [&](const char* first, const char* last, int value) {
        texts.emplace_back(first, last);
        values.push_back(value);
    });
}

}  // namespace morvex_gui
