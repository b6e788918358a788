#include "engine/scene/LensFlares.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Flare.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LensFlares, GeometryNode, kStartupSceneClasses)

namespace {

// How much smaller each reflection is than the one before.
constexpr float kShrink = 0.7f;
// Where the reflections lie in front of the camera, in near distances.
constexpr float kDepthInNears = 1.5f;
// The part of the screen, from the edge inward, over which the reflections fade.
constexpr float kFadeBand = 0.25f;
// A source that shines one way dazzles the lens only near its axis: fully within about 4
// degrees of it, not at all beyond 15 (cosines).
constexpr float kAimFull = 0.9976f;
constexpr float kAimNone = 0.9659f;

}  // namespace

void LensFlares::ReflectionCentre(float sourceX, float sourceY, int32_t index, int32_t count, float& x, float& y)
{
    // From the source (t = 0) through the centre to its mirror image (t = 2).
    const float t = count > 1 ? 2.0f * static_cast<float>(index) / static_cast<float>(count - 1) : 0.0f;
    x = sourceX * (1 - t);
    y = sourceY * (1 - t);
}

float LensFlares::Fade(float sourceX, float sourceY)
{
    const float edge = std::fmax(std::fabs(sourceX), std::fabs(sourceY));
    if (!(edge < 1))
        return 0;
    const float fade = (1 - edge) / kFadeBand;
    return fade > 1 ? 1 : fade;
}

float LensFlares::Aim(float cosine)
{
    if (!(cosine > kAimNone))
        return 0;
    if (cosine >= kAimFull)
        return 1;
    const float t = (cosine - kAimNone) / (kAimFull - kAimNone);
    return t * t * (3 - 2 * t);
}

void LensFlares::Update(double time)
{
    GeometryNode::Update(time);
    UpdateModelBound();
    m_fade = 0;
    m_quads = 0;
    const Renderer* renderer = Renderer::Current();
    if (const Camera* camera = renderer ? renderer->GetCamera() : nullptr)
        Rebuild(*camera);
}

void LensFlares::Rebuild(const Camera& camera)
{
    const int32_t count = m_count < 0 ? 0 : (m_count > kMaxReflections ? kMaxReflections : m_count);
    if (!m_links[0] || count == 0)
        return;
    // The source on the screen; behind the camera it casts nothing.
    const Vector3 p = m_links[0]->WorldTransform().translation;
    const Matrix4& vp = camera.ViewProjection();
    const float cx = p.x * vp.m[0][0] + p.y * vp.m[1][0] + p.z * vp.m[2][0] + vp.m[3][0];
    const float cy = p.x * vp.m[0][1] + p.y * vp.m[1][1] + p.z * vp.m[2][1] + vp.m[3][1];
    const float cw = p.x * vp.m[0][3] + p.y * vp.m[1][3] + p.z * vp.m[2][3] + vp.m[3][3];
    if (!(cw > 0))
        return;
    const float sx = cx / cw, sy = cy / cw;
    m_fade = Fade(sx, sy);
    // A flare source the last measured frame showed nothing of is hidden: no reflections.
    const Renderer* renderer = Renderer::Current();
    if (m_links[0]->IsDerivedFrom(&Flare::TYPE) && renderer && renderer->GetCapabilities().occlusionQuery &&
        static_cast<const Flare*>(m_links[0].Get())->VisiblePixels() == 0)
        m_fade = 0;
    if (const Node* aim = m_links[1].Get()) {
        const Vector3 axis = aim->WorldTransform().ApplyToVector(Vector3{0, 0, 1});
        const Vector3 eye = camera.Position();
        const Vector3 toEye{eye.x - p.x, eye.y - p.y, eye.z - p.z};
        const float lengths = std::sqrt(axis.Dot(axis) * toEye.Dot(toEye));
        m_fade *= lengths > 0 ? Aim(axis.Dot(toEye) / lengths) : 0.0f;
    }
    if (m_fade <= 0)
        return;
    if (!Vertices() || Vertices()->GetCount() != kMaxReflections * 6u) {
        Ptr<Vector3Buffer> positions = new (std::nothrow) Vector3Buffer(kMaxReflections * 6);
        Ptr<ColorBuffer> colors = new (std::nothrow) ColorBuffer(kMaxReflections * 6);
        Ptr<Vector2Buffer> uv = new (std::nothrow) Vector2Buffer(kMaxReflections * 6);
        if (!positions || !colors || !uv || !positions->Data() || !colors->Data() || !uv->Data())
            return;
        static const Vector2 kCorners[6] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};
        for (int32_t i = 0; i < kMaxReflections * 6; ++i)
            uv->Data()[i] = kCorners[i % 6];
        SetVertices(positions.Get());
        SetColors(colors.Get());
        (void)SetTexCoords(0, uv.Get());
    }
    // Screen points become world points on a plane just beyond the near plane.
    const float depth = camera.Near() * kDepthInNears;
    const float halfHeight = depth * std::tan(camera.Fov() * 0.5f);
    const float halfWidth = halfHeight * camera.Aspect();
    const Vector3 eye = camera.Position(), right = camera.Right(), up = camera.Up(), forward = camera.Forward();
    auto world = [&](float x, float y) {
        const Vector3 w{eye.x + forward.x * depth + right.x * x * halfWidth + up.x * y * halfHeight,
                        eye.y + forward.y * depth + right.y * x * halfWidth + up.y * y * halfHeight,
                        eye.z + forward.z * depth + right.z * x * halfWidth + up.z * y * halfHeight};
        return WorldTransform().ApplyInverseToPoint(w);
    };
    const Vector4 color{m_color.x, m_color.y, m_color.z, m_color.w * m_fade};
    Vector3* v = Vertices()->Data();
    float size = m_size;
    for (int32_t i = 0; i < count; ++i, size *= kShrink) {
        float x, y;
        ReflectionCentre(sx, sy, i, count, x, y);
        // Half extents in screen units: square on the screen.
        const float hy = size;
        const float hx = size / (camera.Aspect() > 0 ? camera.Aspect() : 1.0f);
        Vector3* q = v + i * 6;
        q[0] = world(x - hx, y - hy);
        q[1] = world(x - hx, y + hy);
        q[2] = world(x + hx, y - hy);
        q[3] = q[1];
        q[4] = world(x + hx, y + hy);
        q[5] = q[2];
    }
    for (int32_t i = 0; i < kMaxReflections * 6; ++i)
        Colors()->Data()[i] = color;
    Vertices()->SetDirty();
    Colors()->SetDirty();
    m_quads = static_cast<uint32_t>(count);
}

void LensFlares::UpdateModelBound()
{
    if (LocalBound() && LocalBound()->GetType() == BoundingVolume::kSphere)
        static_cast<SphereBoundingVolume*>(LocalBound())->Set(Vector3{0, 0, 0}, 1e30f);
}

void LensFlares::Draw(Renderer* renderer)
{
    if (m_quads == 0)
        return;
    GeometryNode::Draw(renderer);
}

void LensFlares::DrawPrimitives(Renderer* renderer)
{
    renderer->DrawNonIndexed(m_quads * 2);
}

Result LensFlares::Save(Stream& stream)
{
    if (GeometryNode::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteInt(m_count);
    stream.WriteVector4(m_color);
    stream.WriteFloat(m_size);
    for (const Link<Node>& link : m_links)
        if (stream.State() == kSuccess)
            stream.WriteObject(link.Get());
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные флара. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result LensFlares::Load(Stream& stream)
{
    if (GeometryNode::Load(stream) != kSuccess)
        return ParentLoadFailed();
    int32_t count = 0;
    Vector4 color;
    float size = 0;
    stream.ReadInt(count);
    stream.ReadVector4(color);
    stream.ReadFloat(size);
    Ptr<Node> links[kLinks];
    for (Ptr<Node>& link : links)
        if (stream.State() == kSuccess)
            (void)stream.ReadObject(link);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные флара. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    m_count = count;
    m_color = color;
    m_size = size;
    for (uint32_t i = 0; i < kLinks; ++i)
        m_links[i] = links[i];
    UpdateModelBound();
    return kSuccess;
}

}  // namespace zen
