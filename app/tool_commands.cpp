#include "app/commands.h"
#include "app/window_reports.h"
#include "core/text_out.h"
#include "params/table_log.h"
#include "platform/files.h"

namespace nimbrel {

namespace {

constexpr const char* kTutorialFile = "korvath_tut.rtf";
constexpr const char* kTestObj = "test.obj";

void writeTableLogFile(Context& ctx) {
    Workspace& ws = ctx.ws;
    TextOut log;
    if (!log.open(ws.tableLogPath)) {
        ctx.window.showMessage(" Table logfile could not be opened!\n");
        return;
    }
    // The log is opened before the start is checked, so a bad start leaves it empty.
    if (!readTableStart(ws, ctx.model, ctx.window)) {
        log.close();
        return;
    }
    writeTableLog(log, ctx.model, {ws.modelPath, ws.faceIndexStart, ws.indexSize, ws.fvfSize, ws.bigEndian});
    if (!log.close()) {
        log.discard();
        ctx.window.showMessage(ws.tableLogPath + " could not be written!\n(Is the disk full?)");
        return;
    }
    ctx.launcher.launchAndWait(ws.wordpadPath, ws.tableLogPath);
}

}  // namespace

void runTutorial(Context& ctx) {
    // The tutorial lies beside the programs; a model opened elsewhere moved the current
    // directory away from it.
    platform::changeDirectory(ctx.ws.appDir);
    ctx.launcher.launchAndWait(ctx.ws.wordpadPath, kTutorialFile);
}

void runTable(Context& ctx) {
    Workspace& ws = ctx.ws;
    if (ws.tableLogMode) return writeTableLogFile(ctx);
    if (!ws.notepadMissing) return ctx.launcher.launchAndWait(ws.notepadPath, kTestObj);
    ctx.window.addResult("notepad is missing in AppDir!");
    ctx.launcher.launchAndWait(ws.wordpadPath, kTestObj);
}

}  // namespace nimbrel
