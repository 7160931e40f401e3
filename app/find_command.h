#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "core/model_buffer.h"

namespace nimbrel {

struct FindCommandOptions {
    std::string modelPath;
    std::size_t top = 10;
    std::uint64_t minTriangles = 8;
    bool json = false;
    /// Save the best layout of each index block as the model's next parameter file.
    bool saveParameterFiles = false;
};

/// nimbrel-cli find: opens the model as the window does, scans it for layouts and
/// writes them best first (text, or one JSON document), optionally as parameter files.
/// 0 when the model was scanned, 1 when it could not be read.
int runFindCommand(std::ostream& out, std::ostream& err, ModelBuffer& model, const std::string& appDir,
                   const FindCommandOptions& options);

}  // namespace nimbrel
