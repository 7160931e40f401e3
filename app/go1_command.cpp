#include "app/commands.h"

namespace nimbrel {

void runGo1(Context&) {}

}  // namespace nimbrel
