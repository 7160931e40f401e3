#pragma once

#include "app/context.h"

namespace nimbrel {

// Command handlers the dispatcher calls. Each reads and checks its own fields and shows
// at most one message per failure.

void runGo1(Context& ctx);              // 9
void runGo2(Context& ctx);              // 10
void runGo3(Context& ctx);              // 11
void runTutorial(Context& ctx);         // 15
void runMesh(Context& ctx);             // 16, and for "+" / "-"
void runUVs(Context& ctx);              // 17
void runTable(Context& ctx);            // 24
void runChainExport(Context& ctx);      // 9072
void runSubmeshExport(Context& ctx);    // 9073
void runOpenVyp(Context& ctx);          // 9074
void runGltfExport(Context& ctx);       // 9082
void runGltfChainExport(Context& ctx);  // 9083
void runSaveVyp(Context& ctx);          // 9075
void runFileList(Context& ctx);         // 9999

/// "&Open...": the model-open command, with its enabling.
void runOpenModel(Context& ctx);
/// Asks for (or in batch mode takes) a model path, loads it and enables the step
/// commands. True when a model was loaded.
bool openModelFile(Context& ctx);

/// Dispatches one command word (id in the low 16 bits, notification code above).
void dispatchCommand(Context& ctx, std::uint32_t commandWord);

}  // namespace nimbrel
