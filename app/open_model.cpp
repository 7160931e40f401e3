#include <string>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/window_reports.h"
#include "core/model_loading.h"
#include "core/text_format.h"
#include "platform/files.h"

namespace nimbrel {

bool openModelFile(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    if (!ws.batchMode) {
        ws.modelPath.clear();
        auto chosen = w.askOpenFile(" load a model file", "All Files (*.*)", "*.*");
        if (!chosen) {
            ws.modelPath = "unknown";
            return false;
        }
        ws.modelPath = chosen->string();
        platform::changeDirectory(platform::folderOf(ws.modelPath));
    }
    ws.modelPathStem = ws.modelPath;
    if (containsParameterFileExtension(ws.modelPath)) {
        w.showMessage(".VYP is not a model file!");
        return false;
    }
    ws.modelPathStem = pathStem(ws.modelPath);
    if (loadModelFile(ctx.model, ws.modelPath, w) == 0) {
        w.showMessage("the file is empty!");
        return false;
    }
    ws.submeshCounter = 0;
    ws.parameterFileCounter = 0;
    for (int menuId : {cmd::kSubmeshExport, cmd::kChainExport, cmd::kGltfExport, cmd::kGltfChainExport,
                       cmd::kSaveParameterFile, cmd::kFindLayouts, cmd::kCheckLayout})
        w.setEnabled(menuId, true);
    for (int id : {cmd::kGo1, cmd::kGo2, cmd::kGo3, cmd::kVbSeq, cmd::kTable}) w.setEnabled(id, true);
    if (!ws.viewerMissing)
        for (int id : {cmd::kMesh, cmd::kMinus, cmd::kPlus, cmd::kUVs}) w.setEnabled(id, true);
    w.setLabelText(Label::firstByteLabel, "0x" + hexText(ctx.model.byteAt(0)));
    return true;
}

void runOpenModel(Context& ctx) {
    if (openModelFile(ctx))
        for (int id : {cmd::kGo1, cmd::kGo2, cmd::kGo3}) ctx.window.setEnabled(id, true);
    ctx.window.setHorizontalExtent(field::kResultsList, 0);
}

}  // namespace nimbrel
