#include "app/commands.h"

namespace nimbrel {

void runMesh(Context&) {}
void runUVs(Context&) {}

}  // namespace nimbrel
