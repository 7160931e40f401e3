#pragma once

#include "viewer/obj_parser.h"

#include <string>

namespace nimbrel {

/// Reads the whole file with one read and parses it. On failure mesh is left empty and
/// error holds one message naming the file.
bool loadObjFile(const std::string& path, ObjMesh& mesh, std::string& error);

} // namespace nimbrel
