#include "app/layout_apply.h"

#include <string>

#include "app/control_table.h"
#include "app/toggles.h"
#include "core/text_format.h"

namespace nimbrel {

namespace {

// The count fields take seven characters.
constexpr std::uint32_t kLargestTypedCount = 9'999'999;

// A user's click: nothing on a disabled control, a check box ticks itself first.
bool click(Context& ctx, int id) {
    Window& w = ctx.window;
    if (!w.isEnabled(id)) return false;
    const ControlSpec* control = findControl(id);
    if (control && control->kind == ControlKind::CheckBox) w.setChecked(id, !w.isChecked(id));
    w.sendCommand(static_cast<std::uint32_t>(id));
    return true;
}

bool clickUnless(Context& ctx, bool matches, int id) { return matches || click(ctx, id); }

void typeStepFields(Window& w, const LayoutSettings& s) {
    w.setText(field::kFaceIndexStart, hexText(s.faceIndexStart));
    w.setText(field::kFaceIndexCnt, std::to_string(s.faceIndexCnt));
    w.setText(field::kFaceGap, std::to_string(s.faceGap));
    if (s.vbMode) {
        w.setText(field::kFvfSize, std::to_string(s.fvfSize));
        w.setText(field::kUvPos, std::to_string(s.uvPos));
        w.setText(field::kUvBlockStart, hexText(s.uvBlockStart));
        w.setText(field::kUvBlockSize, std::to_string(s.uvBlockSize));
    } else {
        w.setText(field::kFvfSize, hexText(s.uvBlockStart));
    }
    w.setText(field::kVertexStart, hexText(s.vertexStart));
    w.setText(field::kVertsCnt, std::to_string(s.vertsCnt));
}

bool selectFormat(Context& ctx, VertexFormat format) {
    const int index = static_cast<int>(format);
    ctx.window.selectItem(cmd::kFormatCombo, index);
    ctx.window.sendCommand(static_cast<std::uint32_t>(cmd::kFormatCombo) | std::uint32_t{cmd::kSelectionChanged} << 16);
    return ctx.ws.vertexFormat == format;
}

}  // namespace

std::optional<std::string_view> unfitForFields(const LayoutSettings& s) {
    if (s.faceIndexCnt == 0 || s.faceIndexCnt > kLargestTypedCount) return "face index count outside 1..9999999";
    if (s.vertsCnt == 0 || s.vertsCnt > kLargestTypedCount) return "vertex count outside 1..9999999";
    if (s.indexSize != 2 && s.indexSize != 4) return "index size other than 2 or 4";
    if (s.faceVertexCount != 3 && s.faceVertexCount != 4) return "faces of other than 3 or 4 corners";
    if (static_cast<int>(s.vertexFormat) > static_cast<int>(VertexFormat::ShortAll)) return "unknown vertex format";
    if (s.vbMode) {
        if (s.fvfSize < 6) return "FVF size below 6";
        if (s.uvPos < 6 || s.uvPos > 250) return "UV pos outside 6..250";
        if (s.uvBlockSize < 4) return "UV block size below 4";
        if (s.uvPos != kNoUvInRecord && s.uvBlockSize != kNoUvBlock) return "UVs both in the records and in a block";
    }
    if (s.uvDivisor != kWordUvDivisor64k && s.uvDivisor != kWordUvDivisor8k)
        return "UV divisor other than 65536 or 8192";
    return std::nullopt;
}

std::optional<std::string_view> unfitForParameterFile(const LayoutSettings& s) {
    if (auto reason = unfitForFields(s)) return reason;
    if (s.faceGap != 0) return "a parameter file holds no face gap";
    if (s.faceVertexCount != 3) return "a parameter file holds no quads";
    if (s.relFI) return "a parameter file holds no RelFI";
    if (s.uvDivisor != kWordUvDivisor64k) return "a parameter file holds no w/8k";
    if (s.uvGap) return "a parameter file holds no UV gap";
    if (!s.signedShorts) return "a parameter file holds no unsigned shorts";
    return std::nullopt;
}

bool applyLayout(Context& ctx, const LayoutSettings& s) {
    Workspace& ws = ctx.ws;
    if (ctx.model.size() == 0 || unfitForFields(s)) return false;
    typeStepFields(ctx.window, s);
    // Only word formats enable the divisor toggle: it is set before the format where the
    // current one allows, else after it.
    if (ws.uvDivisor != s.uvDivisor && ctx.window.isEnabled(cmd::kUvDivisor)) click(ctx, cmd::kUvDivisor);
    if (!selectFormat(ctx, s.vertexFormat)) return false;
    // A face-index layout: neither point cloud nor fake faces.
    for (int i = 0; i < 2 && ws.ptCldMode != 0; ++i)
        if (!click(ctx, cmd::kPointCloud)) return false;
    // Strip before RelFI: turning strips on clears and disables RelFI.
    const bool toggled = clickUnless(ctx, ws.bigEndian == s.bigEndian, cmd::kByteOrder) &&
                         clickUnless(ctx, ws.indexSize == s.indexSize, cmd::kIndexSize) &&
                         clickUnless(ctx, ws.stripMode == s.stripMode, cmd::kStrips) &&
                         clickUnless(ctx, ws.ffffSeparator == s.ffffSeparator, cmd::kRestartMarker) &&
                         clickUnless(ctx, ws.faceVertexCount == s.faceVertexCount, cmd::kQuads) &&
                         clickUnless(ctx, ws.relFI == s.relFI, cmd::kRelFI) &&
                         clickUnless(ctx, ws.uvGap == s.uvGap, cmd::kUvGap) &&
                         clickUnless(ctx, ws.signedShorts == s.signedShorts, cmd::kUnsignedShorts) &&
                         clickUnless(ctx, ws.uvDivisor == s.uvDivisor, cmd::kUvDivisor);
    if (!toggled) return false;
    // The VB/seq toggle lays out step 2 from the fields just typed; without a change of
    // mode the same layout is applied, so the UV block fields' states match UV pos.
    if (ws.vbMode != s.vbMode) return click(ctx, cmd::kVbSeq) && ws.vbMode == s.vbMode;
    return applyVbSeqLayout(ctx);
}

}  // namespace nimbrel
