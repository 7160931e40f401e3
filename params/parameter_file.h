#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/model_buffer.h"
#include "core/workspace.h"
#include "params/field_report.h"

namespace nimbrel {

/// Highest number a parameter file name may carry (3000 files: _0 to _2999).
inline constexpr std::uint32_t kLastParameterFileNumber = 2999;

/// stem + "_" + number + ".vyp": the name of parameter file number `number` of a model.
std::string parameterFileName(std::string_view modelPathStem, std::uint32_t number);

/// Re-reads and checks the step fields, then writes them with the toggles as the next
/// numbered parameter file (six lines and an empty line) and advances
/// parameterFileCounter. Never replaces a file. True when a complete file was written;
/// false after exactly one message (counter past 2999, name taken, fields invalid, file
/// not creatable or not writable). A failed save leaves no file behind.
bool saveParameterFile(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                       std::string_view modelPathStem, bool vbMode);

/// Reads the parameter file at path into the step fields (face index start and count,
/// FVF size or UV start, UV pos, vertex start and count, and the UV block in the six-numeral
/// form), vbMode and the codestring settings. False after exactly one message; fields
/// read before the failure keep their new texts and vbMode is restored.
/// A negative count becomes 0 with the line " cnt in VYP is negative!". What the window
/// must show goes into report, in order.
bool loadParameterFile(Workspace& ws, FieldReport& report, const std::string& path);

/// Applies a codestring: bigEndian, indexSize, stripMode, vertexFormat and, in the
/// six-numeral form, ffffSeparator and reservedCodeFlag. Each setting is stored as its
/// numeral passes; false after the message of the first numeral rejected.
bool parseCodestring(Workspace& ws, FieldReport& report, std::string_view codestring, bool sixNumerals);

}  // namespace nimbrel
