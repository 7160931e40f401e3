#include "app/commands.h"

#include "app/block_checks.h"
#include "app/window_reports.h"
#include "core/text_format.h"
#include "vertices/block_preview.h"
#include "vertices/record_layout.h"

namespace nimbrel {

void runGo2(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& window = ctx.window;
    if (!readStepTwoFields(ws, ctx.model, window, ws.vbMode)) return;
    if (!readStepThreeFields(ws, ctx.model, window, false, false)) return;
    window.clearResults();
    const VertexFormat format = ws.vertexFormat;
    if (ws.vbMode) {
        if (!checkBlockFits(ctx.model, window, ws.vertexStart, ws.vertsCnt, ws.fvfSize)) return;
        // A refused uvPos lists nothing, but the separate block and the next offset still follow.
        showRefusal(window, previewInterleavedBlock(ws, ctx.model, window, ws.vertexStart, ws.vertsCnt).refusal);
        if (ws.uvPos == kNoUvInRecord && ws.uvBlockSize != kNoUvBlock) {
            window.addResult("--- UV block ---");
            previewUVBlock(ws, ctx.model, window, ws.uvBlockStart, ws.vertsCnt, false);
        }
    } else {
        // HF_all pairs are previewed unchecked; whatever lies past the file reads as zeros.
        if (format != VertexFormat::HF_all &&
            !checkBlockFits(ctx.model, window, ws.uvBlockStart, ws.vertsCnt, pairSize(uvPairKind(format))))
            return;
        previewUVBlock(ws, ctx.model, window, ws.uvBlockStart, ws.vertsCnt, true);
    }
    // Named also in seq mode, with whatever fvfSize the last VB read left.
    window.addResult(hexText(ws.vertexStart + std::uint64_t{ws.fvfSize} * ws.vertsCnt));
}

void runGo3(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& window = ctx.window;
    if (!readStepThreeFields(ws, ctx.model, window, false, false)) return;
    window.clearResults();
    const VertexFormat format = ws.vertexFormat;
    if (!checkBlockFits(ctx.model, window, ws.vertexStart, ws.vertsCnt, positionSize(positionKind(format)))) return;
    if (format == VertexFormat::HF_UV || format == VertexFormat::WordUV) {
        window.addResult(format == VertexFormat::HF_UV ? "press go2 to view HalfFloat-UVs" : "press go2 to view WORD-UVs");
        window.addResult(" (set startaddress for go2)");
        window.addResult("");
    }
    previewPackedBlock(ws, ctx.model, window, ws.vertexStart, ws.vertsCnt);
}

}  // namespace nimbrel
