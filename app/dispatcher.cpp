#include <string>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/layout_check.h"
#include "app/toggles.h"
#include "core/text_format.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

constexpr std::string_view kAboutText =
    "Nimbrel v0.24e3\n"
    "\n"
    " the Nimbrel developers\n"
    " June 2020\n"
    "\n"
    "Use it on your\n"
    "  own risk only!\n"
    "\n"
    "credits:\n"
    " Qt, for the window and the mesh viewer\n"
    " Boost, for the strip index storage\n"
    " GoogleTest and Google Benchmark, for keeping it honest\n"
    " everyone who sent us a file nobody could read";

void selectFormat(Context& ctx, int index) {
    ctx.ws.vertexFormat = static_cast<VertexFormat>(index);
    ctx.window.setEnabled(cmd::kUvDivisor, hasWordUvs(ctx.ws.vertexFormat));
}

}  // namespace

void dispatchCommand(Context& ctx, std::uint32_t commandWord) {
    const int id = static_cast<int>(commandWord & 0xFFFF);
    const int code = static_cast<int>(commandWord >> 16);
    if (runToggle(ctx, id)) return;
    switch (id) {
    case cmd::kFormatCombo:
        if (code == cmd::kSelectionChanged) {
            int index = ctx.window.selectedItem(cmd::kFormatCombo);
            if (index >= 0 && index < static_cast<int>(formatItems().size())) selectFormat(ctx, index);
        }
        return;
    case cmd::kGo1: return runGo1(ctx);
    case cmd::kGo2: return runGo2(ctx);
    case cmd::kGo3: return runGo3(ctx);
    case cmd::kTutorial: return runTutorial(ctx);
    case cmd::kMesh: return runMesh(ctx, VertexShift::None);
    case cmd::kUVs: return runUVs(ctx);
    case cmd::kTable: return runTable(ctx);
    case cmd::kMinus: return runMesh(ctx, VertexShift::Down);
    case cmd::kPlus: return runMesh(ctx, VertexShift::Up);
    case cmd::kFIri: ctx.window.addLine(field::kInfoList, hexText(ctx.ws.maxFaceAddress)); return;
    case cmd::kAbout: ctx.window.showAbout(kAboutText); return;
    case cmd::kOpen: return runOpenModel(ctx);
    case cmd::kExit: ctx.window.postClose(); return;
    case cmd::kChainExport: runChainExport(ctx); return;
    case cmd::kSubmeshExport: exportSubmesh(ctx); return;
    case cmd::kGltfExport: exportGltf(ctx); return;
    case cmd::kGltfChainExport: return runGltfChainExport(ctx);
    case cmd::kOpenParameterFile: runOpenParameterFile(ctx); return;
    case cmd::kSaveParameterFile: return runSaveParameterFile(ctx);
    case cmd::kFileList: return runFileList(ctx);
    case cmd::kFindLayouts: return ctx.window.showLayoutFinder(ctx);
    case cmd::kCheckLayout: return runCheckLayout(ctx);
    default: return;  // lists, edit fields, labels, " CF": nothing
    }
}

}  // namespace nimbrel
