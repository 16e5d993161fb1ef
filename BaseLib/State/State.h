#pragma once

#include <boost/enable_shared_from_this.hpp>
#include <boost/regex.hpp>
#include <string>
#include <vector>

namespace morvex_gui {

class WindowImp;

// Base of the response states: one bridge mode's reply grammar as one pattern.
// The first fitting line starts the mode's display (ChangeState), later ones
// feed it (Update). States live in boost::shared_ptr; scenes and the read loop
// take extra references through shared_from_this so a mode switch from inside
// Parse never destroys a running state.
class State : public boost::enable_shared_from_this<State> {
public:
    State(WindowImp* imp, const char* parse);
    virtual ~State();

    State(const State&) = delete;
    State& operator=(const State&) = delete;

    virtual void Parse(const char* data);
    virtual void Update();
    virtual void ChangeState();
    virtual void Hook();
    virtual bool IsMatch(const char* data);

    WindowImp* GetImp() const { return _imp; }
    bool IsInitialize() const { return _initialize; }
    const std::string& GetMatch() const { return _match; }

protected:
    // Appends every match of `pattern` in _match as an int; a number that does
    // not fit an int is skipped.
    void ExtractNumbers(std::vector<int>& values, const boost::regex& pattern) const;
    void ExtractNumberTexts(std::vector<std::string>& texts, std::vector<int>& values,
                            const boost::regex& pattern) const;

    // Sub-matches of the last successful search; they point into _line, which
    // the state owns, so they stay valid after Parse returns.
    boost::match_results<const char*> _result;
    std::string _match;
    // Repeated number groups take a digit run whole (\d++), so a line
    // that does not fit fails at once instead of trying every split of a
    // long number.
    boost::regex _parse;
    WindowImp* _imp;
    bool _initialize;

private:
    std::string _line;
};

}  // namespace morvex_gui
