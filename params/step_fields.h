#pragma once

#include "core/model_buffer.h"
#include "core/panel.h"
#include "core/workspace.h"

namespace nimbrel {

// Each reader converts its fields into the Workspace as it goes (nothing is rolled back)
// and returns false after showing exactly one message; the calling command then stops.

/// Fields 2, 3 and 32: face-index start, count and face gap (written back modulo 256).
bool readStepOneFields(Workspace& ws, const ModelBuffer& model, Panel& panel);
/// Fields 4, 5, 30 and 31 for the given vbMode: FVF size, UV pos, UV block start and size.
bool readStepTwoFields(Workspace& ws, const ModelBuffer& model, Panel& panel, bool vbMode);
/// Fields 6 and 7; plus or minus moves the vertex start by field 33 first ("+" wins).
bool readStepThreeFields(Workspace& ws, const ModelBuffer& model, Panel& panel, bool plus, bool minus);
/// Field 4 as the table log's line width (unchecked) and field 2 as its start.
bool readTableStart(Workspace& ws, const ModelBuffer& model, Panel& panel);
/// Field 7 against the last pass's maxFaceIndex (or rVC with relFI); on a mismatch adds
/// the expected count to the results list and explains.
bool checkVertexCount(const Workspace& ws, Panel& panel);

}  // namespace nimbrel
