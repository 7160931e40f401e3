#include "app/toggles.h"

#include <cstdlib>
#include <string>

#include "app/control_table.h"
#include "params/field_conversion.h"

namespace nimbrel {

bool applyVbSeqLayout(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    w.setText(cmd::kVbSeq, toggleCaption(ws, cmd::kVbSeq));
    if (ws.vbMode) {
        ws.uvPos = oneByteValue(w.text(field::kUvPos), 6);
        w.setLabelText(Label::step2Label1, "step 2: Vertex Block");
        w.setLabelText(Label::step2Label2, "FVFsize          UV pos");
        w.setEnabled(field::kUvPos, true);
        ws.uvBlockSize = oneByteValue(w.text(field::kUvBlockSize), 6);
        if (ws.uvBlockSize <= 3) {
            w.showMessage("error with UVsize!");
            return false;
        }
        w.setEnabled(cmd::kGo3, false);
        w.setEnabled(field::kUvBlockStart, ws.uvPos == kNoUvInRecord);
        w.setEnabled(field::kUvBlockSize, ws.uvPos == kNoUvInRecord);
    } else {
        w.setLabelText(Label::step2Label1, "step 2: start of UVs");
        w.setLabelText(Label::step2Label2, "startaddr 0x");
        w.setEnabled(field::kUvPos, false);
        if (!ws.viewerMissing) w.setEnabled(cmd::kUVs, true);
        w.setEnabled(cmd::kGo3, true);
        w.setEnabled(field::kUvBlockStart, false);
        w.setEnabled(field::kUvBlockSize, false);
    }
    w.selectItem(cmd::kFormatCombo, static_cast<int>(ws.vertexFormat));
    return true;
}

std::string_view toggleCaption(const Workspace& ws, int id) {
    switch (id) {
    case cmd::kByteOrder: return ws.bigEndian ? " bigE" : " litE";
    case cmd::kVbSeq: return ws.vbMode ? " VB " : " seq ";
    case cmd::kIndexSize: return ws.indexSize == 4 ? " DW " : "Word";
    case cmd::kStrips: return ws.stripMode ? "Strip" : "noStr";
    case cmd::kRestartMarker: return ws.ffffSeparator ? "FFFF" : "std";
    case cmd::kPointCloud: return ws.ptCldMode == 1 ? "PtCld" : ws.ptCldMode == 2 ? "Fake" : "noPtC";
    case cmd::kUvDivisor: return ws.uvDivisor == kWordUvDivisor8k ? "w/8k" : "w/64k";
    case cmd::kTable: return ws.tableLogMode ? "table" : "test";
    default: return {};
    }
}

bool runToggle(Context& ctx, int id) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    switch (id) {
    case cmd::kByteOrder:
        ws.bigEndian = !ws.bigEndian;
        w.setText(id, toggleCaption(ws, id));
        return true;
    case cmd::kVbSeq:
        ws.vbMode = !ws.vbMode;
        applyVbSeqLayout(ctx);
        return true;
    case cmd::kIndexSize:
        ws.indexSize = ws.indexSize == 2 ? 4 : 2;
        w.setText(id, toggleCaption(ws, id));
        return true;
    case cmd::kStrips:
        ws.stripMode = !ws.stripMode;
        if (ws.stripMode) {
            ws.relFI = false;
            w.setChecked(cmd::kRelFI, false);
        }
        w.setText(id, toggleCaption(ws, id));
        w.setEnabled(cmd::kRelFI, !ws.stripMode);
        return true;
    case cmd::kRestartMarker:
        ws.ffffSeparator = !ws.ffffSeparator;
        w.setText(id, toggleCaption(ws, id));
        return true;
    case cmd::kPointCloud:
        ws.ptCldMode = ws.ptCldMode < 2 ? ws.ptCldMode + 1 : 0;
        w.setText(id, toggleCaption(ws, id));
        w.setEnabled(field::kFaceIndexCnt, ws.ptCldMode == 0);
        return true;
    case cmd::kUvDivisor:
        ws.uvDivisor = ws.uvDivisor == kWordUvDivisor64k ? kWordUvDivisor8k : kWordUvDivisor64k;
        w.setText(id, toggleCaption(ws, id));
        return true;
    case cmd::kQuads:
        ws.quadsMode = !ws.quadsMode;
        ws.faceVertexCount = static_cast<std::uint8_t>(7 - ws.faceVertexCount);
        if (ws.quadsMode) w.showMessage("using quads now!");
        return true;
    case cmd::kTableTest:
        ws.tableLogMode = !ws.tableLogMode;
        ws.tableLogPath = ws.tableLogMode ? "table_log.txt" : "test.obj";
        w.setText(cmd::kTable, toggleCaption(ws, cmd::kTable));
        return true;
    case cmd::kRelFI:
        ws.relFI = !ws.relFI;
        if (ws.relFI)
            w.showMessage(
                "relative faceindices (RelFI) choosen\nFor HF_all ONLY! ('Ride')\n\n(takes no effect if "
                "minFaceIndex==1)");
        return true;
    case cmd::kUvGap:
        ws.uvGap = !ws.uvGap;
        if (ws.uvGap) w.showMessage("Two bytes offset between tx, ty.\n(not for 'Float')");
        return true;
    case cmd::kUnsignedShorts:
        ws.signedShorts = !ws.signedShorts;
        if (!ws.signedShorts) w.showMessage("Vertices treated as unsigned shorts now.\n(Floats & HF not affected)");
        return true;
    default:
        return false;
    }
}

}  // namespace nimbrel
