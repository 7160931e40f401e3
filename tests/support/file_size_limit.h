#pragma once

#include <sys/resource.h>

#include <csignal>

namespace nimbrel::testing {

/// Caps the size of files this process writes, so a write fails part-way the way it
/// does on a full disk (EFBIG instead of ENOSPC, through the same path). The old limit
/// returns when the object goes out of scope or lift() is called.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    void lift() { ::setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

}  // namespace nimbrel::testing
