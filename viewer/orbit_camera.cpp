#include "viewer/orbit_camera.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {
namespace {

constexpr float kDefaultYaw = -30.0f;
constexpr float kDefaultPitch = 20.0f;
constexpr float kFitMargin = 1.05f;
constexpr float kDegreesPerPixel = 0.4f;

float radians(float degrees) { return degrees * 3.14159265358979f / 180.0f; }

} // namespace

void OrbitCamera::fit(const ObjMesh& mesh, float aspect, bool resetDirection) {
    QVector3D low(0, 0, 0), high(0, 0, 0);
    if (mesh.hasBounds) {
        low = QVector3D(mesh.boundsMin[0], mesh.boundsMin[1], mesh.boundsMin[2]);
        high = QVector3D(mesh.boundsMax[0], mesh.boundsMax[1], mesh.boundsMax[2]);
    }
    const QVector3D extent = high - low;
    sceneCenter_ = (low + high) * 0.5f;
    target_ = sceneCenter_;
    sceneRadius_ = extent.length() * 0.5f;
    // A single point (or nothing) still needs a finite distance; the float sum may also
    // overflow for boxes near the float range.
    if (!(sceneRadius_ > 0.0f) || !std::isfinite(sceneRadius_)) {
        sceneRadius_ = std::isfinite(sceneRadius_) ? std::max(1.0f, sceneCenter_.length() * 1e-3f)
                                                   : 1e30f;
    }

    const float halfVertical = radians(kFieldOfViewDegrees) * 0.5f;
    const float halfHorizontal = std::atan(std::tan(halfVertical) * std::max(aspect, 1e-3f));
    distance_ = sceneRadius_ / std::sin(std::min(halfVertical, halfHorizontal)) * kFitMargin;

    if (resetDirection) {
        const float widest = std::max(extent.x(), extent.y());
        const bool flatInZ = extent.z() <= widest * 1e-6f;
        yawDegrees_ = flatInZ ? 0.0f : kDefaultYaw;
        pitchDegrees_ = flatInZ ? 0.0f : kDefaultPitch;
    }
}

void OrbitCamera::orbit(float dx, float dy) {
    yawDegrees_ = std::fmod(yawDegrees_ + dx * kDegreesPerPixel, 360.0f);
    pitchDegrees_ = std::clamp(pitchDegrees_ + dy * kDegreesPerPixel, -90.0f, 90.0f);
}

void OrbitCamera::pan(float dx, float dy, int viewportHeight) {
    const float worldPerPixel = 2.0f * distance_ * std::tan(radians(kFieldOfViewDegrees) * 0.5f) /
                                static_cast<float>(std::max(viewportHeight, 1));
    // The camera's right and up axes are the first two rows of the view rotation.
    const QMatrix4x4 rotation = view();
    const QVector3D right(rotation(0, 0), rotation(0, 1), rotation(0, 2));
    const QVector3D up(rotation(1, 0), rotation(1, 1), rotation(1, 2));
    target_ += (-dx * right + dy * up) * worldPerPixel;
}

void OrbitCamera::zoom(float steps) {
    distance_ = std::clamp(distance_ * std::pow(0.85f, steps), sceneRadius_ * 1e-4f, sceneRadius_ * 1e4f);
}

QMatrix4x4 OrbitCamera::view() const {
    QMatrix4x4 m;
    m.translate(0, 0, -distance_);
    m.rotate(pitchDegrees_, 1, 0, 0);
    m.rotate(yawDegrees_, 0, 1, 0);
    m.translate(-target_);
    return m;
}

QMatrix4x4 OrbitCamera::projection(float aspect) const {
    // The depth range hugs the scene so a 24-bit depth buffer keeps its precision.
    const float reach = sceneRadius_ * 1.5f + (target_ - sceneCenter_).length();
    const float nearPlane = std::max(distance_ - reach, distance_ * 1e-3f);
    const float farPlane = distance_ + reach;
    QMatrix4x4 m;
    m.perspective(kFieldOfViewDegrees, std::max(aspect, 1e-3f), nearPlane, farPlane);
    return m;
}

} // namespace nimbrel
