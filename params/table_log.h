#pragma once

#include <cstdint>
#include <string>

#include "core/model_buffer.h"
#include "core/text_out.h"

namespace nimbrel {

/// What a table log dumps: where, how wide each value and line is, and in which byte order.
struct TableLogSettings {
    std::string modelPath;
    std::uint32_t start = 0;
    /// 2 for a Word log, 4 for a DWord log.
    std::uint8_t indexSize = 2;
    /// The FVF size field: the model bytes one table line should cover.
    std::uint8_t lineWidth = 0;
    bool bigEndian = false;
};

/// Values on one table line: lineWidth / 2 words; lineWidth / 4 dwords when that divides
/// evenly, else lineWidth / 2 dwords.
std::uint32_t tableValuesPerLine(std::uint8_t indexSize, std::uint8_t lineWidth);

/// Writes the title, the notes and 96 table lines with an address line before every
/// sixteenth line and after the last. Only whole values inside the model are shown: at
/// the first value that would reach past the model end the table stops with a line saying
/// so, followed by the closing address line. Reports nothing and leaves out open.
void writeTableLog(TextOut& out, const ModelBuffer& model, const TableLogSettings& settings);

}  // namespace nimbrel
