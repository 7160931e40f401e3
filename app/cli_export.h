#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/model_buffer.h"

namespace nimbrel {

/// What nimbrel-cli export writes: an OBJ or a .glb per parameter file, or one .glb for them all.
enum class ExportKind { Obj, Glb, GlbChain };

/// nimbrel-cli export: opens model in batch mode from its own folder, then loads each
/// parameter file and exports its submesh beside the model. Records go to out; the results
/// list's lines written after the last parameter file follow. 1 when a parameter file
/// failed to load or a submesh was not written, else 0.
int exportSubmeshes(std::ostream& out, ModelBuffer& model, const std::string& appDir, const std::string& modelPath,
                    const std::vector<std::string>& parameterFiles, ExportKind kind = ExportKind::Obj);

/// nimbrel-cli check: opens model and loads parameterFile as export does, then runs the
/// layout check and prints its report. 0 when the layout looks right; 1 when it does not or a file
/// failed to load.
int checkLayoutFile(std::ostream& out, ModelBuffer& model, const std::string& appDir, const std::string& modelPath,
                    const std::string& parameterFile);

/// nimbrel-cli filelist: the file-list run (command 9999) in the current folder.
int runFileListCommand(std::ostream& out, ModelBuffer& model, const std::string& appDir);

}  // namespace nimbrel
