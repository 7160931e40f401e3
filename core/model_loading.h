#pragma once

#include <cstdint>
#include <string>

#include "core/model_buffer.h"
#include "core/panel.h"

namespace nimbrel {

/// Copies the file that path names (wildcards allowed, first match) into the model
/// buffer. Returns the byte count, or 0 after showing the failure. The buffer's size is
/// set either way (0 on failure).
std::uint32_t loadModelFile(ModelBuffer& model, const std::string& path, Panel& panel);

/// path without everything from its last "." (directory part included).
std::string pathStem(const std::string& path);

/// True when path contains ".VYP" or ".vyp" (other case mixtures pass).
bool containsVypExtension(const std::string& path);

}  // namespace nimbrel
