#include "app/window_reports.h"

#include <array>
#include <cstddef>

#include "core/model_loading.h"
#include "params/parameter_file.h"
#include "params/step_fields.h"
#include "params/vertex_count.h"

namespace nimbrel {

namespace {

// In the order of StepField.
constexpr std::array<int, kStepFieldCount> kFieldIds = {
    field::kFaceIndexStart, field::kFaceIndexCnt, field::kFvfSize,      field::kUvPos,    field::kVertexStart,
    field::kVertsCnt,       field::kUvBlockStart, field::kUvBlockSize, field::kFaceGap, field::kVertexStep,
};

// Runs a step and shows its report; the step's answer passes through.
template <class Step>
bool reported(Window& window, Step step) {
    FieldReport report;
    const bool ok = step(report);
    showReport(window, report);
    return ok;
}

// The same for a check on the typed fields.
template <class Check>
bool shown(Window& window, Check check) {
    return reported(window, [&](FieldReport& r) { return check(typedStepTexts(window), r); });
}

}  // namespace

int fieldId(StepField field) { return kFieldIds[static_cast<std::size_t>(field)]; }

StepTexts typedStepTexts(const Window& window) {
    StepTexts typed;
    for (std::size_t i = 0; i < kStepFieldCount; ++i) typed.texts[i] = window.text(kFieldIds[i]);
    return typed;
}

void showReport(Window& window, const FieldReport& report) {
    for (const FieldReport::Note& note : report.notes) {
        switch (note.kind) {
        case FieldReport::Kind::Field: window.setText(fieldId(note.field), note.text); break;
        case FieldReport::Kind::Line: window.addResult(note.text); break;
        case FieldReport::Kind::Message: window.showMessage(note.text); break;
        }
    }
}

bool readStepOneFields(Workspace& ws, const ModelBuffer& model, Window& window) {
    return shown(window, [&](const StepTexts& typed, FieldReport& r) { return readStepOneFields(ws, model, typed, r); });
}

bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, Window& window, bool vbMode) {
    return shown(window,
                 [&](const StepTexts& typed, FieldReport& r) { return readStepTwoFields(ws, model, typed, r, vbMode); });
}

bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, Window& window, bool plus, bool minus) {
    return shown(window, [&](const StepTexts& typed, FieldReport& r) {
        return readStepThreeFields(ws, model, typed, r, plus, minus);
    });
}

bool readTableStart(Workspace& ws, const ModelBuffer& model, Window& window) {
    return shown(window, [&](const StepTexts& typed, FieldReport& r) { return readTableStart(ws, model, typed, r); });
}

bool checkVertexCount(const Workspace& ws, Window& window) {
    return shown(window, [&](const StepTexts& typed, FieldReport& r) { return checkVertexCount(ws, typed, r); });
}

bool loadParameterFile(Workspace& ws, Window& window, const std::string& path) {
    // A load replaces the fields; what they held is never read.
    return reported(window, [&](FieldReport& r) { return loadParameterFile(ws, r, path); });
}

bool saveParameterFile(Workspace& ws, const ModelBuffer& model, Window& window, std::string_view modelPathStem,
                       bool vbMode) {
    return shown(window, [&](const StepTexts& typed, FieldReport& r) {
        return saveParameterFile(ws, model, typed, r, modelPathStem, vbMode);
    });
}

bool parseCodestring(Workspace& ws, Window& window, std::string_view codestring, bool sixNumerals) {
    return reported(window, [&](FieldReport& r) { return parseCodestring(ws, r, codestring, sixNumerals); });
}

std::uint32_t loadModelFile(ModelBuffer& model, const std::string& path, Window& window) {
    const ModelLoad load = loadModelFile(model, path);
    if (!load.failure.empty()) window.showMessage(load.failure);
    return load.size;
}

}  // namespace nimbrel
