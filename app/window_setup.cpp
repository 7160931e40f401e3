#include "app/window_setup.h"

#include "app/control_table.h"
#include "platform/files.h"

#include <filesystem>

namespace nimbrel {

void runStartupChecks(Context& ctx, const std::string& appDir) {
    Workspace& ws = ctx.ws;
    // Absolute, so the tools are still found after a dialog moved the current directory.
    ws.appDir = std::filesystem::absolute(appDir).lexically_normal().string();
    if (ws.appDir.size() > 1 && ws.appDir.back() == '/') ws.appDir.pop_back();
    // A tool that cannot be started counts as missing, so its commands stay disabled
    // instead of failing silently at every launch.
    ws.notepadPath = ws.appDir + "/notepad";
    ws.notepadMissing = !platform::isRunnable(ws.notepadPath);
    ws.wordpadPath = ws.appDir + "/wordpad";
    if (platform::isRunnable(ws.wordpadPath)) ctx.window.setEnabled(cmd::kTutorial, true);
    else ctx.window.showMessage("wordpad is missing!");
    // The viewer's graphics library is linked by the system loader: nothing to look for.
    ws.meshViewerPath = ws.appDir + "/mesh_viewer";
    if (!platform::isRunnable(ws.meshViewerPath)) {
        ctx.window.showMessage("mesh_viewer not found!\n\nobjs can't be displayed.");
        ws.viewerMissing = true;
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
