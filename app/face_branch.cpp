#include "app/face_branch.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/block_checks.h"
#include "faces/face_index_pass.h"
#include "faces/strip_restart.h"

namespace nimbrel {

bool runFacePass(Context& ctx, TextOut* out, FaceMode mode, bool slash) {
    Workspace& ws = ctx.ws;
    if (ws.stripMode && ws.ffffSeparator) {
        // A rejected conversion keeps the triangles of the last good one, and those are
        // what the faces are then taken from; the results list already shows the error.
        if (convertRestartStrips(ctx.model, ws.faceIndexStart, ws.faceIndexCnt, ws.bigEndian, ws.stripScratch,
                                 kRestartMarker, ctx.window) == StripConversion::PastEnd)
            return false;
        writeStripFaces(ws, out, ws.stripScratch.stripIndexCount, mode, mode == FaceMode::Write, ctx.window);
        return true;
    }
    return faceIndexPass(ws, ctx.model, out, ws.faceIndexStart, ws.faceIndexCnt, mode, slash, ctx.window);
}

bool shiftedRecordsFit(Context& ctx) {
    const Workspace& ws = ctx.ws;
    if (!(ws.vbMode && ws.vertexFormat == VertexFormat::HF_all && ws.relFI && ws.minFaceIndex >= 1)) return true;
    const std::uint64_t start = ws.vertexStart + std::uint64_t{ws.fvfSize} * (ws.minFaceIndex - 1);
    if (ctx.model.blockFits(start, ws.vertsCnt, ws.fvfSize)) return true;
    const std::uint64_t shown = std::min<std::uint64_t>(start, std::numeric_limits<std::uint32_t>::max());
    return checkBlockFits(ctx.model, ctx.window, static_cast<std::uint32_t>(shown), ws.vertsCnt, ws.fvfSize);
}

}  // namespace nimbrel
