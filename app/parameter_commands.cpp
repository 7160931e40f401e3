#include "app/commands.h"

namespace nimbrel {

void runOpenVyp(Context&) {}
void runSaveVyp(Context&) {}

}  // namespace nimbrel
