#pragma once

#include "State.h"

namespace morvex_gui {

// The attention-line test. Every "ATTb not toggle" line is one missed toggle
// of the controller's ATTB line; from the 20th on, each one fails the item.
// The count belongs to the process, not to one state object: a later object
// of this class continues it until its own first line starts a new count.
class CoreAttb : public State {
public:
    static constexpr int kFailureCount = 20;

    explicit CoreAttb(WindowImp* imp);
    void ChangeState() override;
    void Update() override;

    static int NotToggleCount() { return _notToggleCount; }
    // For tests and a fresh session; a first line also restarts the count.
    static void ResetNotToggleCount() { _notToggleCount = 0; }

private:
    bool MatchedNotToggle() const;

    static int _notToggleCount;
};

}  // namespace morvex_gui
