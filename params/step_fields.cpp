#include "params/step_fields.h"

#include <string>

#include "core/text_format.h"
#include "params/field_conversion.h"

namespace nimbrel {

namespace {

constexpr std::size_t kAddressChars = 7;
constexpr std::size_t kCountChars = 7;
constexpr std::size_t kGapChars = 3;
constexpr std::size_t kByteChars = 6;
constexpr std::uint32_t kLargestVertexStep = 0xFFFF;

}  // namespace

bool readStepOneFields(Workspace& ws, const ModelBuffer& model, Panel& panel) {
    std::string start = panel.text(field::kFaceIndexStart);
    std::string count = panel.text(field::kFaceIndexCnt);
    std::string gap = panel.text(field::kFaceGap);
    if (start.empty() || count.empty()) {
        panel.showMessage("go1: all editboxes must contain a value!");
        return false;
    }
    ws.faceIndexStart = hexValue(start, kAddressChars);
    if (ws.faceIndexStart > model.size()) {
        panel.showMessage("go1: error!\n address greater than filesize");
        return false;
    }
    ws.faceIndexCnt = decimalValue(count, kCountChars);
    if (ws.faceIndexCnt == 0 && !ws.batchMode) {
        panel.showMessage("go1: error! check FaceIndexCount");
        return false;
    }
    ws.faceGap = oneByteValue(gap, kGapChars);
    panel.setText(field::kFaceGap, std::to_string(ws.faceGap));
    return true;
}

bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, Panel& panel, bool vbMode) {
    std::string fvf = panel.text(field::kFvfSize);
    std::string uvPos = panel.text(field::kUvPos);
    std::string uvStart = panel.text(field::kUvBlockStart);
    std::string uvSize = panel.text(field::kUvBlockSize);
    if (fvf.empty() || uvPos.empty()) {
        panel.showMessage("go2: all editboxes must contain a value!");
        return false;
    }
    if (!vbMode) {
        ws.uvBlockStart = hexValue(fvf, kAddressChars);
        if (ws.uvBlockStart > model.size()) {
            panel.showMessage("go2: error!\n UV address greater than filesize");
            return false;
        }
        return true;
    }
    ws.fvfSize = oneByteValue(fvf, kAddressChars);
    if (ws.fvfSize < 6) {
        panel.showMessage("go2: error!\n check FVF size [6..255]");
        return false;
    }
    ws.uvBlockSize = oneByteValue(uvSize, kByteChars);
    if (ws.uvBlockSize < 4) {
        panel.showMessage("go2: error!\n check UVBlock size [4..255]");
        return false;
    }
    ws.uvPos = oneByteValue(uvPos, kByteChars);
    if (ws.uvPos < 6 || ws.uvPos > 250) {
        panel.showMessage("go2: error!\n check UVpos [6..250]");
        return false;
    }
    if (ws.uvPos == kNoUvInRecord) {
        ws.uvBlockStart = hexValue(uvStart, kAddressChars);
        if (ws.uvBlockStart > model.size()) {
            panel.showMessage("go2: error!\n UV address greater than filesize");
            return false;
        }
        return true;
    }
    if (ws.uvBlockSize == kNoUvBlock) return true;
    panel.showMessage(
        "In mixed mode there's no uvs in VBlock!\n-> auto-Set UVpos to 99\n\nDon't want mixed-mode?\n-> set size UVB "
        "to 255");
    ws.uvPos = kNoUvInRecord;
    panel.setText(field::kUvPos, std::to_string(kNoUvInRecord));
    return true;
}

bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, Panel& panel, bool plus, bool minus) {
    std::string start = panel.text(field::kVertexStart);
    std::string count = panel.text(field::kVertsCnt);
    if (start.empty() || count.empty()) {
        panel.showMessage("go3: all editboxes must contain a value!");
        return false;
    }
    ws.vertexStart = hexValue(start, kAddressChars);
    if (plus || minus) {
        std::uint32_t step = hexValue(panel.text(field::kVertexStep), kAddressChars);
        if (step > kLargestVertexStep) {
            panel.showMessage("VertexStart offs is limited to 65535!\n(Increase v start addr to gain more.)");
            return false;
        }
        if (plus) ws.vertexStart += step;
        else if (ws.vertexStart > step) ws.vertexStart -= step;
        panel.setText(field::kVertexStart, hexText(ws.vertexStart));
    }
    if (ws.vertexStart > model.size()) {
        panel.showMessage("go3: error!\n v address greater than filesize");
        return false;
    }
    ws.vertsCnt = decimalValue(count, kCountChars);
    if (ws.vertsCnt == 0 && !ws.batchMode) {
        panel.showMessage("go3: error! VertsCount must be > 0");
        return false;
    }
    return true;
}

bool readTableStart(Workspace& ws, const ModelBuffer& model, Panel& panel) {
    ws.fvfSize = oneByteValue(panel.text(field::kFvfSize), kAddressChars);
    std::string start = panel.text(field::kFaceIndexStart);
    if (start.empty()) {
        panel.showMessage("editbox for table start must contain a value!");
        return false;
    }
    ws.faceIndexStart = hexValue(start, kAddressChars);
    if (ws.faceIndexStart > model.size()) {
        panel.showMessage("table start error!\n address greater than filesize");
        return false;
    }
    return true;
}

bool checkVertexCount(const Workspace& ws, Panel& panel) {
    std::uint32_t typed = decimalValue(panel.text(field::kVertsCnt), kCountChars);
    std::uint32_t expected = ws.relFI ? ws.maxFaceIndex + 1 - ws.minFaceIndex : ws.maxFaceIndex;
    if (typed == expected) return true;
    panel.addResult(format("max face index: %u (== vertex count?)", expected));
    if (ws.relFI)
        panel.showMessage(
            "Vertex count must be set to rVC\n (max face index - min face index + 1)\n\nCheck/use values in lower left "
            "listbox.\n\n(Did you start with go1? - if 'no': read the tut!)");
    else
        panel.showMessage(
            "Vertex count must be set to: max face index!\n\nCheck/use value in lower left listbox.\n\n(Did you start "
            "with go1? - if 'no': read the tut!)");
    return false;
}

}  // namespace nimbrel
