#include "app/face_branch.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "app/block_checks.h"
#include "faces/fake_faces.h"
#include "faces/face_index_pass.h"
#include "faces/strip_restart.h"

namespace nimbrel {

bool runFacePass(Context& ctx, TextOut* out, FaceMode mode, bool slash) {
    Workspace& ws = ctx.ws;
    if (ws.stripMode && ws.ffffSeparator) {
        // A rejected conversion keeps the triangles of the last good one, and those are
        // what the faces are then taken from; the results list already shows the error.
        const RestartStripResult strips = convertRestartStrips(
            ctx.model, ws.faceIndexStart, ws.faceIndexCnt, ws.bigEndian, ws.stripScratch, kRestartMarker, ctx.window);
        if (strips.outcome == StripConversion::PastEnd) return showFaceBlockPastEnd(ctx.window, strips.indicesThatFit);
        if (strips.outcome == StripConversion::Rejected && mode == FaceMode::List)
            ctx.window.addResult(" In step 1 change startaddress and/or count");
        keepFaceRange(ws, writeStripFaces(ws, out, ws.stripScratch.stripIndexCount, mode, mode == FaceMode::Write,
                                          ctx.window));
        return true;
    }
    return keepFacePass(ws, ctx.window,
                        faceIndexPass(ws, ctx.model, out, ws.faceIndexStart, ws.faceIndexCnt, mode, slash, ctx.window));
}

bool showFaceBlockPastEnd(Window& window, std::uint64_t indicesThatFit) {
    window.showMessage("EOF met!\nfaceIndexCnt reduced");
    window.setText(field::kFaceIndexCnt, std::to_string(indicesThatFit == 0 ? 0 : indicesThatFit - 1));
    return false;
}

void keepFaceRange(Workspace& ws, const FaceIndexRange& range) {
    ws.minFaceIndex = range.min;
    ws.maxFaceIndex = range.max;
}

bool keepFacePass(Workspace& ws, Window& window, const FacePassResult& pass) {
    if (!pass.fits) return showFaceBlockPastEnd(window, pass.indicesThatFit);
    if (pass.range) keepFaceRange(ws, *pass.range);
    if (pass.maxFaceAddress) ws.maxFaceAddress = *pass.maxFaceAddress;
    return true;
}

void addFakeFaces(Workspace& ws, Window& window, TextOut& out, std::uint32_t vertexCount, bool slash) {
    switch (writeFakeFaces(out, vertexCount, ws.stripMode, slash)) {
    case FakeFaceSource::File: return;
    case FakeFaceSource::FileCutShort:
        window.showMessage("Could not read FIs.txt to its end!\nOnly the faces read before the error were added.");
        return;
    case FakeFaceSource::Generated: break;
    }
    if (ws.fisHintShown) return;
    window.showMessage(
        "Could not open FIs.txt (your fake face indices).\nWill autocreate FIs now.\n\n(Feel free to create an "
        "individual FIs.txt.\n But keep max FI below/equal vertex count!)");
    ws.fisHintShown = true;
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
