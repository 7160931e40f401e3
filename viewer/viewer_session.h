#pragma once

#include "viewer/file_follower.h"
#include "viewer/handover_server.h"
#include "viewer/mesh_view.h"
#include "viewer/obj_parser.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

namespace nimbrel {

/// One viewer window following one file: loads it, reloads it when it changes or when a
/// second start hands over, and keeps the camera across reloads.
class ViewerSession : public QObject {
public:
    explicit ViewerSession(const std::string& file);

    /// Takes the hand-over socket, loads the file and shows the window. False with one
    /// message in error when the socket cannot be had.
    bool start(const std::string& socketPath, std::string& error);

private:
    void reload();
    void showSummary(const QString& name, const QString& summary);
    void bringToFront();
    std::string statusLine() const;

    std::string file_;
    MeshView view_;
    FileFollower follower_;
    HandoverServer server_;
    std::shared_ptr<const ObjMesh> mesh_;
    std::uint64_t loads_ = 0;
    bool fitted_ = false;
};

} // namespace nimbrel
