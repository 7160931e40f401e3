#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "app/block_checks.h"
#include "app/commands.h"
#include "app/face_branch.h"
#include "app/step_reads.h"
#include "app/window_reports.h"
#include "core/text_out.h"
#include "faces/face_index_pass.h"
#include "faces/fake_faces.h"
#include "faces/strip_restart.h"
#include "vertices/uv_lines.h"
#include "vertices/vertex_lines.h"

namespace nimbrel {

namespace {

constexpr const char* kTestObj = "test.obj";
constexpr const char* kTestUVsObj = "testUVs.obj";

enum PointCloudMode : std::uint8_t { kFacesFromBlock = 0, kPointCloud = 1, kFakeFaces = 2 };

// Measures the faces and checks the typed vertex count against them, before any file is
// touched.
bool scanAndCheckVertexCount(Context& ctx) {
    return runFacePass(ctx, nullptr, FaceMode::Scan, false) && checkVertexCount(ctx.ws, ctx.window);
}

// What both test files do once their field reads have passed: the block checks, the scan
// and the count check, then the file. Nothing is written when any of them fails.
bool openTestFile(Context& ctx, TextOut& out, BlockReader reader, const char* name, std::string_view openFailure,
                  bool readsRecords) {
    Workspace& ws = ctx.ws;
    ws.maxFaceIndex = 0;
    if (!checkExportBlocks(ws, ctx.model, ctx.window, reader)) return false;
    if (ws.ptCldMode == kFacesFromBlock && !scanAndCheckVertexCount(ctx)) return false;
    if (readsRecords && !shiftedRecordsFit(ctx)) return false;
    if (!out.open(name)) {
        ctx.window.showMessage(openFailure);
        return false;
    }
    return true;
}

// Face lines after the vertex or UV lines: from the block, from FIs.txt or generated.
bool writeFaceSection(Context& ctx, TextOut& out) {
    Workspace& ws = ctx.ws;
    if (ws.ptCldMode == kFacesFromBlock) {
        ws.maxFaceIndex = 0;
        return runFacePass(ctx, &out, FaceMode::Write, false);
    }
    if (ws.ptCldMode == kFakeFaces) {
        // The fake faces are appended at the file's end below our buffer.
        out.flush();
        addFakeFaces(ws, ctx.window, out, ws.vertsCnt, false);
    }
    return true;
}

// Closes a finished test file and shows it; a file that could not be written completely
// is removed instead, so the viewer never shows a cut-off mesh as if it were whole.
void closeAndShow(Context& ctx, TextOut& out, const char* name) {
    if (!out.close()) {
        out.discard();
        ctx.window.showMessage(std::string(name) + " could not be written!\n(Is the disk full?)");
        return;
    }
    ctx.launcher.launchAndWait(ctx.ws.meshViewerPath, name);
}

void writeMeshVertices(Context& ctx, TextOut& out) {
    Workspace& ws = ctx.ws;
    if (ws.vbMode) {
        // A uvPos too small for the format has been refused with a message; the faces
        // still follow, as they do for every other vertex section.
        showRefusal(ctx.window, writeVertexLines(ws, ctx.model, out, ws.vertexStart, ws.vertsCnt, false, false));
        return;
    }
    if (ws.vertexFormat == VertexFormat::HF_UV || ws.vertexFormat == VertexFormat::WordUV)
        ctx.window.addResult(" (vertices as floats)");
    writePackedVertexLines(ws, ctx.model, out, ws.vertexStart, ws.vertsCnt);
}

}  // namespace

bool readAllStepFields(Context& ctx, VertexShift shift) {
    Workspace& ws = ctx.ws;
    return readStepOneFields(ws, ctx.model, ctx.window) && readStepTwoFields(ws, ctx.model, ctx.window, ws.vbMode) &&
           readStepThreeFields(ws, ctx.model, ctx.window, shift == VertexShift::Up, shift == VertexShift::Down);
}

void runMesh(Context& ctx, VertexShift shift) {
    Workspace& ws = ctx.ws;
    if (!readAllStepFields(ctx, shift)) return;
    TextOut out;
    if (!openTestFile(ctx, out, BlockReader::Mesh, kTestObj, " test outfile could not be opened!\n", true)) return;
    out.print("# 0x%lx: verts= %ld\n", ws.vertexStart, ws.vertsCnt);
    writeMeshVertices(ctx, out);
    if (!writeFaceSection(ctx, out)) return out.discard();
    closeAndShow(ctx, out, kTestObj);
}

void runUVs(Context& ctx) {
    Workspace& ws = ctx.ws;
    if (!readAllStepFields(ctx, VertexShift::None)) return;
    const bool uvsInRecords = ws.vbMode && ws.uvBlockSize == kNoUvBlock;
    TextOut out;
    if (!openTestFile(ctx, out, BlockReader::UVs, kTestUVsObj, " testUVs.obj could not be opened!\n", uvsInRecords))
        return;
    if (uvsInRecords) {
        showRefusal(ctx.window, writeVertexLines(ws, ctx.model, out, ws.vertexStart, ws.vertsCnt, true, true));
    } else {
        switch (ws.vertexFormat) {
            case VertexFormat::HF_all:
                ctx.window.showMessage("this is UVs preview only!\nSwitch to 'HF_UV', please.");
                out.close();
                return;
            case VertexFormat::ShortAll:
                ctx.window.showMessage("this is UVs preview only!\nSwitch to 'WordUV', please.");
                break;
            default:
                writeUVMapLines(ws, ctx.model, out, ws.uvBlockStart, ws.vertsCnt,
                                ws.vbMode ? ws.uvBlockSize : kPackedUvStride);
                break;
        }
    }
    if (!writeFaceSection(ctx, out)) return out.discard();
    closeAndShow(ctx, out, kTestUVsObj);
}

}  // namespace nimbrel
