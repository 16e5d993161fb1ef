#include "FileSizeLimit.h"

#include <csignal>

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &_previous);
    _previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = _previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &_previous);
    std::signal(SIGXFSZ, _previousHandler);
}
