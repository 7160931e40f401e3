#include "params/vertex_count.h"

#include "core/text_format.h"
#include "params/field_conversion.h"

namespace nimbrel {

namespace {

constexpr std::size_t kCountChars = 7;

// Both rules word the rVC refusal alike.
constexpr const char* kRvcRefusal =
    "Vertex count must be set to rVC\n (max face index - min face index + 1)\n\nCheck/use values in lower left "
    "listbox.\n\n(Did you start with go1? - if 'no': read the tut!)";

}  // namespace

bool checkVertexCount(const Workspace& ws, const StepTexts& typed, FieldReport& report) {
    std::uint32_t count = decimalValue(typed[StepField::VertsCnt], kCountChars);
    std::uint32_t expected = ws.relFI ? ws.maxFaceIndex + 1 - ws.minFaceIndex : ws.maxFaceIndex;
    if (count == expected) return true;
    report.addLine(format("max face index: %u (== vertex count?)", expected));
    if (ws.relFI)
        report.showMessage(kRvcRefusal);
    else
        report.showMessage(
            "Vertex count must be set to: max face index!\n\nCheck/use value in lower left listbox.\n\n(Did you start "
            "with go1? - if 'no': read the tut!)");
    return false;
}

ExportVertexCount exportVertexCount(const Workspace& ws, std::uint32_t typed) {
    const bool emptyRange = ws.relFI && ws.minFaceIndex > ws.maxFaceIndex;
    const std::uint32_t expected = !ws.relFI ? ws.maxFaceIndex : emptyRange ? 0 : ws.rVC();
    return {
        expected,
        emptyRange,
        ws.relFI ? kRvcRefusal
                 : "Vertex count must be set to maxFaceIndex!\n\nCheck/use value in lower left listbox.\n\n(Did you "
                   "start with go1? - if 'no': read the tut!)",
        ws.relFI ? "  Vertex count set to rVC!" : "  Vertex count set to maxFaceIndex!",
        static_cast<std::uint32_t>(typed * 8u) < expected,
        !ws.relFI,
    };
}

}  // namespace nimbrel
