#include "app/window_setup.h"

#include "app/control_table.h"
#include "platform/files.h"

namespace nimbrel {

void runStartupChecks(Context& ctx, const std::string& appDir) {
    Workspace& ws = ctx.ws;
    ws.appDir = appDir;
    ws.notepadPath = appDir + "/notepad";
    ws.notepadMissing = !platform::fileExists(ws.notepadPath);
    ws.wordpadPath = appDir + "/wordpad";
    if (platform::fileExists(ws.wordpadPath)) ctx.window.setEnabled(cmd::kTutorial, true);
    else ctx.window.showMessage("wordpad is missing!");
    // The viewer's graphics library is linked by the system loader: nothing to look for.
    ws.meshViewerPath = appDir + "/mesh_viewer";
    if (!platform::fileExists(ws.meshViewerPath)) {
        ctx.window.showMessage("mesh_viewer not found!\n\nobjs can't be displayed.");
        ws.viewerMissing = 1;
    }
}

void initializeWindow(Context& ctx, const std::string& appDir) {
    ctx.ws.vertexFormat = VertexFormat::Float;
    ctx.window.clearList(field::kInfoList);
    for (auto line : infoBanner()) ctx.window.addLine(field::kInfoList, line);
    for (auto line : resultsIntro()) ctx.window.addLine(field::kResultsList, line);
    runStartupChecks(ctx, appDir);
    ctx.ws.tableLogPath = "table_log.txt";
}

}  // namespace nimbrel
