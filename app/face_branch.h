#pragma once

#include <cstdint>

#include "app/context.h"
#include "core/text_out.h"
#include "faces/face_index_pass.h"
#include "faces/face_mode.h"

namespace nimbrel {

/// One pass over the face-index block by its branch: the list or plain strip layout, or
/// strips with restart markers. slash writes every list or plain-strip index as i/i;
/// written restart-strip triangles always take that form; a listing of strips that were
/// rejected asks for another start or count. False when the block reaches past the model
/// end; the pass has said so and the command must stop.
bool runFacePass(Context& ctx, TextOut* out, FaceMode mode, bool slash);

/// Keeps what a face pass measured where the later steps read it (minFaceIndex,
/// maxFaceIndex, maxFaceAddress). A block past the model end instead gets "EOF
/// met!\nfaceIndexCnt reduced" and the offered count in field 3; false then.
bool keepFacePass(Workspace& ws, Window& window, const FacePassResult& pass);
/// The refusal of a face block past the model end; always false, so a command returns it.
bool showFaceBlockPastEnd(Window& window, std::uint64_t indicesThatFit);
void keepFaceRange(Workspace& ws, const FaceIndexRange& range);

/// Fake faces at the end of out (FIs.txt, or generated in stripMode's form), with the
/// hint the first time a run generates them and a message for a FIs.txt cut short.
void addFakeFaces(Workspace& ws, Window& window, TextOut& out, std::uint32_t vertexCount, bool slash);

/// HF_all records with relFI are read from the record the smallest face index names, a
/// start known only after the face scan. Checks that shifted block (VB mode); false after
/// the end-of-file message.
bool shiftedRecordsFit(Context& ctx);

}  // namespace nimbrel
