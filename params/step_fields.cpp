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

bool readStepOneFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report) {
    const std::string& start = typed[StepField::FaceIndexStart];
    const std::string& count = typed[StepField::FaceIndexCnt];
    const std::string& gap = typed[StepField::FaceGap];
    if (start.empty() || count.empty()) {
        report.showMessage("go1: all editboxes must contain a value!");
        return false;
    }
    ws.faceIndexStart = hexValue(start, kAddressChars);
    if (ws.faceIndexStart > model.size()) {
        report.showMessage("go1: error!\n address greater than filesize");
        return false;
    }
    ws.faceIndexCnt = decimalValue(count, kCountChars);
    if (ws.faceIndexCnt == 0 && !ws.batchMode) {
        report.showMessage("go1: error! check FaceIndexCount");
        return false;
    }
    ws.faceGap = oneByteValue(gap, kGapChars);
    report.setField(StepField::FaceGap, std::to_string(ws.faceGap));
    return true;
}

bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                       bool vbMode) {
    const std::string& fvf = typed[StepField::FvfSize];
    const std::string& uvPos = typed[StepField::UvPos];
    const std::string& uvStart = typed[StepField::UvBlockStart];
    const std::string& uvSize = typed[StepField::UvBlockSize];
    if (fvf.empty() || uvPos.empty()) {
        report.showMessage("go2: all editboxes must contain a value!");
        return false;
    }
    if (!vbMode) {
        ws.uvBlockStart = hexValue(fvf, kAddressChars);
        if (ws.uvBlockStart > model.size()) {
            report.showMessage("go2: error!\n UV address greater than filesize");
            return false;
        }
        return true;
    }
    ws.fvfSize = oneByteValue(fvf, kAddressChars);
    if (ws.fvfSize < 6) {
        report.showMessage("go2: error!\n check FVF size [6..255]");
        return false;
    }
    ws.uvBlockSize = oneByteValue(uvSize, kByteChars);
    if (ws.uvBlockSize < 4) {
        report.showMessage("go2: error!\n check UVBlock size [4..255]");
        return false;
    }
    ws.uvPos = oneByteValue(uvPos, kByteChars);
    if (ws.uvPos < 6 || ws.uvPos > 250) {
        report.showMessage("go2: error!\n check UVpos [6..250]");
        return false;
    }
    if (ws.uvPos == kNoUvInRecord) {
        ws.uvBlockStart = hexValue(uvStart, kAddressChars);
        if (ws.uvBlockStart > model.size()) {
            report.showMessage("go2: error!\n UV address greater than filesize");
            return false;
        }
        return true;
    }
    if (ws.uvBlockSize == kNoUvBlock) return true;
    report.showMessage(
        "In mixed mode there's no uvs in VBlock!\n-> auto-Set UVpos to 99\n\nDon't want mixed-mode?\n-> set size UVB "
        "to 255");
    ws.uvPos = kNoUvInRecord;
    report.setField(StepField::UvPos, std::to_string(kNoUvInRecord));
    return true;
}

bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                         bool plus, bool minus) {
    const std::string& start = typed[StepField::VertexStart];
    const std::string& count = typed[StepField::VertsCnt];
    if (start.empty() || count.empty()) {
        report.showMessage("go3: all editboxes must contain a value!");
        return false;
    }
    ws.vertexStart = hexValue(start, kAddressChars);
    if (plus || minus) {
        std::uint32_t step = hexValue(typed[StepField::VertexStep], kAddressChars);
        if (step > kLargestVertexStep) {
            report.showMessage("VertexStart offs is limited to 65535!\n(Increase v start addr to gain more.)");
            return false;
        }
        if (plus) ws.vertexStart += step;
        else if (ws.vertexStart > step) ws.vertexStart -= step;
        report.setField(StepField::VertexStart, hexText(ws.vertexStart));
    }
    if (ws.vertexStart > model.size()) {
        report.showMessage("go3: error!\n v address greater than filesize");
        return false;
    }
    ws.vertsCnt = decimalValue(count, kCountChars);
    if (ws.vertsCnt == 0 && !ws.batchMode) {
        report.showMessage("go3: error! VertsCount must be > 0");
        return false;
    }
    return true;
}

bool readTableStart(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report) {
    ws.fvfSize = oneByteValue(typed[StepField::FvfSize], kAddressChars);
    const std::string& start = typed[StepField::FaceIndexStart];
    if (start.empty()) {
        report.showMessage("editbox for table start must contain a value!");
        return false;
    }
    ws.faceIndexStart = hexValue(start, kAddressChars);
    if (ws.faceIndexStart > model.size()) {
        report.showMessage("table start error!\n address greater than filesize");
        return false;
    }
    return true;
}

}  // namespace nimbrel
