#include "app/commands.h"

namespace nimbrel {

void runTutorial(Context&) {}
void runTable(Context&) {}

}  // namespace nimbrel
