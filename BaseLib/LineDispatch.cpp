#include "LineDispatch.h"

#include <exception>

#include "OperationLog.h"
#include "State.h"

namespace morvex_gui {

namespace {

constexpr size_t kLoggedLineLength = 80;

void LogSkippedLine(const std::string& line, const char* why) {
    LOG4CPLUS_WARN(OperationLogger(),
                   "Reply line skipped (" << why << "): " << line.substr(0, kLoggedLineLength));
}

}  // namespace

void ForEachLine(std::vector<std::string>& lines,
                 const std::function<bool(const std::string&)>& handle) {
    std::vector<std::string> walk;
    walk.swap(lines);
    for (const std::string& line : walk) {
        try {
            if (!handle(line)) {
                break;
            }
        } catch (const std::exception& error) {
            LogSkippedLine(line, error.what());
        }
    }
}

void DispatchLines(std::vector<std::string>& lines, const boost::shared_ptr<State>& current) {
    ForEachLine(lines, [&current](const std::string& line) {
        const boost::shared_ptr<State> state = current;
        if (state) {
            state->Parse(line.c_str());
        }
        return true;
    });
}

}  // namespace morvex_gui
