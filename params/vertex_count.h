#pragma once

#include <cstdint>
#include <string_view>

#include "core/workspace.h"
#include "params/field_report.h"

namespace nimbrel {

// The typed vertex count against the last face pass: the same idea under two rules.
// " mesh" and " UVs" hold the count to maxFaceIndex, or with relFI to
// maxFaceIndex + 1 - minFaceIndex taken as it wraps; a mismatch always stops them.
// "Save&As mesh" holds it to maxFaceIndex or rVC too, but an empty range (min above max)
// with relFI expects 0 and marks the file name; a mismatch stops it interactively and is
// corrected in a batch run, with marks. Without relFI the two rules word their refusals
// differently ("max face index!" and "maxFaceIndex!"); both texts stay as users know them.

/// The " mesh" / " UVs" rule: true when the typed vertex count matches; otherwise adds the
/// expected count as a results-list line and explains.
bool checkVertexCount(const Workspace& ws, const StepTexts& typed, FieldReport& report);

/// What the "Save&As mesh" rule makes of a typed count.
struct ExportVertexCount {
    std::uint32_t expected;
    /// relFI over an empty range: the file gets the suspect mark, whatever was typed.
    bool emptyRange;
    /// Shown when an interactive export stops on a mismatch.
    std::string_view refusal;
    /// The results-list line of a batch correction.
    std::string_view correction;
    /// A batch correction marks the file "_%_" when the typed count was far too small
    /// (eight times, counted in 32 bits as it always was).
    bool bigCorrection;
    /// A batch correction without relFI also takes the suspect mark.
    bool correctionIsSuspect;
};

ExportVertexCount exportVertexCount(const Workspace& ws, std::uint32_t typed);

}  // namespace nimbrel
