#pragma once

#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>

namespace morvex_gui {
class State;
class WindowImp;
}  // namespace morvex_gui

// The heaviest reply stream of one mode family: the settings it needs, the
// state that reads it and the bytes of a number of frames as the bridge sends them.
struct ReplyStream {
    std::string name;
    std::vector<std::pair<std::string, std::string> > settings;
    std::function<boost::shared_ptr<morvex_gui::State>(morvex_gui::WindowImp*)> makeState;
    std::function<std::string(int frame)> frame;
};

std::vector<ReplyStream> AllReplyStreams();
