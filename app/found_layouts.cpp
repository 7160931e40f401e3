#include "app/found_layouts.h"

#include <algorithm>
#include <cstdio>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/layout_apply.h"
#include "app/window_reports.h"
#include "core/text_format.h"
#include "params/parameter_file.h"
#include "platform/files.h"

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

/// The bytes an index block covers.
std::uint64_t indexBlockEnd(const LayoutSettings& s) {
    std::uint64_t bytes = std::uint64_t{s.faceIndexCnt} * s.indexSize;
    if (!s.stripMode && s.faceVertexCount > 0) bytes += std::uint64_t{s.faceIndexCnt} / s.faceVertexCount * s.faceGap;
    return s.faceIndexStart + bytes;
}

/// The best candidate of each index block, no two overlapping, in file order.
std::vector<std::size_t> bestPerIndexBlock(std::span<const LayoutCandidate> found) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const LayoutSettings& s = found[i].settings;
        bool overlaps = std::any_of(kept.begin(), kept.end(), [&](std::size_t k) {
            const LayoutSettings& o = found[k].settings;
            return s.faceIndexStart < indexBlockEnd(o) && o.faceIndexStart < indexBlockEnd(s);
        });
        if (!overlaps) kept.push_back(i);
    }
    std::sort(kept.begin(), kept.end(), [&](std::size_t a, std::size_t b) {
        return found[a].settings.faceIndexStart < found[b].settings.faceIndexStart;
    });
    return kept;
}

/// Shows a save's field texts and lines but keeps its messages back: the last one is the
/// reason the caller reports.
std::string showAllButMessages(Window& window, const FieldReport& report) {
    std::string last;
    FieldReport shown;
    for (const FieldReport::Note& note : report.notes) {
        if (note.kind == FieldReport::Kind::Message)
            last = note.text;
        else
            shown.notes.push_back(note);
    }
    showReport(window, shown);
    return last;
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
    runMesh(ctx, VertexShift::None);
}

std::vector<SavedLayout> saveBestOfEachBlock(Context& ctx, std::span<const LayoutCandidate> candidates) {
    Workspace& ws = ctx.ws;
    std::vector<SavedLayout> saved;
    for (std::size_t i : bestPerIndexBlock(candidates)) {
        const LayoutSettings& s = candidates[i].settings;
        SavedLayout entry{SavedLayout::Outcome::Written, i + 1, s.faceIndexStart, {}, {}};
        if (auto reason = unfitForParameterFile(s)) {
            entry.outcome = SavedLayout::Outcome::Unfit;
            entry.reason = *reason;
        } else {
            while (ws.parameterFileCounter <= kLastParameterFileNumber &&
                   platform::fileExists(parameterFileName(ws.modelPathStem, ws.parameterFileCounter)))
                ++ws.parameterFileCounter;
            const auto number = ws.parameterFileCounter;
            if (!applyLayout(ctx, s)) {
                entry.outcome = SavedLayout::Outcome::Refused;
            } else {
                FieldReport report;
                const bool written = saveParameterFile(ws, ctx.model, typedStepTexts(ctx.window), report,
                                                       ws.modelPathStem, ws.vbMode);
                const std::string last = showAllButMessages(ctx.window, report);
                if (written) {
                    entry.file = parameterFileName(ws.modelPathStem, number);
                } else {
                    entry.outcome = SavedLayout::Outcome::NotSaved;
                    entry.reason = last.empty() ? "not saved" : last;
                }
            }
        }
        saved.push_back(std::move(entry));
    }
    return saved;
}

std::string saveAllCandidates(Context& ctx, std::span<const LayoutCandidate> candidates) {
    std::vector<std::string> written;
    std::vector<std::string> skipped;
    for (const SavedLayout& s : saveBestOfEachBlock(ctx, candidates)) {
        const std::string block = "face block 0x" + hexText(s.faceIndexStart) + ": ";
        switch (s.outcome) {
        case SavedLayout::Outcome::Written: written.push_back(s.file); break;
        case SavedLayout::Outcome::Unfit: skipped.push_back(block + s.reason); break;
        case SavedLayout::Outcome::Refused: skipped.push_back(block + "a toggle it needs is disabled"); break;
        case SavedLayout::Outcome::NotSaved: skipped.push_back(block + s.reason); break;
        }
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
