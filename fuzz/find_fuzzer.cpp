// Fuzz harness: the layout finder on any bytes. Every candidate it returns must name
// blocks inside the input and carry scores in 0..1.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "find/layout_finder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    FindOptions options;
    options.threads = 1;
    options.minTriangles = 1;
    const auto found = findLayouts(std::span<const std::uint8_t>(data, size), options);
    if (found.size() > options.maxCandidates) std::abort();
    for (const LayoutCandidate& c : found) {
        if (!(c.score >= 0 && c.score <= 1)) std::abort();
        if (c.settings.faceIndexStart >= size || c.settings.vertexStart >= size) std::abort();
    }
    return 0;
}
