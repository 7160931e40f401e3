#include "app/commands.h"

namespace nimbrel {

void runGo2(Context&) {}
void runGo3(Context&) {}

}  // namespace nimbrel
