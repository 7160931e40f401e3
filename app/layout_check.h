#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/context.h"
#include "core/layout_settings.h"
#include "core/mesh.h"
#include "find/layout_finder.h"

namespace nimbrel {

/// What the layout check sees in one decoded mesh: the finder's measures and what the
/// decoding met.
struct LayoutFindings {
    CandidateMeasures measures;
    std::uint64_t triangles = 0;
    std::uint64_t vertexCount = 0;
    std::uint64_t indicesPastVertexBlock = 0;
    /// Positions with an infinite or NaN coordinate (the measures count past indices too).
    std::uint64_t nonFinitePositions = 0;
    bool hasUvs = false;
    /// Over the finite positions; both zero when there is none.
    std::array<float, 3> boxMin{};
    std::array<float, 3> boxMax{};
};

LayoutFindings findingsOf(const Mesh& mesh);

/// A layout one click or one typed value away from the typed one, with the hint that names
/// that change in the window's terms ("try DW", "try a face start 2 bytes on (0x12)").
struct NearbyLayout {
    LayoutSettings settings;
    std::string hint;
};

/// The single changes whose mistakes the check can name: byte order, index size, list or
/// strip, the face start and the vertex start 2 or 4 bytes either way, the FVF size 4 either
/// way. Changes that would leave the model or the fields' ranges are left out.
std::vector<NearbyLayout> nearbyLayouts(const LayoutSettings& typed, std::uint32_t modelSize);

struct TriedLayout {
    std::string hint;
    LayoutFindings findings;
};

struct LayoutVerdict {
    bool looksRight = false;
    /// "layout looks right", or the most likely fault with what to try.
    std::string text;
};

/// The verdict on the typed layout from its findings and those of the nearby layouts: right
/// when it looks like a surface and no nearby layout looks clearly better; otherwise its
/// worst symptom and the nearby change that mends it, or the usual cause of that symptom.
LayoutVerdict judgeLayout(const LayoutFindings& typed, const LayoutSettings& settings,
                          std::span<const TriedLayout> tried);

/// The report lines for the results list, the verdict last.
std::vector<std::string> layoutReportLines(const LayoutFindings& findings, const LayoutVerdict& verdict);

/// Decodes the layout and its nearby layouts and judges it.
LayoutVerdict checkLayoutSettings(const ModelBuffer& model, const LayoutSettings& settings, LayoutFindings& findings);

/// "&Check layout": reads the step fields as " mesh" does (same checks and messages), then
/// writes the report into the results list. Nothing when a field or block check failed.
std::optional<LayoutVerdict> checkLayout(Context& ctx);
void runCheckLayout(Context& ctx);  // 9081

}  // namespace nimbrel
