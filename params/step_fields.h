#pragma once

#include "core/model_buffer.h"
#include "core/workspace.h"
#include "params/field_report.h"

namespace nimbrel {

// Each reader converts the typed texts into the Workspace as it goes (nothing is rolled
// back) and returns false after putting exactly one message into report; the calling
// command shows the report and stops.

/// Step 1: face-index start, count and face gap (the gap written back modulo 256).
bool readStepOneFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report);
/// Step 2 for the given vbMode: FVF size, UV pos, UV block start and size.
bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                       bool vbMode);
/// Step 3: vertex start and count; plus or minus moves the start by the vertex step first
/// ("+" wins).
bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                         bool plus, bool minus);
/// The FVF size as the table log's line width (unchecked) and the face-index start as its start.
bool readTableStart(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report);

}  // namespace nimbrel
