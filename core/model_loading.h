#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/model_buffer.h"

namespace nimbrel {

struct ModelLoad {
    /// Bytes loaded; 0 on failure.
    std::uint32_t size;
    /// Not empty on failure: the message to show.
    std::string_view failure;
};

/// Copies the file that path names (wildcards allowed, first match) into the model
/// buffer. The buffer's size is set either way (0 on failure).
ModelLoad loadModelFile(ModelBuffer& model, const std::string& path);

/// path without everything from its last "." (directory part included).
std::string pathStem(const std::string& path);

/// True when path contains ".VYP" or ".vyp" (other case mixtures pass).
bool containsParameterFileExtension(const std::string& path);

}  // namespace nimbrel
