#include "app/commands.h"
#include "app/control_table.h"
#include "app/toggles.h"
#include "app/window_reports.h"
#include "params/parameter_file.h"
#include "platform/files.h"

namespace nimbrel {

void runOpenVyp(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    ws.parameterSetLoaded = false;
    if (!ws.batchMode) {
        auto chosen = w.askOpenFile(" load vyp file", "VYP (*.vyp)", "*.vyp");
        if (!chosen) return;
        ws.parameterFilePath = chosen->string();
        platform::changeDirectory(platform::folderOf(ws.parameterFilePath));
    }
    ws.parameterSetLoaded = loadParameterFile(ws, w, ws.parameterFilePath);
    if (!ws.parameterSetLoaded) return;

    // The loader left vbMode at the opposite of the file's digit; the toggle turns it
    // back and lays out step 2 to match.
    w.sendCommand(cmd::kVbSeq);
    w.setText(cmd::kByteOrder, toggleCaption(ws, cmd::kByteOrder));
    w.setText(cmd::kIndexSize, toggleCaption(ws, cmd::kIndexSize));
    if (ws.stripMode) {
        ws.relFI = false;
        w.setChecked(cmd::kRelFI, false);
    }
    w.setText(cmd::kStrips, toggleCaption(ws, cmd::kStrips));
    w.setEnabled(cmd::kRelFI, !ws.stripMode);
    if (static_cast<int>(ws.vertexFormat) > 2) w.setEnabled(cmd::kUvDivisor, true);
    w.setText(cmd::kRestartMarker, toggleCaption(ws, cmd::kRestartMarker));
    if (!ws.batchMode) w.clearResults();
    if (!readStepTwoFields(ws, ctx.model, w, ws.vbMode)) return;
    if (ws.uvPos != kNoUvInRecord) {
        w.setEnabled(field::kUvBlockStart, false);
        w.setEnabled(field::kUvBlockSize, false);
    }
}

void runSaveVyp(Context& ctx) { saveParameterFile(ctx.ws, ctx.model, ctx.window, ctx.ws.modelPathStem, ctx.ws.vbMode); }

}  // namespace nimbrel
