#pragma once

#include "app/commands.h"

namespace nimbrel {

/// Reads steps 1 to 3 as " mesh" and " UVs" read them ("+" or "-" move the vertex start
/// first); false after the one message of the first field that fails.
bool readAllStepFields(Context& ctx, VertexShift shift);

}  // namespace nimbrel
