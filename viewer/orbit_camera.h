#pragma once

#include "viewer/obj_parser.h"

#include <QMatrix4x4>
#include <QVector3D>

namespace nimbrel {

/// A perspective camera circling a target point: yaw about the vertical axis, then pitch.
class OrbitCamera {
public:
    static constexpr float kFieldOfViewDegrees = 40.0f;

    /// Frames the mesh's box in a viewport of this aspect (width / height). With
    /// resetDirection the view also turns to the default: straight down -z onto a mesh
    /// that is flat in z (a UV layout), otherwise from front-right-above.
    void fit(const ObjMesh& mesh, float aspect, bool resetDirection);

    /// Turns by a mouse move in pixels.
    void orbit(float dx, float dy);
    /// Moves the target so the scene follows a mouse move in a viewport this many pixels high.
    void pan(float dx, float dy, int viewportHeight);
    /// Positive steps move closer (one step per wheel notch).
    void zoom(float steps);

    QMatrix4x4 view() const;
    QMatrix4x4 projection(float aspect) const;

private:
    QVector3D target_;
    QVector3D sceneCenter_;
    float sceneRadius_ = 1.0f;
    float distance_ = 3.0f;
    float yawDegrees_ = 0.0f;
    float pitchDegrees_ = 0.0f;
};

} // namespace nimbrel
