#include "engine/scene/Flare.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Flare, GeometryNode, kStartupSceneClasses)

namespace {

bool PointSprites()
{
    const Renderer* renderer = Renderer::Current();
    return renderer && renderer->GetCapabilities().pointSprites;
}

Vector3 HalfDiagonal(const Vector3& a, const Vector3& b, float size)
{
    const Vector3 v{a.x + b.x, a.y + b.y, a.z + b.z};
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const float scale = length > 0 ? 0.5f * size / length : 0.0f;
    return Vector3{v.x * scale, v.y * scale, v.z * scale};
}

}  // namespace

Flare::Flare()
{
    m_query = new (std::nothrow) OcclusionQuery();
}

int32_t Flare::GetPrimitiveType() const
{
    return PointSprites() ? kPoints : kTriangles;
}

void Flare::Update(double time)
{
    GeometryNode::Update(time);
    UpdateModelBound();
    if (PointSprites()) {
        BuildPointSprite();
        return;
    }
    const Renderer* renderer = Renderer::Current();
    if (const Camera* camera = renderer ? renderer->GetCamera() : nullptr)
        BuildQuad(*camera);
}

void Flare::BuildPointSprite()
{
    if (!Vertices() || Vertices()->GetCount() != 1 || !Colors() || Colors()->GetCount() != 1 || !PointSizes() ||
        PointSizes()->GetCount() != 1) {
        Ptr<Vector3Buffer> positions = new (std::nothrow) Vector3Buffer(1);
        Ptr<ColorBuffer> colors = new (std::nothrow) ColorBuffer(1);
        Ptr<FloatBuffer> sizes = new (std::nothrow) FloatBuffer(1);
        if (!positions || !colors || !sizes || !positions->Data() || !colors->Data() || !sizes->Data())
            return;
        SetVertices(positions.Get());
        SetColors(colors.Get());
        SetPointSizes(sizes.Get());
        for (uint32_t set = 0; set < kTexCoordSets; ++set)
            (void)SetTexCoords(set, nullptr);
    }
    // The node's own transform carries the sprite to its world position.
    Vertices()->Data()[0] = Vector3{0, 0, 0};
    Colors()->Data()[0] = m_color;
    PointSizes()->Data()[0] = m_size;
    Vertices()->SetDirty();
    Colors()->SetDirty();
    PointSizes()->SetDirty();
}

void Flare::BuildQuad(const Camera& camera)
{
    if (!Vertices() || Vertices()->GetCount() != 6 || !Colors() || Colors()->GetCount() != 6) {
        Ptr<Vector3Buffer> positions = new (std::nothrow) Vector3Buffer(6);
        Ptr<ColorBuffer> colors = new (std::nothrow) ColorBuffer(6);
        Ptr<Vector2Buffer> uv = new (std::nothrow) Vector2Buffer(6);
        if (!positions || !colors || !uv || !positions->Data() || !colors->Data() || !uv->Data())
            return;
        static const Vector2 kCorners[6] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};
        for (uint32_t i = 0; i < 6; ++i)
            uv->Data()[i] = kCorners[i];
        SetVertices(positions.Get());
        SetColors(colors.Get());
        SetPointSizes(nullptr);
        (void)SetTexCoords(0, uv.Get());
    }
    const Vector3 right = camera.Right(), up = camera.Up();
    const Vector3 minusRight{-right.x, -right.y, -right.z};
    const Vector3 d1 = HalfDiagonal(right, up, m_size);
    const Vector3 d2 = HalfDiagonal(up, minusRight, m_size);
    const Vector3 p = WorldTransform().translation;
    auto at = [&](const Vector3& d, float sign) {
        // Corners are found in the world and handed to the node in its own space.
        return WorldTransform().ApplyInverseToPoint(Vector3{p.x + sign * d.x, p.y + sign * d.y, p.z + sign * d.z});
    };
    Vector3* v = Vertices()->Data();
    v[0] = at(d1, -1);
    v[1] = at(d2, 1);
    v[2] = at(d2, -1);
    v[3] = at(d2, 1);
    v[4] = at(d1, 1);
    v[5] = at(d2, -1);
    for (uint32_t i = 0; i < 6; ++i)
        Colors()->Data()[i] = m_color;
    Vertices()->SetDirty();
    Colors()->SetDirty();
}

void Flare::UpdateModelBound()
{
    if (LocalBound() && LocalBound()->GetType() == BoundingVolume::kSphere) {
        const float radius = std::isfinite(m_size) ? std::fabs(m_size) * 5000.0f : 0.0f;
        static_cast<SphereBoundingVolume*>(LocalBound())->Set(Vector3{0, 0, 0}, radius);
    }
}

void Flare::DrawMeasured(Renderer* renderer, bool deferred)
{
    if (!renderer || !Vertices() || Vertices()->GetCount() == 0)
        return;
    const bool measure = m_query && renderer->GetCapabilities().occlusionQuery;
    if (measure)
        renderer->BeginOcclusionQuery(m_query.Get());
    if (deferred)
        GeometryNode::DrawDeferred(renderer);
    else
        GeometryNode::Draw(renderer);
    if (measure)
        renderer->EndOcclusionQuery(m_query.Get());
}

void Flare::Draw(Renderer* renderer)
{
    // A blended flare only queues itself here; it is measured when the queue draws it.
    if (renderer && renderer->OverridePass())
        return;  // A light, not a surface: no part of a depth pass.
    const bool queued = GetEffect() && GetEffect()->IsBlended();
    if (queued) {
        GeometryNode::Draw(renderer);
        return;
    }
    DrawMeasured(renderer, false);
}

void Flare::DrawDeferred(Renderer* renderer)
{
    DrawMeasured(renderer, true);
}

void Flare::DrawPrimitives(Renderer* renderer)
{
    renderer->DrawNonIndexed(Vertices() && Vertices()->GetCount() == 1 ? 1 : 2);
}

Result Flare::Save(Stream& stream)
{
    if (GeometryNode::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteVector4(m_color);
    stream.WriteFloat(m_size);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные флара. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Flare::Load(Stream& stream)
{
    if (GeometryNode::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadVector4(m_color);
    stream.ReadFloat(m_size);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные флара. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    UpdateModelBound();
    return kSuccess;
}

}  // namespace zen
