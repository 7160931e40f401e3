#pragma once

#include <csignal>

#include <sys/resource.h>

namespace nimbrel::fuzzing {

/// Caps every file the process writes at 4 MiB: a runaway output then fails its write
/// (EFBIG, the signal ignored), which the commands must report like a full disk.
inline void limitOutputFiles() {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4u << 20, 4u << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace nimbrel::fuzzing
