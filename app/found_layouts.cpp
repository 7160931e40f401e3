#include "app/found_layouts.h"

#include <cstdio>
#include <set>

#include "app/control_table.h"
#include "app/layout_apply.h"
#include "core/text_format.h"
#include "params/parameter_file.h"

namespace nimbrel {

namespace {

const CandidateColumn kColumns[] = {
    {"rank", true},        {"face start", true},  {"count", true},      {"Word/DW", false},
    {"list/strip", false}, {"face gap", true},    {"byte order", false}, {"VB/seq", false},
    {"FVF size", true},    {"UV pos / UVB", false}, {"vertex start", true}, {"count", true},
    {"format", false},     {"triangles", true},   {"score", true},
};

CandidateCell numberCell(std::uint64_t value) { return {std::to_string(value), double(value)}; }
CandidateCell hexCell(std::uint32_t value) { return {"0x" + hexText(value), double(value)}; }
CandidateCell textCell(std::string text) { return {std::move(text), 0}; }

std::string topologyText(const LayoutSettings& s) {
    if (!s.stripMode) return "list";
    return s.ffffSeparator ? "FFFF" : "strip";
}

std::string uvText(const LayoutCandidate& c) {
    const LayoutSettings& s = c.settings;
    switch (c.uvLocation) {
    case UvLocation::InVertexRecord: return "pos " + std::to_string(s.uvPos);
    case UvLocation::SeparateBlock:
        if (!s.vbMode) return "UVs 0x" + hexText(s.uvBlockStart);
        return "UVB 0x" + hexText(s.uvBlockStart) + " / " + std::to_string(s.uvBlockSize);
    case UvLocation::None: break;
    }
    return "none";
}

}  // namespace

std::vector<LayoutCandidate> findModelLayouts(const ModelBuffer& model, const FindOptions& options) {
    return findLayouts(std::span<const std::uint8_t>(model.data(), model.size()), options);
}

std::span<const CandidateColumn> candidateColumns() { return kColumns; }

std::vector<CandidateCell> candidateCells(const LayoutCandidate& c, std::size_t rank) {
    const LayoutSettings& s = c.settings;
    char score[16];
    std::snprintf(score, sizeof score, "%.3f", c.score);
    const auto format = formatItems()[static_cast<std::size_t>(s.vertexFormat)];
    return {numberCell(rank),
            hexCell(s.faceIndexStart),
            numberCell(s.faceIndexCnt),
            textCell(s.indexSize == 4 ? "DW" : "Word"),
            textCell(topologyText(s)),
            numberCell(s.faceGap),
            textCell(s.bigEndian ? "bigE" : "litE"),
            textCell(s.vbMode ? "VB" : "seq"),
            s.vbMode ? numberCell(s.fvfSize) : CandidateCell{"-", 0},
            textCell(uvText(c)),
            hexCell(s.vertexStart),
            numberCell(s.vertsCnt),
            textCell(std::string(format)),
            numberCell(c.triangles),
            CandidateCell{score, c.score}};
}

bool applyCandidate(Context& ctx, const LayoutCandidate& candidate) {
    if (applyLayout(ctx, candidate.settings)) return true;
    const auto why = unfitForFields(candidate.settings);
    ctx.window.showMessage("This layout cannot be put into the fields: " +
                           std::string(why ? *why : std::string_view("a toggle it needs is disabled")));
    return false;
}

void previewCandidate(Context& ctx, const LayoutCandidate& candidate) {
    if (!applyCandidate(ctx, candidate)) return;
    if (!ctx.window.isEnabled(cmd::kMesh)) {
        ctx.window.showMessage("The layout is in the fields; ' mesh' needs mesh_viewer, which was not found.");
        return;
    }
    ctx.window.sendCommand(cmd::kMesh);
}

std::string saveAllCandidates(Context& ctx, std::span<const LayoutCandidate> candidates) {
    Workspace& ws = ctx.ws;
    std::vector<std::string> written;
    std::vector<std::string> skipped;
    std::set<std::uint32_t> blocks;
    // Best first: the first candidate of each face-index start is that block's best.
    for (const LayoutCandidate& c : candidates) {
        if (!blocks.insert(c.settings.faceIndexStart).second) continue;
        const std::string block = "face block 0x" + hexText(c.settings.faceIndexStart);
        if (auto why = unfitForParameterFile(c.settings)) {
            skipped.push_back(block + ": " + std::string(*why));
            continue;
        }
        if (auto why = unfitForFields(c.settings)) {
            skipped.push_back(block + ": " + std::string(*why));
            continue;
        }
        if (!applyLayout(ctx, c.settings)) {
            skipped.push_back(block + ": a toggle it needs is disabled");
            continue;
        }
        const std::string name = parameterFileName(ws.modelPathStem, ws.parameterFileCounter);
        if (saveParameterFile(ws, ctx.model, ctx.window, ws.modelPathStem, ws.vbMode))
            written.push_back(name);
        else
            skipped.push_back(block + ": " + name + " was not written");
    }
    std::string text = written.empty() ? std::string("No parameter file was written.")
                                       : "Wrote " + std::to_string(written.size()) + " parameter file" +
                                             (written.size() == 1 ? ":" : "s:");
    for (const auto& name : written) text += "\n " + name;
    if (!skipped.empty()) {
        text += "\n\nNot saved:";
        for (const auto& why : skipped) text += "\n " + why;
    }
    return text;
}

}  // namespace nimbrel
