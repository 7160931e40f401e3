#include "app/launcher.h"

#include "platform/process.h"

namespace nimbrel {

void ProcessLauncher::launchAndWait(const std::string& program, const std::string& argument) {
    platform::launchAndWait(program, argument, 1000);
}

}  // namespace nimbrel
