#include "WakePoll.h"

#include <sys/eventfd.h>

namespace platform {

bool PollWithWake(pollfd& watched, int wakeFd, int timeoutMs) {
    pollfd fds[2] = {watched, {}};
    fds[1].fd = wakeFd;
    fds[1].events = POLLIN;
    if (poll(fds, 2, timeoutMs) < 0) {
        return false;
    }
    if ((fds[1].revents & POLLIN) != 0) {
        eventfd_t ignored = 0;
        eventfd_read(wakeFd, &ignored);
    }
    watched.revents = fds[0].revents;
    return true;
}

}  // namespace platform
