#pragma once

#include "viewer/mesh_renderer.h"
#include "viewer/obj_parser.h"
#include "viewer/orbit_camera.h"

#include <QOpenGLWidget>
#include <QPoint>
#include <QString>

#include <memory>

namespace nimbrel {

/// The viewer's window: one mesh, drawn by MeshRenderer, turned and moved with the mouse.
/// W toggles the wireframe, F fits the view, Home returns to the default view.
class MeshView : public QOpenGLWidget {
public:
    explicit MeshView(QWidget* parent = nullptr);
    ~MeshView() override;

    /// Shows a new mesh. keepCamera leaves the view where the user put it (a reload);
    /// otherwise the view turns to the default direction and fits the mesh.
    void setMesh(std::shared_ptr<const ObjMesh> mesh, bool keepCamera);
    /// Text drawn over the top left corner: what was loaded, or why not.
    void setOverlay(const QString& text);

protected:
    void initializeGL() override;
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    float aspect() const;
    void fitView(bool resetDirection);

    MeshRenderer renderer_;
    OrbitCamera camera_;
    std::shared_ptr<const ObjMesh> mesh_;
    bool uploadPending_ = false;
    bool fitPending_ = false;
    bool glReady_ = false;
    MeshRenderer::Style style_ = MeshRenderer::Style::Shaded;
    QPoint lastMouse_;
    QString overlay_;
};

} // namespace nimbrel
