#pragma once

#include <string>

#include "app/context.h"

namespace nimbrel {

/// What creating the main window does after its controls exist: the format back to
/// Float, the banner and the results list's first lines, the start-up checks for the
/// external tools in appDir, and the table log's name.
void initializeWindow(Context& ctx, const std::string& appDir);

/// Looks for notepad, wordpad and mesh_viewer in appDir, sets the tool paths and the
/// missing flags, enables " tut " and shows one message per missing tool.
void runStartupChecks(Context& ctx, const std::string& appDir);

}  // namespace nimbrel
