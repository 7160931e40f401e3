#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/context.h"

namespace nimbrel {

/// What the vertex-count rule puts in the name of the one file it judged.
struct CountMarks {
    /// "_%_": a batch run corrected a count far too small.
    bool big = false;
    /// "x": the count came from the faces or the face range was empty.
    bool suspect = false;
};

/// What every submesh export runs before it writes: the step-field reads, the block
/// checks, the UV-start warning and the vertex-count rule (corrected in a batch run).
/// The rule's marks; nothing after the message that stopped it.
std::optional<CountMarks> prepareSubmeshExport(Context& ctx);

/// The next submesh file: MODEL_N with the count marks, ending in extension.
std::string submeshFileName(const Workspace& ws, CountMarks marks, std::string_view extension);

/// prepareSubmeshExport, then the name of the file to write: nothing after the message
/// that stopped it, "exists!" when a file of that name is there.
std::optional<std::string> nextSubmeshFile(Context& ctx, std::string_view extension);

/// The chain run of "SaveAs &Mmesh": its hint, the parameter-file dialog, the search for
/// the chain's files, and for each file that loads (in batch mode) its progress line and
/// perFile; then the count line or the search error. The number of files that loaded.
int runParameterChain(Context& ctx, const std::function<void()>& perFile);

}  // namespace nimbrel
