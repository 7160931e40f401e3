#pragma once

#include "core/model_buffer.h"
#include "core/workspace.h"
#include "params/field_report.h"

namespace nimbrel {

// Each reader converts the typed texts into the Workspace as it goes (nothing is rolled
// back) and returns false after putting exactly one message into report; the calling
// command shows the report and stops.

/// Fields 2, 3 and 32: face-index start, count and face gap (written back modulo 256).
bool readStepOneFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report);
/// Fields 4, 5, 30 and 31 for the given vbMode: FVF size, UV pos, UV block start and size.
bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                       bool vbMode);
/// Fields 6 and 7; plus or minus moves the vertex start by field 33 first ("+" wins).
bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                         bool plus, bool minus);
/// Field 4 as the table log's line width (unchecked) and field 2 as its start.
bool readTableStart(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report);

}  // namespace nimbrel
