#pragma once

#include "viewer/obj_parser.h"
#include "viewer/orbit_camera.h"

#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLShaderProgram>

#include <string>

namespace nimbrel {

/// Draws one ObjMesh with OpenGL 3.3: shaded faces lit from the eye, wireframe, or points
/// when the mesh has no faces. Every call needs the context current that initialize saw.
class MeshRenderer : protected QOpenGLFunctions_3_3_Core {
public:
    enum class Style { Shaded, Wireframe };

    /// The surface format the viewer asks for: OpenGL 3.3 core with a depth buffer.
    static QSurfaceFormat surfaceFormat();

    /// Compiles the shaders; false with one message in error when the context cannot.
    bool initialize(std::string& error);
    /// Copies the mesh to the graphics memory; the mesh may be dropped afterwards.
    void upload(const ObjMesh& mesh);
    void render(const OrbitCamera& camera, int width, int height, Style style);
    /// Frees the graphics memory; call before the context goes away.
    void release();

private:
    QOpenGLShaderProgram program_;
    GLuint vertexArray_ = 0;
    GLuint vertexBuffer_ = 0;
    GLuint indexBuffer_ = 0;
    GLsizei vertexCount_ = 0;
    GLsizei indexCount_ = 0;
};

} // namespace nimbrel
