#include "viewer/viewer_session.h"

#include "viewer/mesh_summary.h"
#include "viewer/obj_file.h"

#include <QFileInfo>

namespace nimbrel {

ViewerSession::ViewerSession(const std::string& file)
    : file_(file),
      follower_(QString::fromStdString(file)),
      server_([this] { return statusLine(); }) {
    connect(&follower_, &FileFollower::changed, this, &ViewerSession::reload);
    // Queued, so the starter's answer leaves before a long reload blocks the loop.
    connect(&server_, &HandoverServer::showRequested, this, &ViewerSession::bringToFront,
            Qt::QueuedConnection);
}

bool ViewerSession::start(const std::string& socketPath, std::string& error) {
    if (!server_.listen(socketPath, error)) return false;
    reload();
    view_.show();
    return true;
}

void ViewerSession::reload() {
    follower_.noteLoading();
    auto mesh = std::make_shared<ObjMesh>();
    std::string error;
    const QString name = QFileInfo(QString::fromStdString(file_)).fileName();
    ++loads_;
    if (!loadObjFile(file_, *mesh, error)) {
        // The last good mesh stays on screen; the file may be back in a moment.
        showSummary(name, QString::fromStdString(error));
        return;
    }
    showSummary(name, QString::fromStdString(describeMesh(*mesh)));
    const bool keepCamera = fitted_;
    fitted_ = fitted_ || mesh->hasBounds;
    mesh_ = mesh;
    view_.setMesh(mesh, keepCamera);
}

void ViewerSession::showSummary(const QString& name, const QString& summary) {
    view_.setWindowTitle(name + " \u2014 " + summary + " \u2014 mesh_viewer");
    view_.setOverlay(name + "\n" + summary + "\nW wireframe, F fit, Home default view");
}

void ViewerSession::bringToFront() {
    if (view_.isMinimized()) view_.showNormal();
    view_.show();
    view_.raise();
    view_.activateWindow();
    reload();
}

std::string ViewerSession::statusLine() const {
    std::string line = "loads " + std::to_string(loads_);
    if (mesh_) {
        line += " vertices " + std::to_string(mesh_->vertexCount()) + " faces " +
                std::to_string(mesh_->faceCount) + " skipped " + std::to_string(mesh_->skippedCount);
    }
    return line;
}

} // namespace nimbrel
