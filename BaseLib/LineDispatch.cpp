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
    // Unless a nested read filled it meanwhile, the list gets its storage
    // back, so the next read does not allocate it again.
    if (lines.empty()) {
        walk.clear();
        lines.swap(walk);
    }
}

void DispatchLines(std::vector<std::string>& lines, const boost::shared_ptr<State>& current,
                   const std::function<void(const std::string&)>& parsed) {
    ForEachLine(lines, [&current, &parsed](const std::string& line) {
        const boost::shared_ptr<State> state = current;
        if (state) {
            state->Parse(line.c_str());
        }
        if (parsed) {
            parsed(line);
        }
        return true;
    });
}

}  // namespace morvex_gui
