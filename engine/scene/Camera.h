#pragma once
#include <cstdint>

#include "engine/core/Matrix4.h"
#include "engine/scene/Node.h"
#include "engine/scene/Plane.h"

namespace zen {

// The eye the scene is drawn from ("ZEN.Camera"): a node that looks along its world forward
// axis (rotation row 2), with row 1 up and row 0 right. After each update it holds its
// left-handed perspective projection, its view matrix and their product, and the six
// world-space planes of its view volume (normals inward) that culling tests; the active-plane
// mask records which planes a subtree still has to test.
class Camera : public Node {
    ZEN_DECLARE_CLASS

public:
    enum PlaneIndex : uint32_t { kNear = 0, kFar, kLeft, kRight, kTop, kBottom, kPlaneCount };
    static constexpr uint32_t kAllPlanes = 0x3F;
    static constexpr float kDefaultFov = 0.7853982f;  // pi / 4

    Camera();

    // Node: controllers, world transform, then UpdateMatrices.
    void Update(double time) override;

    // Projection, view, view-projection and planes, in that order. The aspect (width / height)
    // comes from the current renderer's viewport; without a renderer or with an empty viewport
    // the last aspect stays (4:3 at first). Parameters that give no volume (fov outside
    // (0, pi), near <= 0, far <= near, or not finite) leave matrices and planes as they were.
    void UpdateMatrices();
    void UpdateMatrices(float aspect);
    // Takes `view` and `projection` as they are (a mirrored view, an oblique near plane) and
    // derives the view-projection and the planes from them; the next UpdateMatrices replaces
    // them. Render-to-texture passes set them for their draw and put the old ones back. With
    // `cullingProjection` the planes come from it instead (an oblique near plane tilts the far
    // plane of its projection, which would cull what is plainly in view).
    void SetMatrices(const Matrix4& view, const Matrix4& projection, const Matrix4* cullingProjection = nullptr);
    // Replaces one culling plane (world space, normal inward) until the matrices change again:
    // a water surface as the near plane of a reflection.
    void SetPlane(uint32_t index, const Plane& plane);

    // Turns the camera to look along `direction` (Transform::LookRotation) by setting its local
    // rotation; the transform's flags are cleared. kInvalidArgument for a zero direction.
    Result SetDirection(const Vector3& direction);

    // Fixed matrices (screen overlays and text): from now on every update keeps `view` and
    // `projection` instead of deriving them from the frustum and the world transform, and only
    // the culling planes are derived again, from their product. Calling it again replaces them.
    void SetFixedMatrices(const Matrix4& view, const Matrix4& projection);
    bool HasFixedMatrices() const { return m_fixed; }
    // The orthographic projection of screen overlays: (0, 0) at the bottom left to (1, 1) at the
    // top right onto the whole clip square, z unchanged.
    static Matrix4 ScreenProjection();

    // Projection parameters: vertical field of view (radians) and plane distances.
    float Fov() const { return m_fov; }
    float Near() const { return m_near; }
    float Far() const { return m_far; }
    void SetFrustum(float fov, float nearDistance, float farDistance);
    float Aspect() const { return m_aspect; }

    // Results of the last UpdateMatrices
    const Matrix4& Projection() const { return m_projection; }
    const Matrix4& View() const { return m_view; }
    const Matrix4& ViewProjection() const { return m_viewProjection; }
    const Plane& GetPlane(uint32_t index) const { return m_planes[index < kPlaneCount ? index : 0]; }

    // Culling mask: bit 32 is the near plane down to bit 1 for the bottom (Node::PlaneBit).
    // The renderer sets all bits when it makes the camera current.
    uint32_t ActivePlanes() const { return m_activePlanes; }
    void SetActivePlanes(uint32_t mask) { m_activePlanes = mask & kAllPlanes; }
    void ResetActivePlanes() { m_activePlanes = kAllPlanes; }

    // World-space eye position and axes (from the world transform).
    Vector3 Position() const { return m_world.translation; }
    Vector3 Right() const { return m_world.Right(); }
    Vector3 Up() const { return m_world.Up(); }
    Vector3 Forward() const { return m_world.Forward(); }

    // Stream: fov, near, far. Matrices are not stored; the next update computes them.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    float m_fov = kDefaultFov;
    float m_near = 0.1f;
    float m_far = 10000.0f;
    float m_aspect = 4.0f / 3.0f;     // Width / height of the viewport last seen.
    Plane m_planes[kPlaneCount];      // World space, normals inward.
    Matrix4 m_projection;
    Matrix4 m_view;
    Matrix4 m_viewProjection;         // view * projection
    uint32_t m_activePlanes = kAllPlanes;
    bool m_fixed = false;             // SetFixedMatrices was called: updates keep the matrices.
};

}  // namespace zen
