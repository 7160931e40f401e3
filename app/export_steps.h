#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/context.h"

namespace nimbrel {

/// What every submesh export runs before it writes: the step-field reads, the block
/// checks, the UV-start warning and the vertex-count rule (corrected in a batch run).
/// False after the message that stopped it.
bool prepareSubmeshExport(Context& ctx);

/// The next submesh file: MODEL_N with the count marks, ending in extension. Takes the
/// suspect-count mark, which belongs to this one file.
std::string submeshFileName(Workspace& ws, std::string_view extension);

/// prepareSubmeshExport, then the name of the file to write: nothing after the message
/// that stopped it, "exists!" when a file of that name is there.
std::optional<std::string> nextSubmeshFile(Context& ctx, std::string_view extension);

/// The chain run of "SaveAs &Mmesh": its hint, the parameter-file dialog, the search for
/// the chain's files, and for each file that loads (in batch mode) its progress line and
/// perFile; then the count line or the search error.
void runParameterChain(Context& ctx, const std::function<void()>& perFile);

}  // namespace nimbrel
