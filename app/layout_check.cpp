#include "app/layout_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "app/block_checks.h"
#include "app/step_reads.h"
#include "core/text_format.h"
#include "find/mesh_measures.h"
#include "mesh/mesh_decoding.h"

namespace nimbrel {

namespace {

// Beyond these a coordinate is no modeller's number but bytes read with the wrong order
// or from the wrong offset.
constexpr double kLargestPlausibleDiagonal = 1e7;
constexpr double kSmallestPlausibleDiagonal = 1e-6;

double shareOf(std::uint64_t part, std::uint64_t whole) { return whole == 0 ? 0 : double(part) / double(whole); }

double diagonalOf(const LayoutFindings& f) {
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        const double d = double(f.boxMax[i]) - double(f.boxMin[i]);
        sum += d * d;
    }
    return std::sqrt(sum);
}

bool hasImplausiblePositions(const LayoutFindings& f) {
    if (f.nonFinitePositions > 0) return true;
    const double diagonal = diagonalOf(f);
    return !(diagonal >= kSmallestPlausibleDiagonal && diagonal <= kLargestPlausibleDiagonal);
}

// The finder's vertex score judges the shape (spikes, scattered points, degenerate faces);
// the index score is left out here, as a mesh with a vertex per corner pairs no edges.
bool looksLikeSurface(const LayoutFindings& f) {
    const CandidateMeasures& m = f.measures;
    return f.triangles > 0 && f.indicesPastVertexBlock == 0 && !hasImplausiblePositions(f) &&
           m.degenerateShare < 0.1 && m.vertexScore >= 0.5;
}

// The finder's own ranking of layouts of the same blocks, with indices past the vertex
// block and implausible positions held against it.
double qualityOf(const LayoutFindings& f) {
    if (f.triangles == 0) return 0;
    const CandidateMeasures& m = f.measures;
    const double past = shareOf(f.indicesPastVertexBlock, f.triangles * 3);
    double q = m.indexScore * m.vertexScore * (1 - past) * (1 - past);
    if (hasImplausiblePositions(f)) q *= 0.1;
    return q;
}

std::string hexAddress(std::uint32_t value) { return "0x" + hexText(value); }

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", share * 100);
    return text;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Appended piece by piece: the sum of literals and strings trips a false overlap warning
// of GCC 12's optimiser.
std::string point(const std::array<float, 3>& p) {
    std::string text = "(";
    for (int k = 0; k < 3; ++k) text += number(p[k]) + (k < 2 ? " " : ")");
    return text;
}

// The typed layout's worst symptom, and what usually causes it when no nearby layout mends it.
struct Symptom {
    std::string text;
    std::string usualCause;
};

Symptom symptomOf(const LayoutFindings& f, const LayoutSettings& s) {
    const CandidateMeasures& m = f.measures;
    if (f.triangles == 0) return {"no triangles", "check the face count, Word/DW and Strip"};
    if (f.indicesPastVertexBlock > 0 && hasImplausiblePositions(f))
        return {"indices run past the vertex count and positions are huge, tiny or not numbers",
                s.bigEndian ? "try litE" : "try bigE"};
    if (f.indicesPastVertexBlock > 0) {
        // Just past the count: the count was typed short; far past: the indices are misread.
        if (m.maxIndex < f.vertexCount * 2 && m.maxIndex < 65535)
            return {"indices run past the vertex count", "the vertex count is probably too small: try " +
                                                             std::to_string(std::uint64_t{m.maxIndex} + 1)};
        return {"indices run past the vertex count",
                std::string(s.indexSize == 2 ? "try DW" : "try Word") + ", or a face start 2 bytes on"};
    }
    if (hasImplausiblePositions(f))
        return {"positions are huge, tiny or not numbers",
                std::string(s.bigEndian ? "try litE" : "try bigE") + ", or the vertex start is off"};
    if (m.degenerateShare >= 0.3)
        return {std::string(m.degenerateShare >= 0.5 ? "most" : "many") + " faces repeat a vertex",
                s.stripMode ? "this may be a list, try noStr" : "this may be a strip, try Strip"};
    if (m.needleShare >= 0.25 || m.vertexScore < 0.5)
        return {"most triangles are long spikes", "the FVF size or the vertex start is probably off"};
    if (m.unusedVertexShare >= 0.5)
        return {"most vertices are never used", "the vertex count is too large or the face count too small"};
    return {"the mesh is irregular", "compare the fields with the hex view"};
}

}  // namespace

LayoutFindings findingsOf(const Mesh& mesh) {
    LayoutFindings f;
    f.measures = measureMesh(mesh);
    f.triangles = mesh.triangles.size();
    f.vertexCount = mesh.positions.size();
    f.indicesPastVertexBlock = mesh.indicesPastVertexBlock;
    f.hasUvs = !mesh.uvs.empty();
    bool any = false;
    for (const auto& p : mesh.positions) {
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
            ++f.nonFinitePositions;
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            f.boxMin[i] = any ? std::min(f.boxMin[i], p[i]) : p[i];
            f.boxMax[i] = any ? std::max(f.boxMax[i], p[i]) : p[i];
        }
        any = true;
    }
    return f;
}

std::vector<NearbyLayout> nearbyLayouts(const LayoutSettings& typed, std::uint32_t modelSize) {
    std::vector<NearbyLayout> out;
    auto add = [&out](LayoutSettings s, std::string hint) { out.push_back({s, std::move(hint)}); };
    LayoutSettings s = typed;
    s.bigEndian = !typed.bigEndian;
    add(s, typed.bigEndian ? "try litE" : "try bigE");
    s = typed;
    s.indexSize = typed.indexSize == 2 ? 4 : 2;
    add(s, typed.indexSize == 2 ? "try DW" : "try Word");
    if (!typed.ffffSeparator) {
        s = typed;
        s.stripMode = !typed.stripMode;
        add(s, typed.stripMode ? "this may be a list, try noStr" : "this may be a strip, try Strip");
    }
    for (int delta : {2, -2, 4, -4}) {
        const std::int64_t start = std::int64_t{typed.faceIndexStart} + delta;
        if (start < 0 || start >= modelSize) continue;
        s = typed;
        s.faceIndexStart = static_cast<std::uint32_t>(start);
        add(s, "try face start " + hexAddress(s.faceIndexStart) + " (" + std::to_string(std::abs(delta)) + " bytes " +
                   (delta > 0 ? "on" : "back") + ")");
    }
    for (int delta : {2, -2, 4, -4}) {
        const std::int64_t start = std::int64_t{typed.vertexStart} + delta;
        if (start < 0 || start >= modelSize) continue;
        s = typed;
        s.vertexStart = static_cast<std::uint32_t>(start);
        add(s, "try vertex start " + hexAddress(s.vertexStart));
    }
    if (typed.vbMode) {
        for (int delta : {4, -4}) {
            const int fvf = typed.fvfSize + delta;
            if (fvf < 12 || fvf > 255) continue;
            s = typed;
            s.fvfSize = static_cast<std::uint8_t>(fvf);
            add(s, "try FVF size " + std::to_string(fvf));
        }
    }
    return out;
}

LayoutVerdict judgeLayout(const LayoutFindings& typed, const LayoutSettings& settings,
                          std::span<const TriedLayout> tried) {
    const double typedQuality = qualityOf(typed);
    const TriedLayout* best = nullptr;
    double bestQuality = -1;
    for (const auto& t : tried) {
        if (!looksLikeSurface(t.findings)) continue;
        const double q = qualityOf(t.findings);
        if (q > bestQuality) {
            bestQuality = q;
            best = &t;
        }
    }
    const bool typedRight = looksLikeSurface(typed);
    const bool nearbyBetter = best && bestQuality > typedQuality + 0.2;
    if (typedRight && !nearbyBetter) return {true, "layout looks right"};
    Symptom symptom = symptomOf(typed, settings);
    if (typedRight) symptom.text = "a nearby layout decodes more of the mesh";
    return {false, symptom.text + ": " + (nearbyBetter ? best->hint : symptom.usualCause)};
}

std::vector<std::string> layoutReportLines(const LayoutFindings& f, const LayoutVerdict& verdict) {
    const CandidateMeasures& m = f.measures;
    std::vector<std::string> lines;
    lines.push_back("layout check:");
    lines.push_back("triangles: " + std::to_string(f.triangles));
    lines.push_back("indices: smallest " + std::to_string(m.minIndex) + ", largest " + std::to_string(m.maxIndex) +
                    ", vertex count " + std::to_string(f.vertexCount));
    lines.push_back("indices past the vertex block: " + std::to_string(f.indicesPastVertexBlock));
    lines.push_back("degenerate triangles: " + percent(m.degenerateShare) + ", needles: " + percent(m.needleShare));
    lines.push_back("vertices never used: " + percent(m.unusedVertexShare));
    lines.push_back("non-finite positions: " + std::to_string(f.nonFinitePositions));
    lines.push_back("bounding box: " + point(f.boxMin) + ".." + point(f.boxMax));
    lines.push_back("median edge / box diagonal: " + number(m.medianEdgeToDiagonal));
    if (f.hasUvs)
        lines.push_back("UVs outside 0..1: " + percent(m.uvOutsideShare) +
                        ", degenerate UV triangles: " + percent(m.uvDegenerateShare));
    else
        lines.push_back("UVs: none");
    lines.push_back("verdict: " + verdict.text);
    return lines;
}

LayoutVerdict checkLayoutSettings(const ModelBuffer& model, const LayoutSettings& settings, LayoutFindings& findings) {
    findings = findingsOf(decodeMesh(model, settings));
    std::vector<TriedLayout> tried;
    for (auto& nearby : nearbyLayouts(settings, model.size()))
        tried.push_back({std::move(nearby.hint), findingsOf(decodeMesh(model, nearby.settings))});
    return judgeLayout(findings, settings, tried);
}

std::optional<LayoutVerdict> checkLayout(Context& ctx) {
    Workspace& ws = ctx.ws;
    if (!readAllStepFields(ctx, VertexShift::None)) return std::nullopt;
    if (!checkExportBlocks(ws, ctx.model, ctx.window, BlockReader::Mesh)) return std::nullopt;
    if (ws.ptCldMode != 0) {
        ctx.window.showMessage("The check judges faces from the face block.\nSwitch to 'noPtC', please.");
        return std::nullopt;
    }
    LayoutFindings findings;
    LayoutVerdict verdict = checkLayoutSettings(ctx.model, layoutSettingsOf(ws), findings);
    for (const auto& line : layoutReportLines(findings, verdict)) ctx.window.addResult(line);
    return verdict;
}

void runCheckLayout(Context& ctx) { checkLayout(ctx); }

}  // namespace nimbrel
