#pragma once

#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>

namespace morvex_gui {

class State;

// Hands the lines to `handle` in order until it returns false. The loop walks
// its own copy (`lines` is left empty), so a nested read (a modal box opened
// while a line is handled) cannot pull lines from under it. A line whose
// handling throws, such as a reply that makes a pattern give up, is logged and
// skipped: no reply line may end the program.
void ForEachLine(std::vector<std::string>& lines,
                 const std::function<bool(const std::string&)>& handle);

// The state road: each line goes to the state that is current when the line
// comes up (a line may switch the mode). The state parsing a line is held by a
// local reference, so a switch from inside Parse never destroys it.
void DispatchLines(std::vector<std::string>& lines, const boost::shared_ptr<State>& current);

}  // namespace morvex_gui
