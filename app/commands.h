#pragma once

#include <optional>
#include <string>

#include "app/context.h"

namespace nimbrel {

/// Which way " mesh" moves the vertex start before it reads it: "+" and "-" shift it by
/// one record for that run only.
enum class VertexShift : std::uint8_t { None, Up, Down };

// Command handlers the dispatcher calls. Each reads and checks its own fields and shows
// at most one message per failure.

void runGo1(Context& ctx);              // 9
void runGo2(Context& ctx);              // 10
void runGo3(Context& ctx);              // 11
void runTutorial(Context& ctx);         // 15
void runMesh(Context& ctx, VertexShift shift);  // 16, and for "+" / "-"
void runUVs(Context& ctx);              // 17
void runTable(Context& ctx);            // 24
/// 9072: the chain run exporting each file that loads; how many loaded.
int runChainExport(Context& ctx);
/// 9074: asks for a parameter file (in batch mode takes ws.parameterFilePath) and loads
/// it. True when it loaded.
bool runOpenParameterFile(Context& ctx);
void runGltfChainExport(Context& ctx);  // 9083
void runSaveParameterFile(Context& ctx);  // 9075
void runFileList(Context& ctx);         // 9999

/// Loads the parameter file at path into the fields and toggles and lays out step 2 for
/// it. True when the file loaded, also when the step-2 read after it then failed with
/// its message; false after the message of the load's fault.
bool loadParameterFile(Context& ctx, const std::string& path);

/// The OBJ submesh export: the file it wrote, or nothing after the message that said why
/// not.
std::optional<std::string> exportSubmesh(Context& ctx);
/// The .glb submesh export, likewise.
std::optional<std::string> exportGltf(Context& ctx);

/// "&Open...": the model-open command, with its enabling.
void runOpenModel(Context& ctx);
/// Asks for (or in batch mode takes) a model path, loads it and enables the step
/// commands. True when a model was loaded.
bool openModelFile(Context& ctx);

/// Dispatches one command word (id in the low 16 bits, notification code above).
void dispatchCommand(Context& ctx, std::uint32_t commandWord);

}  // namespace nimbrel
