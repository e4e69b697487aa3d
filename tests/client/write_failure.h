// A full disk for the tests, without root: while a FileSizeLimit lives, no file of the
// process may grow past a few bytes (RLIMIT_FSIZE), so a write beyond that fails with
// EFBIG ("File too large") as a write to a full disk fails with ENOSPC. SIGXFSZ, which the
// limit raises, is ignored meanwhile; both come back when the scope ends.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_ {};
    void (*previousSignal_)(int) = SIG_DFL;
};
