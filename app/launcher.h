#pragma once

#include <string>

namespace nimbrel {

/// Starts an external program with one file argument and waits for it briefly.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual void launchAndWait(const std::string& program, const std::string& argument) = 0;
};

/// Starts real processes (posix_spawn, 1000 ms wait).
class ProcessLauncher : public Launcher {
public:
    void launchAndWait(const std::string& program, const std::string& argument) override;
};

}  // namespace nimbrel
