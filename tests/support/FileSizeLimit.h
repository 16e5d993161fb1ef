#pragma once

#include <sys/resource.h>

// While it lives, a write that would take a file past `bytes` fails with
// EFBIG, as a write to a full disk fails; SIGXFSZ is ignored meanwhile, so
// the process lives on to see the failure.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit _previous;
    void (*_previousHandler)(int);
};
