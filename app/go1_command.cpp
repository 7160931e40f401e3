#include "app/commands.h"
#include "app/face_branch.h"
#include "app/window_reports.h"
#include "faces/face_index_pass.h"
#include "faces/strip_restart.h"

namespace nimbrel {

void runGo1(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& window = ctx.window;
    if (!readStepOneFields(ws, ctx.model, window)) return;
    ws.maxFaceIndex = 0;
    window.clearResults();
    // go1 lists whatever ptCldMode says: the user looks for the block before deciding.
    if (!(ws.stripMode && ws.ffffSeparator)) {
        keepFacePass(ws, window,
                     faceIndexPass(ws, ctx.model, nullptr, ws.faceIndexStart, ws.faceIndexCnt, FaceMode::List, false,
                                   window));
        return;
    }
    const RestartStripResult strips = convertRestartStrips(ctx.model, ws.faceIndexStart, ws.faceIndexCnt,
                                                           ws.bigEndian, ws.stripScratch, kRestartMarker, window);
    switch (strips.outcome) {
    case StripConversion::PastEnd: showFaceBlockPastEnd(window, strips.indicesThatFit); return;
    case StripConversion::Rejected: window.addResult(" In step 1 change startaddress and/or count"); break;
    case StripConversion::Converted: break;
    }
    keepFaceRange(ws, writeStripFaces(ws, nullptr, ws.stripScratch.stripIndexCount, FaceMode::List, false, window));
}

}  // namespace nimbrel
