#include "app/candidate_report.h"

#include <cstdio>
#include <sstream>

#include "app/control_table.h"
#include "core/text_format.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

std::string number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
}

std::string_view formatName(VertexFormat f) { return formatItems()[static_cast<std::size_t>(f)]; }

// The report's names of the encodings, in PositionKind and UvPairKind order.
std::string_view positionFormat(VertexFormat f) {
    constexpr std::string_view kNames[] = {"float32x3", "float16x3", "int16x3"};
    return kNames[static_cast<std::size_t>(positionKind(f))];
}

std::string_view uvFormat(VertexFormat f) {
    constexpr std::string_view kNames[] = {"float32x2", "float16x2", "uint16x2"};
    return kNames[static_cast<std::size_t>(uvPairKind(f))];
}

std::uint32_t vertexStride(const LayoutSettings& s) {
    if (s.vbMode) return s.fvfSize;
    return positionSize(positionKind(s.vertexFormat));
}

std::string_view topologyName(IndexTopology t) {
    switch (t) {
    case IndexTopology::List: return "list";
    case IndexTopology::Strip: return "strip";
    default: return "strip_restart";
    }
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
        const std::uint32_t stride = s.vbMode ? s.uvBlockSize : pairSize(uvPairKind(s.vertexFormat));
        uv = {{"location", "separate_block"}, {"offset", s.uvBlockStart}, {"stride", stride},
              {"format", uvFormat(s.vertexFormat)}};
    }
    if (hasWordUvs(s.vertexFormat)) uv["divisor"] = static_cast<std::uint32_t>(s.uvDivisor);
    return uv;
}

}  // namespace

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
    if (hasWordUvs(s.vertexFormat)) line << (s.uvDivisor == kWordUvDivisor8k ? " w/8k" : " w/64k");
    if (s.uvGap) line << " UVgap";
    if (!s.signedShorts) line << " unsigned";
    line << "  " << c.triangles << " triangles  box (" << number(c.boxMin[0]) << ' ' << number(c.boxMin[1]) << ' '
         << number(c.boxMin[2]) << ")..(" << number(c.boxMax[0]) << ' ' << number(c.boxMax[1]) << ' '
         << number(c.boxMax[2]) << ")";
    return line.str();
}

}  // namespace nimbrel
