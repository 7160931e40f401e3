#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "app/block_checks.h"
#include "app/commands.h"
#include "app/export_steps.h"
#include "app/face_branch.h"
#include "app/step_reads.h"
#include "app/window_reports.h"
#include "core/text_format.h"
#include "core/text_out.h"
#include "faces/face_index_pass.h"
#include "faces/fake_faces.h"
#include "faces/strip_restart.h"
#include "params/field_conversion.h"
#include "params/vertex_count.h"
#include "platform/files.h"
#include "vertices/uv_lines.h"
#include "vertices/vertex_lines.h"

namespace nimbrel {

namespace {

constexpr std::size_t kCountChars = 7;

enum PointCloudMode : std::uint8_t { kFacesFromBlock = 0, kPointCloud = 1, kFakeFaces = 2 };

// Scans the faces and holds the typed vertex count against them. Interactively a
// mismatch stops the export; in a batch run the count is corrected and the file name
// marked. Nothing when the export must stop.
std::optional<CountMarks> applyVertexCountRule(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    ws.maxFaceIndex = 0;
    if (!runFacePass(ctx, nullptr, FaceMode::Scan, false)) return std::nullopt;
    const std::uint32_t typed = decimalValue(w.text(field::kVertsCnt), kCountChars);
    ws.vertsCnt = typed;
    const ExportVertexCount rule = exportVertexCount(ws, typed);
    CountMarks marks;
    marks.suspect = rule.emptyRange;
    if (typed == rule.expected) return marks;
    if (!ws.batchMode) {
        w.showMessage(rule.refusal);
        return std::nullopt;
    }
    w.addResult(rule.correction);
    marks.big = rule.bigCorrection;
    ws.vertsCnt = rule.expected;
    if (rule.correctionIsSuspect) marks.suspect = true;
    // The corrected count may reach further than the typed one did.
    if (!checkExportBlocks(ws, ctx.model, w, BlockReader::SubmeshExport)) return std::nullopt;
    return marks;
}


// False when the records were refused (uvPos too small for the format, with its
// message): faces without their vertices would make a broken file.
bool writeVertexSection(Context& ctx, TextOut& out) {
    Workspace& ws = ctx.ws;
    if (ws.vbMode) {
        if (!showRefusal(ctx.window, writeVertexLines(ws, ctx.model, out, ws.vertexStart, ws.vertsCnt, true, false)))
            return false;
        if (ws.uvPos == kNoUvInRecord && ws.uvBlockSize != kNoUvBlock) {
            out.print("# 0x%lx (UVBlockSize= %d)\n", ws.uvBlockStart, ws.uvBlockSize);
            writeUVLines(ws, ctx.model, out, ws.uvBlockStart, ws.vertsCnt, false);
        }
        return true;
    }
    writePackedVertexLines(ws, ctx.model, out, ws.vertexStart, ws.vertsCnt);
    writeUVLines(ws, ctx.model, out, ws.uvBlockStart, ws.vertsCnt, true);
    return true;
}

// A file that could not be finished is removed and its number given back, so no cut-off
// file looks done or blocks the next export under that name.
std::nullopt_t abandon(Context& ctx, TextOut& out, bool tell) {
    out.discard();
    --ctx.ws.submeshCounter;
    if (tell) ctx.window.showMessage(out.path() + " could not be written!\n(Is the disk full?)");
    return std::nullopt;
}

}  // namespace

std::optional<CountMarks> prepareSubmeshExport(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    if (!readAllStepFields(ctx, VertexShift::None)) return std::nullopt;
    if (!checkExportBlocks(ws, ctx.model, w, BlockReader::SubmeshExport)) return std::nullopt;
    if (!ws.batchMode) {
        if (!ws.vbMode && ws.uvBlockStart == 0)
            w.showMessage(
                "  0 as uvs' startaddress for go2 is very unlikely.\n  The created obj file might contain unvalid "
                "data!\n\n   (Use the test.obj  if you don't care for uvs.)");
        w.clearResults();
    }
    std::optional<CountMarks> marks = CountMarks{};
    if (ws.ptCldMode == kFacesFromBlock) marks = applyVertexCountRule(ctx);
    if (!marks || !shiftedRecordsFit(ctx)) return std::nullopt;
    return marks;
}

std::string submeshFileName(const Workspace& ws, CountMarks marks, std::string_view extension) {
    std::string name = format("%s_%u", ws.modelPathStem, ws.submeshCounter);
    if (marks.big) name += "_%_";
    // An OBJ carries the mark after its extension; other formats keep theirs, so the file
    // still opens as what it is.
    if (extension == ".obj") return name + ".obj" + (marks.suspect ? "x" : "");
    return name + (marks.suspect ? "x" : "") + std::string(extension);
}

std::optional<std::string> nextSubmeshFile(Context& ctx, std::string_view extension) {
    const std::optional<CountMarks> marks = prepareSubmeshExport(ctx);
    if (!marks) return std::nullopt;
    std::string name = submeshFileName(ctx.ws, *marks, extension);
    if (platform::fileExists(name)) {
        ctx.window.showMessage(name + "\n exists!");
        return std::nullopt;
    }
    return name;
}

std::optional<std::string> exportSubmesh(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    std::optional<std::string> name = nextSubmeshFile(ctx, ".obj");
    if (!name) return std::nullopt;
    TextOut out;
    // CreateNew as well: a file that appeared since the check, or one we may not read,
    // is still never replaced.
    if (!out.open(*name, TextOut::Mode::CreateNew)) {
        w.showMessage(" obj outfile could not be opened!\n");
        return std::nullopt;
    }
    out.print("# VYP parameter file: %s      (H_Float: %d)\n", ws.parameterFilePath, ws.vertexFormat);
    ++ws.submeshCounter;
    out.print("# 0x%lx: verts= %ld\n", ws.vertexStart, ws.vertsCnt);
    if (!writeVertexSection(ctx, out)) return abandon(ctx, out, false);
    if (ws.ptCldMode == kFacesFromBlock) {
        ws.maxFaceIndex = 0;
        out.print("\n# 0x%lx: faceIndices= %ld, triangles= %ld\n", ws.faceIndexStart, ws.faceIndexCnt,
                  ws.faceIndexCnt / 3);
        if (!runFacePass(ctx, &out, FaceMode::Write, true)) return abandon(ctx, out, false);
    } else if (ws.ptCldMode == kFakeFaces) {
        // The faces are appended below our buffer, at the file's end.
        out.flush();
        addFakeFaces(ws, w, out, ws.vertsCnt, true);
    }
    if (!out.close()) return abandon(ctx, out, true);
    if (ws.ptCldMode == kPointCloud) w.addResult("PtCld: no FIs were saved!");
    if (ws.ptCldMode == kFakeFaces) w.addResult("FIs were saved dependent on your choice.");
    return name;
}

}  // namespace nimbrel
