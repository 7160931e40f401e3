#pragma once

#include <optional>
#include <string_view>

#include "app/context.h"
#include "core/layout_settings.h"

namespace nimbrel {

/// Why settings cannot be typed into the step fields (a count past the field's seven
/// digits, an FVF size or UV pos the checks refuse), or nothing when they can.
std::optional<std::string_view> unfitForFields(const LayoutSettings& s);

/// What a six-line parameter file cannot hold of these settings (a face gap, quads, ...),
/// or nothing when a saved file brings the same mesh back.
std::optional<std::string_view> unfitForParameterFile(const LayoutSettings& s);

/// Puts s into the window as a user would: types the step fields, picks the format and
/// clicks every toggle and check box whose state differs, so captions, enable states
/// and the Workspace follow as after the clicks. Needs an open model. False, with
/// nothing changed, when no model is open or s does not fit the fields; false also when
/// a toggle it needs is disabled.
bool applyLayout(Context& ctx, const LayoutSettings& s);

}  // namespace nimbrel
