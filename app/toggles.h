#pragma once

#include <string_view>

#include "app/context.h"

namespace nimbrel {

/// Runs the toggle or check box with this id: flips its member, sets its caption and
/// applies its enable rules and hints. False when id is not a toggle.
bool runToggle(Context& ctx, int id);

/// The caption a toggle shows for the Workspace's setting (" bigE", "Word", "Strip", ...);
/// empty for an id that shows no setting.
std::string_view toggleCaption(const Workspace& ws, int id);

/// Rewrites the VB/seq caption, the step-2 labels and the field states for vbMode, as the
/// VB/seq toggle leaves them. Returns false after "error with UVsize!" (VB with a UVB size
/// of 3 or less).
bool applyVbSeqLayout(Context& ctx);

}  // namespace nimbrel
