#include "viewer/snapshot.h"

#include "viewer/mesh_renderer.h"
#include "viewer/orbit_camera.h"

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

namespace nimbrel {

bool renderSnapshot(const ObjMesh& mesh, int width, int height, const QString& pngPath,
                    std::string& error) {
    const std::string platform = QGuiApplication::platformName().toStdString();
    QOpenGLContext context;
    context.setFormat(MeshRenderer::surfaceFormat());
    if (!context.create()) {
        error = "no OpenGL context on the '" + platform +
                "' Qt platform; a snapshot needs a display with OpenGL (try xvfb-run -a)";
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        error = "cannot use OpenGL on the '" + platform + "' Qt platform (try xvfb-run -a)";
        return false;
    }

    bool drawn = false;
    QImage image;
    {
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        QOpenGLFramebufferObject target(width, height, format);
        MeshRenderer renderer;
        if (!target.isValid()) {
            error = "cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                    " OpenGL framebuffer";
        } else if (renderer.initialize(error)) {
            target.bind();
            renderer.upload(mesh);
            OrbitCamera camera;
            camera.fit(mesh, static_cast<float>(width) / static_cast<float>(height), true);
            renderer.render(camera, width, height, MeshRenderer::Style::Shaded);
            image = target.toImage().convertToFormat(QImage::Format_RGB32);
            target.release();
            renderer.release();
            drawn = true;
        }
    }
    context.doneCurrent();
    if (!drawn) return false;
    if (!image.save(pngPath, "PNG")) {
        error = "cannot write " + pngPath.toStdString();
        return false;
    }
    return true;
}

} // namespace nimbrel
