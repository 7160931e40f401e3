#include "viewer/mesh_renderer.h"

#include <QSurfaceFormat>

#include <algorithm>
#include <limits>

namespace nimbrel {
namespace {

constexpr float kBackground[3] = {0.16f, 0.18f, 0.22f};
constexpr float kSurface[3] = {0.85f, 0.78f, 0.62f};
constexpr float kLines[3] = {0.90f, 0.90f, 0.85f};
constexpr float kPoints[3] = {0.95f, 0.85f, 0.45f};

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 modelView;
uniform mat4 projection;
out vec3 eyePosition;
void main() {
    vec4 eye = modelView * vec4(position, 1.0);
    eyePosition = eye.xyz;
    gl_Position = projection * eye;
}
)";

// The face normal comes from the screen-space derivatives of the eye-space position: one
// normal per face without a copy of every corner, which a 4-million-triangle file could not
// afford. abs() lights both sides, since extracted meshes rarely agree on their winding.
const char* const kFragmentShader = R"(#version 330 core
in vec3 eyePosition;
uniform bool shaded;
uniform vec3 color;
out vec4 fragColor;
void main() {
    if (!shaded) {
        fragColor = vec4(color, 1.0);
        return;
    }
    vec3 normal = normalize(cross(dFdx(eyePosition), dFdy(eyePosition)));
    float facing = abs(normal.z);
    fragColor = vec4(color * (0.2 + 0.8 * facing), 1.0);
}
)";

} // namespace

QSurfaceFormat MeshRenderer::surfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    return format;
}

bool MeshRenderer::initialize(std::string& error) {
    if (!initializeOpenGLFunctions()) {
        error = "OpenGL 3.3 is not available";
        return false;
    }
    if (!program_.addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) ||
        !program_.addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) ||
        !program_.link()) {
        error = "the shaders do not build: " + program_.log().toStdString();
        return false;
    }
    glGenVertexArrays(1, &vertexArray_);
    glGenBuffers(1, &vertexBuffer_);
    glGenBuffers(1, &indexBuffer_);
    return true;
}

void MeshRenderer::upload(const ObjMesh& mesh) {
    // Draw calls count in GLsizei; a mesh past that is shown up to it.
    constexpr std::size_t kMostDrawn = std::numeric_limits<GLsizei>::max() / 3 * 3;
    vertexCount_ = static_cast<GLsizei>(std::min(mesh.vertexCount(), kMostDrawn));
    indexCount_ = static_cast<GLsizei>(std::min(mesh.triangles.size(), kMostDrawn));

    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.positions.size() * sizeof(float)),
                 mesh.positions.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(mesh.triangles.size() * sizeof(std::uint32_t)),
                 mesh.triangles.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
}

void MeshRenderer::render(const OrbitCamera& camera, int width, int height, Style style) {
    glViewport(0, 0, width, height);
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (vertexCount_ == 0) return;

    glEnable(GL_DEPTH_TEST);
    program_.bind();
    const float aspect = static_cast<float>(width) / static_cast<float>(std::max(height, 1));
    program_.setUniformValue("modelView", camera.view());
    program_.setUniformValue("projection", camera.projection(aspect));
    glBindVertexArray(vertexArray_);
    if (indexCount_ == 0) {
        program_.setUniformValue("shaded", GLint{0});
        program_.setUniformValue("color", QVector3D(kPoints[0], kPoints[1], kPoints[2]));
        glPointSize(3.0f);
        glDrawArrays(GL_POINTS, 0, vertexCount_);
    } else if (style == Style::Wireframe) {
        program_.setUniformValue("shaded", GLint{0});
        program_.setUniformValue("color", QVector3D(kLines[0], kLines[1], kLines[2]));
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glDrawElements(GL_TRIANGLES, indexCount_, GL_UNSIGNED_INT, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    } else {
        program_.setUniformValue("shaded", GLint{1});
        program_.setUniformValue("color", QVector3D(kSurface[0], kSurface[1], kSurface[2]));
        glDrawElements(GL_TRIANGLES, indexCount_, GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
    program_.release();
}

void MeshRenderer::release() {
    glDeleteBuffers(1, &indexBuffer_);
    glDeleteBuffers(1, &vertexBuffer_);
    glDeleteVertexArrays(1, &vertexArray_);
    indexBuffer_ = vertexBuffer_ = vertexArray_ = 0;
    vertexCount_ = indexCount_ = 0;
    program_.removeAllShaders();
}

} // namespace nimbrel
