// Fuzz harness: the mesh viewer's OBJ parser on any bytes, with the promises its renderer
// relies on checked.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "viewer/obj_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    ObjMesh mesh = parseObj(std::string_view(reinterpret_cast<const char*>(data), size));
    if (mesh.positions.size() % 3 != 0 || mesh.triangles.size() % 3 != 0) std::abort();
    for (std::uint32_t index : mesh.triangles) {
        // Triangles name only vertices that exist and hold finite numbers.
        if (index >= mesh.vertexCount()) std::abort();
        for (int axis = 0; axis < 3; ++axis)
            if (!std::isfinite(mesh.positions[std::size_t{index} * 3 + axis])) std::abort();
    }
    if (mesh.skippedCount == 0 && mesh.firstSkippedLine != 0) std::abort();
    if (mesh.skippedCount != 0 && mesh.firstSkippedLine == 0) std::abort();
    if (mesh.hasBounds)
        for (int axis = 0; axis < 3; ++axis)
            if (!(mesh.boundsMin[axis] <= mesh.boundsMax[axis])) std::abort();
    return 0;
}
