#include "app/find_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/control_table.h"
#include "app/layout_apply.h"
#include "app/script_runner.h"
#include "core/text_format.h"
#include "find/layout_finder.h"
#include "params/parameter_file.h"
#include "platform/files.h"

namespace nimbrel {

namespace {

using json = nlohmann::ordered_json;

// Smaller files are scanned before a progress line would be read.
constexpr std::size_t kProgressFromBytes = 4u << 20;

std::string number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
}

std::string_view formatName(VertexFormat f) { return formatItems()[static_cast<std::size_t>(f)]; }

bool hasFloatPositions(VertexFormat f) { return f == VertexFormat::Float || f == VertexFormat::HF_UV || f == VertexFormat::WordUV; }

std::string_view positionFormat(VertexFormat f) {
    if (hasFloatPositions(f)) return "float32x3";
    return f == VertexFormat::HF_all ? "float16x3" : "int16x3";
}

std::string_view uvFormat(VertexFormat f) {
    switch (f) {
    case VertexFormat::Float: return "float32x2";
    case VertexFormat::HF_UV:
    case VertexFormat::HF_all: return "float16x2";
    default: return "uint16x2";
    }
}

std::uint32_t uvPairSize(VertexFormat f) { return f == VertexFormat::Float ? 8 : 4; }

std::uint32_t vertexStride(const LayoutSettings& s) {
    if (s.vbMode) return s.fvfSize;
    return hasFloatPositions(s.vertexFormat) ? 12 : 6;
}

std::string_view topologyName(IndexTopology t) {
    switch (t) {
    case IndexTopology::List: return "list";
    case IndexTopology::Strip: return "strip";
    default: return "strip_restart";
    }
}

bool isWordUv(VertexFormat f) { return f == VertexFormat::WordUV || f == VertexFormat::ShortAll; }

/// The bytes an index block covers.
std::uint64_t indexBlockEnd(const LayoutSettings& s) {
    std::uint64_t bytes = std::uint64_t{s.faceIndexCnt} * s.indexSize;
    if (!s.stripMode && s.faceVertexCount > 0) bytes += std::uint64_t{s.faceIndexCnt} / s.faceVertexCount * s.faceGap;
    return s.faceIndexStart + bytes;
}

json settingsJson(const LayoutSettings& s) {
    return {{"faceIndexStart", s.faceIndexStart}, {"faceIndexCnt", s.faceIndexCnt},
            {"faceGap", s.faceGap},               {"indexSize", s.indexSize},
            {"stripMode", s.stripMode},           {"ffffSeparator", s.ffffSeparator},
            {"faceVertexCount", s.faceVertexCount}, {"relFI", s.relFI},
            {"vbMode", s.vbMode},                 {"fvfSize", s.fvfSize},
            {"uvPos", s.uvPos},                   {"uvBlockStart", s.uvBlockStart},
            {"uvBlockSize", s.uvBlockSize},       {"vertexFormat", formatName(s.vertexFormat)},
            {"bigEndian", s.bigEndian},           {"uvDivisor", s.uvDivisor},
            {"uvGap", s.uvGap},                   {"signedShorts", s.signedShorts},
            {"vertexStart", s.vertexStart},       {"vertsCnt", s.vertsCnt}};
}

json measuresJson(const CandidateMeasures& m) {
    return {{"index_count", m.indexCount},
            {"min_index", m.minIndex},
            {"max_index", m.maxIndex},
            {"index_coverage", m.indexCoverage},
            {"degenerate_share", m.degenerateShare},
            {"needle_share", m.needleShare},
            {"unused_vertex_share", m.unusedVertexShare},
            {"non_finite_positions", m.nonFinitePositions},
            {"median_edge_to_diagonal", m.medianEdgeToDiagonal},
            {"uv_outside_share", m.uvOutsideShare},
            {"uv_degenerate_share", m.uvDegenerateShare},
            {"index_score", m.indexScore},
            {"vertex_score", m.vertexScore},
            {"uv_score", m.uvScore}};
}

json uvJson(const LayoutCandidate& c) {
    const LayoutSettings& s = c.settings;
    json uv;
    if (c.uvLocation == UvLocation::None) return nullptr;
    if (c.uvLocation == UvLocation::InVertexRecord) {
        uv = {{"location", "in_vertex_record"}, {"uv_pos", s.uvPos}, {"format", uvFormat(s.vertexFormat)}};
    } else {
        const std::uint32_t stride = s.vbMode ? s.uvBlockSize : uvPairSize(s.vertexFormat);
        uv = {{"location", "separate_block"}, {"offset", s.uvBlockStart}, {"stride", stride},
              {"format", uvFormat(s.vertexFormat)}};
    }
    if (isWordUv(s.vertexFormat)) uv["divisor"] = static_cast<std::uint32_t>(s.uvDivisor);
    return uv;
}

json candidateJson(const LayoutCandidate& c, std::size_t rank) {
    const LayoutSettings& s = c.settings;
    return {{"rank", rank},
            {"score", c.score},
            {"byte_order", s.bigEndian ? "big" : "little"},
            {"index_block",
             {{"offset", s.faceIndexStart}, {"count", s.faceIndexCnt}, {"index_size", s.indexSize},
              {"topology", topologyName(c.topology)}, {"face_gap", s.faceGap}}},
            {"vertex_block",
             {{"offset", s.vertexStart}, {"count", s.vertsCnt}, {"stride", vertexStride(s)},
              {"format", positionFormat(s.vertexFormat)}}},
            {"uv_block", uvJson(c)},
            {"triangles", c.triangles},
            {"box", {{"min", c.boxMin}, {"max", c.boxMax}}},
            {"measures", measuresJson(c.measures)},
            {"settings", settingsJson(s)}};
}

/// One line a user can type from: the fields in hex or decimal, the toggles by caption.
std::string candidateLine(const LayoutCandidate& c, std::size_t rank) {
    const LayoutSettings& s = c.settings;
    std::ostringstream line;
    line << rank << ". score " << number(c.score) << "  faces 0x" << hexText(s.faceIndexStart) << ' '
         << s.faceIndexCnt << (s.indexSize == 4 ? " DW" : " Word") << (s.stripMode ? " Strip" : " noStr")
         << (s.ffffSeparator ? " FFFF" : " std");
    if (s.faceGap != 0) line << " gap " << unsigned{s.faceGap};
    if (s.faceVertexCount == 4) line << " quads";
    if (s.relFI) line << " RelFI";
    if (s.vbMode) {
        line << "  VB FVF " << unsigned{s.fvfSize} << " UV pos " << unsigned{s.uvPos};
        if (s.uvBlockSize != kNoUvBlock) line << " UVB 0x" << hexText(s.uvBlockStart) << ' ' << unsigned{s.uvBlockSize};
    } else {
        line << "  seq UVs 0x" << hexText(s.uvBlockStart);
    }
    line << "  vertices 0x" << hexText(s.vertexStart) << ' ' << s.vertsCnt << "  " << formatName(s.vertexFormat)
         << (s.bigEndian ? " bigE" : " litE");
    if (isWordUv(s.vertexFormat)) line << (s.uvDivisor == 8192.0f ? " w/8k" : " w/64k");
    if (s.uvGap) line << " UVgap";
    if (!s.signedShorts) line << " unsigned";
    line << "  " << c.triangles << " triangles  box (" << number(c.boxMin[0]) << ' ' << number(c.boxMin[1]) << ' '
         << number(c.boxMin[2]) << ")..(" << number(c.boxMax[0]) << ' ' << number(c.boxMax[1]) << ' '
         << number(c.boxMax[2]) << ")";
    return line.str();
}

/// The best candidate of each index block, no two overlapping, in file order.
std::vector<std::size_t> bestPerIndexBlock(const std::vector<LayoutCandidate>& found) {
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

/// Saves each kept layout through the window's "&Save VYP"; notes go to notes.
void saveParameterFiles(HeadlessSession& session, const std::vector<LayoutCandidate>& found, std::ostream& notes) {
    Workspace& ws = session.workspace();
    HeadlessWindow& window = session.window();
    for (std::size_t i : bestPerIndexBlock(found)) {
        const LayoutCandidate& c = found[i];
        const std::string which = "rank " + std::to_string(i + 1) + " (faces 0x" + hexText(c.settings.faceIndexStart) + ")";
        if (auto reason = unfitForParameterFile(c.settings)) {
            notes << "skipped " << which << ": " << *reason << '\n';
            continue;
        }
        // Numbers already taken are passed over: nothing is replaced.
        while (ws.parameterFileCounter <= kLastParameterFileNumber &&
               platform::fileExists(parameterFileName(ws.modelPathStem, ws.parameterFileCounter)))
            ++ws.parameterFileCounter;
        window.clearMessages();
        const auto before = ws.parameterFileCounter;
        if (!applyLayout(session.context(), c.settings)) {
            notes << "skipped " << which << ": the window refused the settings\n";
            continue;
        }
        session.dispatch(cmd::kSaveVyp);
        if (ws.parameterFileCounter == before) {
            std::string why = window.messages().empty() ? "not saved" : escapeRecord(window.messages().back());
            notes << "not saved " << which << ": " << why << '\n';
            continue;
        }
        notes << "wrote " << parameterFileName(ws.modelPathStem, before) << " from " << which << '\n';
    }
}

}  // namespace

int runFindCommand(std::ostream& out, std::ostream& err, ModelBuffer& model, const std::string& appDir,
                   const FindCommandOptions& options) {
    std::ostringstream records;  // the window's records are not the command's output
    HeadlessSession session(model, records, appDir, false);
    Workspace& ws = session.workspace();
    HeadlessWindow& window = session.window();
    window.clearMessages();
    ws.batchMode = 1;
    ws.modelPath = std::filesystem::absolute(options.modelPath).lexically_normal().string();
    session.dispatch(cmd::kOpen);
    ws.batchMode = 0;
    // An empty file opens with only "the file is empty!": it was read and holds nothing.
    const auto& messages = window.messages();
    const bool empty = messages.size() == 1 && messages.front() == "the file is empty!";
    if (model.size() == 0 && !empty) {
        err << "nimbrel-cli: " << options.modelPath << ": "
            << escapeRecord(messages.empty() ? "could not open file!" : messages.front()) << '\n';
        return 1;
    }

    FindOptions find;
    find.maxCandidates = std::max<std::size_t>(options.top, 100);
    find.minTriangles = options.minTriangles;
    const bool showProgress = model.size() > kProgressFromBytes;
    int shownPercent = -1;
    if (showProgress)
        find.progress = [&err, &options, &shownPercent](double share) {
            const int percent = static_cast<int>(std::clamp(share, 0.0, 1.0) * 100);
            if (percent == shownPercent) return;
            shownPercent = percent;
            err << "\rscanning " << options.modelPath << ": " << percent << '%' << std::flush;
        };
    std::vector<LayoutCandidate> found;
    if (model.size() > 0) found = findLayouts(std::span<const std::uint8_t>(model.data(), model.size()), find);
    if (showProgress) err << "\rscanning " << options.modelPath << ": done\n";

    const std::size_t shown = std::min(found.size(), options.top);
    if (options.json) {
        json doc = {{"file", options.modelPath}, {"size", model.size()}, {"candidates", json::array()}};
        for (std::size_t i = 0; i < shown; ++i) doc["candidates"].push_back(candidateJson(found[i], i + 1));
        out << doc.dump(2) << '\n';
    } else if (found.empty()) {
        out << "no layout found\n";
    } else {
        for (std::size_t i = 0; i < shown; ++i) out << candidateLine(found[i], i + 1) << '\n';
    }
    if (options.saveParameterFiles && model.size() > 0) saveParameterFiles(session, found, options.json ? err : out);
    return 0;
}

}  // namespace nimbrel
