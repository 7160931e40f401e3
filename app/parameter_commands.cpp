#include "app/commands.h"
#include "app/control_table.h"
#include "app/toggles.h"
#include "app/window_reports.h"
#include "params/parameter_file.h"
#include "platform/files.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

// The toggles and step 2 as the settings just loaded ask.
void showLoadedSettings(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    applyVbSeqLayout(ctx);
    w.setText(cmd::kByteOrder, toggleCaption(ws, cmd::kByteOrder));
    w.setText(cmd::kIndexSize, toggleCaption(ws, cmd::kIndexSize));
    if (ws.stripMode) {
        ws.relFI = false;
        w.setChecked(cmd::kRelFI, false);
    }
    w.setText(cmd::kStrips, toggleCaption(ws, cmd::kStrips));
    w.setEnabled(cmd::kRelFI, !ws.stripMode);
    if (hasWordUvs(ws.vertexFormat)) w.setEnabled(cmd::kUvDivisor, true);
    w.setText(cmd::kRestartMarker, toggleCaption(ws, cmd::kRestartMarker));
    if (!ws.batchMode) w.clearResults();
    if (!readStepTwoFields(ws, ctx.model, w, ws.vbMode)) return;
    if (ws.uvPos != kNoUvInRecord) {
        w.setEnabled(field::kUvBlockStart, false);
        w.setEnabled(field::kUvBlockSize, false);
    }
}

}  // namespace

bool loadParameterFile(Context& ctx, const std::string& path) {
    Workspace& ws = ctx.ws;
    ws.parameterFilePath = path;
    ws.loadedParameterFile.clear();
    if (!loadParameterFile(ws, ctx.window, path)) return false;
    ws.loadedParameterFile = path;
    showLoadedSettings(ctx);
    return true;
}

bool runOpenParameterFile(Context& ctx) {
    Workspace& ws = ctx.ws;
    ws.loadedParameterFile.clear();
    if (!ws.batchMode) {
        auto chosen = ctx.window.askOpenFile(" load vyp file", "VYP (*.vyp)", "*.vyp");
        if (!chosen) return false;
        ws.parameterFilePath = chosen->string();
        platform::changeDirectory(platform::folderOf(ws.parameterFilePath));
    }
    return loadParameterFile(ctx, std::string(ws.parameterFilePath));
}

void runSaveParameterFile(Context& ctx) {
    saveParameterFile(ctx.ws, ctx.model, ctx.window, ctx.ws.modelPathStem, ctx.ws.vbMode);
}

}  // namespace nimbrel
