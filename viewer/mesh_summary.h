#pragma once

#include "viewer/obj_parser.h"

#include <string>

namespace nimbrel {

/// One line for the window title and the snapshot report: the vertex, face and skipped
/// counts (with the first skipped line) and the bounding box.
std::string describeMesh(const ObjMesh& mesh);

} // namespace nimbrel
