#include "viewer/mesh_summary.h"

#include <cstdio>

namespace nimbrel {
namespace {

std::string counted(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string point(const float* xyz) {
    char text[96];
    std::snprintf(text, sizeof text, "(%g %g %g)", xyz[0], xyz[1], xyz[2]);
    return text;
}

} // namespace

std::string describeMesh(const ObjMesh& mesh) {
    std::string line = counted(mesh.vertexCount(), "vertex", "vertices") + ", " +
                       counted(mesh.faceCount, "face", "faces");
    if (mesh.uvCount > 0) line += ", " + counted(mesh.uvCount, "UV", "UVs");
    line += ", " + std::to_string(mesh.skippedCount) + " skipped";
    if (mesh.skippedCount > 0) {
        line += " (first: line " + std::to_string(mesh.firstSkippedLine) + ")";
    }
    if (mesh.hasBounds) {
        line += ", box " + point(mesh.boundsMin) + " to " + point(mesh.boundsMax);
    }
    return line;
}

} // namespace nimbrel
