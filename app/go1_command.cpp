#include "app/commands.h"
#include "app/face_branch.h"
#include "app/window_reports.h"

namespace nimbrel {

void runGo1(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& window = ctx.window;
    if (!readStepOneFields(ws, ctx.model, window)) return;
    ws.maxFaceIndex = 0;
    window.clearResults();
    // go1 lists whatever ptCldMode says: the user looks for the block before deciding.
    runFacePass(ctx, nullptr, FaceMode::List, false);
}

}  // namespace nimbrel
