#include "params/table_log.h"

#include <cassert>

namespace nimbrel {

namespace {

constexpr int kTableLines = 96;
constexpr int kLinesPerAddress = 16;

void putWordValue(TextOut& out, const std::uint8_t* b, bool bigEndian) {
    out.print("%5d ", bigEndian ? 256 * b[0] + b[1] : b[0] + 256 * b[1]);
}

// Small values read as decimal; anything above 65535 as its eight hex digits, most
// significant byte first in either byte order.
void putDWordValue(TextOut& out, const std::uint8_t* b, bool bigEndian) {
    if (bigEndian) {
        if (b[0] == 0 && b[1] == 0) out.print("%5d ", 256 * b[2] + b[3]);
        else out.print("%02x%02x%02x%02x ", b[0], b[1], b[2], b[3]);
    } else {
        if (b[2] == 0 && b[3] == 0) out.print("%5d ", b[0] + 256 * b[1]);
        else out.print("%02x%02x%02x%02x ", b[3], b[2], b[1], b[0]);
    }
}

}  // namespace

std::uint32_t tableValuesPerLine(std::uint8_t indexSize, std::uint8_t lineWidth) {
    if (indexSize == 4 && lineWidth % 4 == 0) return lineWidth / 4u;
    return lineWidth / 2u;
}

void writeTableLog(TextOut& out, const ModelBuffer& model, const TableLogSettings& settings) {
    assert(settings.indexSize == 2 || settings.indexSize == 4);
    const bool dword = settings.indexSize == 4;
    const std::uint32_t perLine = tableValuesPerLine(settings.indexSize, settings.lineWidth);
    const std::uint64_t valueSize = settings.indexSize;

    out.print(dword ? "DWord log from %s\n\n" : "Word log from %s\n\n", settings.modelPath);
    out.print("( one line represents %d bytes in the model file )\n", perLine * valueSize);
    if (dword) {
        out.put("Values above 65535 are shown hexadecimal, below in decimal notation.\n");
        out.put("(In little endian mode hexadecimals are displayed reversed!)\n\n");
    } else {
        out.put("Values are shown in decimal notation.\n");
    }
    out.put("startaddress taken from go1 editbox\n");

    // 64-bit, so a start near 4 GiB cannot wrap back into the model.
    std::uint64_t cursor = settings.start;
    bool stopped = false;
    for (int line = 0; line < kTableLines && !stopped; ++line) {
        std::uint32_t written = 0;
        for (; written < perLine; ++written) {
            if (!model.contains(cursor, valueSize)) {
                stopped = true;
                break;
            }
            if (written == 0 && line % kLinesPerAddress == 0) out.print("address 0x%lx:\n", cursor);
            std::uint8_t bytes[4];
            model.copyOut(cursor, valueSize, bytes);
            if (dword) putDWordValue(out, bytes, settings.bigEndian);
            else putWordValue(out, bytes, settings.bigEndian);
            cursor += valueSize;
        }
        if (perLine == 0 && line % kLinesPerAddress == 0) out.print("address 0x%lx:\n", cursor);
        if (written > 0 || perLine == 0) out.put('\n');
    }
    if (stopped) out.print("the model data ends at 0x%lx: the table stops here\n", std::uint64_t{model.size()});
    out.print("address 0x%lx:\n", cursor);
}

}  // namespace nimbrel
