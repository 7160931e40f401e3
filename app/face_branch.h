#pragma once

#include "app/context.h"
#include "core/text_out.h"
#include "faces/face_mode.h"

namespace nimbrel {

/// One pass over the face-index block by its branch: the list or plain strip layout, or
/// strips with restart markers. slash writes every list or plain-strip index as i/i;
/// written restart-strip triangles always take that form. False when the block
/// reaches past the model end; the pass has said so and the command must stop.
bool runFacePass(Context& ctx, TextOut* out, FaceMode mode, bool slash);

/// HF_all records with relFI are read from the record the smallest face index names, a
/// start known only after the face scan. Checks that shifted block (VB mode); false after
/// the end-of-file message.
bool shiftedRecordsFit(Context& ctx);

}  // namespace nimbrel
