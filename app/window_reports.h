#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/window.h"
#include "core/model_buffer.h"
#include "core/workspace.h"
#include "params/field_report.h"

namespace nimbrel {

// The field checks, parameter files and the model loader compute and report; these run
// them on the window's fields and show what they report, in its order.

/// The control that holds a step field.
int fieldId(StepField field);
/// The step fields as they stand in the window.
StepTexts typedStepTexts(const Window& window);
/// Puts the report's field texts, results-list lines and messages into the window in order.
void showReport(Window& window, const FieldReport& report);

bool readStepOneFields(Workspace& ws, const ModelBuffer& model, Window& window);
bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, Window& window, bool vbMode);
bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, Window& window, bool plus, bool minus);
bool readTableStart(Workspace& ws, const ModelBuffer& model, Window& window);
bool checkVertexCount(const Workspace& ws, Window& window);

bool loadParameterFile(Workspace& ws, Window& window, const std::string& path);
bool saveParameterFile(Workspace& ws, const ModelBuffer& model, Window& window, std::string_view modelPathStem,
                       bool vbMode);
bool parseCodestring(Workspace& ws, Window& window, std::string_view codestring, bool sixNumerals);

/// Loads the model file; on failure shows why and returns 0.
std::uint32_t loadModelFile(ModelBuffer& model, const std::string& path, Window& window);

}  // namespace nimbrel
