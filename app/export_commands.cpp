#include "app/commands.h"

namespace nimbrel {

void runSubmeshExport(Context&) {}
void runChainExport(Context&) {}
void runFileList(Context&) {}

}  // namespace nimbrel
