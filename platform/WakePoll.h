#pragma once

#include <poll.h>

namespace platform {

// Waits up to `timeoutMs` (-1: for ever) for `watched`'s events or for a write
// to the eventfd `wakeFd`, which is drained so the next wait blocks again.
// `watched.revents` holds what was seen; false when poll itself failed.
bool PollWithWake(pollfd& watched, int wakeFd, int timeoutMs);

}  // namespace platform
