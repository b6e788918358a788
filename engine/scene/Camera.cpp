#include "engine/scene/Camera.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Camera, Node, kStartupOtherClasses)

Camera::Camera() = default;

void Camera::Update(double time)
{
    Node::Update(time);
    UpdateMatrices();
}

void Camera::SetFrustum(float fov, float nearDistance, float farDistance)
{
    m_fov = fov;
    m_near = nearDistance;
    m_far = farDistance;
}

void Camera::UpdateMatrices()
{
    if (Renderer* renderer = Renderer::Current()) {
        const uint32_t width = renderer->GetViewportWidth();
        const uint32_t height = renderer->GetViewportHeight();
        if (width > 0 && height > 0)
            m_aspect = static_cast<float>(width) / static_cast<float>(height);
    }
    UpdateMatrices(m_aspect);
}

void Camera::SetFixedMatrices(const Matrix4& view, const Matrix4& projection)
{
    m_fixed = true;
    SetMatrices(view, projection);
}

Matrix4 Camera::ScreenProjection()
{
    return Matrix4::FromRows({2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 1, 0}, {-1, -1, 0, 1});
}

void Camera::UpdateMatrices(float aspect)
{
    if (m_fixed) {
        SetMatrices(m_view, m_projection);
        return;
    }
    const bool usable = std::isfinite(m_fov) && std::isfinite(m_near) && std::isfinite(m_far) && m_fov > 0 &&
                        m_fov < 3.14159265f && m_near > 0 && m_far > m_near && std::isfinite(aspect) && aspect > 0;
    if (!usable)
        return;
    m_aspect = aspect;

    // Projection: left-handed perspective. The last element is 0, so clip w is the view depth.
    const float yScale = 1.0f / std::tan(m_fov * 0.5f);
    const float xScale = yScale / aspect;
    const float q = m_far / (m_far - m_near);
    Matrix4 projection;
    projection.m[0][0] = xScale;
    projection.m[1][1] = yScale;
    projection.m[2][2] = q;
    projection.m[2][3] = 1;
    projection.m[3][2] = -q * m_near;
    projection.m[3][3] = 0;

    // View: the world into the camera's right-up-forward frame at its position.
    const Vector3 r = Right(), u = Up(), f = Forward(), p = Position();
    const Matrix4 view = Matrix4::FromRows({r.x, u.x, f.x, 0}, {r.y, u.y, f.y, 0}, {r.z, u.z, f.z, 0},
                                           {-r.Dot(p), -u.Dot(p), -f.Dot(p), 1});
    SetMatrices(view, projection);
}

void Camera::SetMatrices(const Matrix4& view, const Matrix4& projection, const Matrix4* cullingProjection)
{
    m_projection = projection;
    m_view = view;
    m_viewProjection = view * projection;
    const Matrix4 viewProjection = cullingProjection ? view * *cullingProjection : m_viewProjection;

    // Planes: the corners of the clip volume carried back into the world.
    Matrix4 inverse;
    if (!viewProjection.Inverse(inverse))
        return;  // A camera transform that squashes space: keep the last planes.
    static const Vector3 kClipCorners[8] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0},
                                            {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
    Vector3 c[8];
    for (int i = 0; i < 8; ++i)
        c[i] = inverse.TransformPoint(kClipCorners[i]);
    m_planes[kNear] = Plane::Through(c[0], c[1], c[2]);
    m_planes[kFar] = Plane::Through(c[6], c[4], c[7]);
    m_planes[kLeft] = Plane::Through(c[0], c[3], c[7]);
    m_planes[kRight] = Plane::Through(c[2], c[1], c[6]);
    m_planes[kTop] = Plane::Through(c[3], c[2], c[6]);
    m_planes[kBottom] = Plane::Through(c[1], c[0], c[5]);
    // A mirroring view turns the corners' winding round: the normals would face outward.
    const float handedness = view.m[0][0] * (view.m[1][1] * view.m[2][2] - view.m[1][2] * view.m[2][1]) -
                             view.m[0][1] * (view.m[1][0] * view.m[2][2] - view.m[1][2] * view.m[2][0]) +
                             view.m[0][2] * (view.m[1][0] * view.m[2][1] - view.m[1][1] * view.m[2][0]);
    if (handedness < 0)
        for (Plane& plane : m_planes) {
            plane.normal = Vector3{-plane.normal.x, -plane.normal.y, -plane.normal.z};
            plane.distance = -plane.distance;
        }
}

void Camera::SetPlane(uint32_t index, const Plane& plane)
{
    if (index < kPlaneCount)
        m_planes[index] = plane;
}

Result Camera::SetDirection(const Vector3& direction)
{
    Quaternion rotation;
    if (!Transform::LookRotation(direction, rotation))
        return kInvalidArgument;
    m_local.SetRotation(rotation);
    return kSuccess;
}

Result Camera::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteFloat(m_fov);
    stream.WriteFloat(m_near);
    if (stream.WriteFloat(m_far) != kSuccess) {
        Error("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Camera::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float fov = 0, nearDistance = 0, farDistance = 0;
    stream.ReadFloat(fov);
    stream.ReadFloat(nearDistance);
    if (stream.ReadFloat(farDistance) != kSuccess) {
        Error("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetFrustum(fov, nearDistance, farDistance);
    return kSuccess;
}

}  // namespace zen
