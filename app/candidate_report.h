#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "find/layout_finder.h"

namespace nimbrel {

using json = nlohmann::ordered_json;

/// One line a user can type from: addresses in hex, counts in decimal, the toggles by
/// caption, then the triangles, the bounding box and the score.
std::string candidateLine(const LayoutCandidate& c, std::size_t rank);

/// The candidate as find --json writes it: the blocks, measures and every setting by name.
json candidateJson(const LayoutCandidate& c, std::size_t rank);

}  // namespace nimbrel
