#pragma once

#include "viewer/obj_parser.h"

#include <QString>

#include <string>

namespace nimbrel {

/// Renders the mesh in its default, fitted view into a PNG of width × height pixels,
/// without a window. Needs a QGuiApplication on a platform with OpenGL. False with one
/// message in error.
bool renderSnapshot(const ObjMesh& mesh, int width, int height, const QString& pngPath,
                    std::string& error);

} // namespace nimbrel
