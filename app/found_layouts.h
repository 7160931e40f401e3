#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "core/model_buffer.h"
#include "find/layout_finder.h"

namespace nimbrel {

// What the "Find layouts" dialog does, shared by the Qt dialog, the headless window and
// scripts; the dialog only maps it onto widgets.

inline constexpr std::string_view kLayoutFinderTitle = " Find layouts";
inline constexpr std::string_view kNoLayoutFound =
    "No layout found in this file.\n\nTry another file of the same game: this one may be "
    "compressed or packed, so its meshes are not stored as plain blocks.";

/// The finder over the loaded model's bytes.
std::vector<LayoutCandidate> findModelLayouts(const ModelBuffer& model, const FindOptions& options);

struct CandidateColumn {
    std::string_view title;
    bool numeric;  ///< sorted by value, not by text
};

/// The candidate table's columns, in order.
std::span<const CandidateColumn> candidateColumns();

struct CandidateCell {
    std::string text;
    double value = 0;  ///< the sort key of a numeric column
};

/// One row of the candidate table; rank is 1-based.
std::vector<CandidateCell> candidateCells(const LayoutCandidate& candidate, std::size_t rank);

/// Puts the candidate into the fields, toggles and combobox as the user's typing and
/// clicking would, so the step commands then work on it. False after a message.
bool applyCandidate(Context& ctx, const LayoutCandidate& candidate);
/// Apply, then " mesh" (test.obj in the viewer).
void previewCandidate(Context& ctx, const LayoutCandidate& candidate);
/// What became of one index block's best candidate when the layouts were saved.
struct SavedLayout {
    enum class Outcome { Written, Unfit, Refused, NotSaved };
    Outcome outcome;
    std::size_t rank;  ///< 1-based, in the finder's order
    std::uint32_t faceIndexStart;
    std::string file;    ///< the parameter file written
    std::string reason;  ///< why it was not
};

/// The best candidate of each index block, no two overlapping, in file order; each applied
/// and saved through "&Save VYP" as the model's next free MODEL_N.vyp (a number already
/// taken is passed over, nothing is replaced). The save's own messages become reasons.
std::vector<SavedLayout> saveBestOfEachBlock(Context& ctx, std::span<const LayoutCandidate> candidates);

/// "Save all as VYP": saveBestOfEachBlock, told as one message naming the files written and
/// every layout that could not be saved, and why.
std::string saveAllCandidates(Context& ctx, std::span<const LayoutCandidate> candidates);

}  // namespace nimbrel
