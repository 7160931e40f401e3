#include "viewer/mesh_view.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cstdio>

namespace nimbrel {

MeshView::MeshView(QWidget* parent) : QOpenGLWidget(parent) {
    setFormat(MeshRenderer::surfaceFormat());
    setFocusPolicy(Qt::StrongFocus);
    resize(1000, 750);
}

MeshView::~MeshView() {
    if (glReady_) {
        makeCurrent();
        renderer_.release();
        doneCurrent();
    }
}

void MeshView::setMesh(std::shared_ptr<const ObjMesh> mesh, bool keepCamera) {
    mesh_ = std::move(mesh);
    uploadPending_ = true;
    if (!keepCamera) fitPending_ = true;
    update();
}

void MeshView::setOverlay(const QString& text) {
    overlay_ = text;
    update();
}

float MeshView::aspect() const {
    return static_cast<float>(width()) / static_cast<float>(std::max(height(), 1));
}

void MeshView::fitView(bool resetDirection) {
    if (mesh_) camera_.fit(*mesh_, aspect(), resetDirection);
}

void MeshView::initializeGL() {
    std::string error;
    glReady_ = renderer_.initialize(error);
    if (!glReady_) {
        std::fprintf(stderr, "mesh_viewer: %s\n", error.c_str());
        QMessageBox::critical(this, "mesh_viewer", QString::fromStdString(error));
        return;
    }
    // The context may be new (the window was re-parented or re-shown): upload again.
    uploadPending_ = mesh_ != nullptr;
}

void MeshView::paintGL() {
    if (!glReady_) return;
    if (uploadPending_ && mesh_) {
        renderer_.upload(*mesh_);
        uploadPending_ = false;
    }
    // Fitting waits for the first paint, when the window has its real size.
    if (fitPending_) {
        fitView(true);
        fitPending_ = false;
    }
    const qreal ratio = devicePixelRatioF();
    renderer_.render(camera_, static_cast<int>(width() * ratio), static_cast<int>(height() * ratio),
                     style_);
    if (!overlay_.isEmpty()) {
        QPainter painter(this);
        const QRect area = rect().adjusted(8, 6, -8, -6);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        painter.setPen(Qt::black);
        painter.drawText(area.translated(1, 1), flags, overlay_);
        painter.setPen(QColor(235, 235, 235));
        painter.drawText(area, flags, overlay_);
    }
}

void MeshView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_W:
        style_ = style_ == MeshRenderer::Style::Shaded ? MeshRenderer::Style::Wireframe
                                                       : MeshRenderer::Style::Shaded;
        break;
    case Qt::Key_F:
        fitView(false);
        break;
    case Qt::Key_Home:
        fitView(true);
        break;
    default:
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    update();
}

void MeshView::mousePressEvent(QMouseEvent* event) {
    lastMouse_ = event->position().toPoint();
}

void MeshView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    const QPoint delta = position - lastMouse_;
    lastMouse_ = position;
    if (event->buttons() & Qt::LeftButton) {
        camera_.orbit(static_cast<float>(delta.x()), static_cast<float>(delta.y()));
    } else if (event->buttons() & (Qt::RightButton | Qt::MiddleButton)) {
        camera_.pan(static_cast<float>(delta.x()), static_cast<float>(delta.y()), height());
    } else {
        return;
    }
    update();
}

void MeshView::wheelEvent(QWheelEvent* event) {
    camera_.zoom(static_cast<float>(event->angleDelta().y()) / 120.0f);
    update();
}

} // namespace nimbrel
