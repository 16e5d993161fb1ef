#include "State.h"

#include "NumberScan.h"

#include <algorithm>
#include <boost/lexical_cast.hpp>
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

template <typename Visit>
void ForEachNumber(const std::string& text, const boost::regex& pattern, Visit visit) {
    if (IsSignedNumberPattern(pattern)) {
        ForEachInteger(text.data(), text.data() + text.size(), true, visit);
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
