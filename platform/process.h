#pragma once

#include <string>

namespace nimbrel::platform {

/// Starts program with the one argument (no shell, so blanks in paths are safe), in the
/// current directory and environment, and waits until it ends or timeoutMs have passed.
/// Writes "\n %s finished.\n\n" (the program path) or "\n launch failed!\n\n" to standard
/// output. A program still running after the wait goes on; it is reaped when it ends, so
/// no zombie stays behind. True when the program started.
bool launchAndWait(const std::string& program, const std::string& argument, int timeoutMs = 1000);

}  // namespace nimbrel::platform
