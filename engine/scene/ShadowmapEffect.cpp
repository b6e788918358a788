#include "engine/scene/ShadowmapEffect.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ShadowmapEffect, SceneNodeEffect, kStartupSceneClasses)

// The light's clip position, kept whole in a texture coordinate for the pixel program.
const char* const ShadowmapEffect::kDepthVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "mul r0, v0.x, c0\n"
    "mad r0, v0.y, c1, r0\n"
    "mad r0, v0.z, c2, r0\n"
    "mad r0, v0.w, c3, r0\n"
    "mov oPos, r0\n"
    "mov oT0, r0\n";

// Depth d = z / w split over two 8-bit channels: red the whole 255ths (d - frc(255 d) / 255,
// stored exactly), green the fraction frc(255 d); red + green / 255 gives d back to 1/65025.
const char* const ShadowmapEffect::kDepthPixelProgram =
    "ps_2_0\n"
    "def c0, 255, 0.003921569, 0, 1\n"
    "dcl t0\n"
    "rcp r0.w, t0.w\n"
    "mul r0.x, t0.z, r0.w\n"
    "mul r1.x, r0.x, c0.x\n"
    "frc r1.y, r1.x\n"
    "mad r1.x, -r1.y, c0.y, r0.x\n"
    "mov r1.z, c0.z\n"
    "mov r1.w, c0.w\n"
    "mov oC0, r1\n";

// Clip position as the catalogue computes it (c0-c3); the map coordinate (c4-c7: the light's
// clip space mapped to texels, depth less the bias) in t0.
const char* const ShadowmapEffect::kShadowVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "mul r0, v0.x, c0\n"
    "mad r0, v0.y, c1, r0\n"
    "mad r0, v0.z, c2, r0\n"
    "mad oPos, v0.w, c3, r0\n"
    "mul r1, v0.x, c4\n"
    "mad r1, v0.y, c5, r1\n"
    "mad r1, v0.z, c6, r1\n"
    "mad oT0, v0.w, c7, r1\n";

// Lit (white) where the map's depth (red + green / 255) is not nearer than the surface's, behind
// a point light and outside the map (a device may clamp the coordinates into the edge texels
// differently), else the shadow colour (c0); blended as a multiplier of what the children drew.
const char* const ShadowmapEffect::kShadowPixelProgram =
    "ps_2_0\n"
    "def c1, 1, 1, 1, 1\n"
    "def c2, 0.003921569, 0, 0, 0\n"
    "dcl t0\n"
    "dcl_2d s0\n"
    "rcp r0.w, t0.w\n"
    "mul r0, t0, r0.w\n"
    "texld r1, r0, s0\n"
    "mad r1.x, r1.y, c2.x, r1.x\n"
    "add r2, r1.x, -r0.z\n"
    "cmp r3, r2, c1, c0\n"
    "mov r4, t0\n"
    "cmp r3, -r4.w, c1, r3\n"
    "add r5.xy, c1, -r0\n"
    "min r5.xy, r5, r0\n"
    "min r5.x, r5.x, r5.y\n"
    "cmp r3, r5.x, r3, c1\n"
    "mov oC0, r3\n";

namespace {

Vector3 Normalized(const Vector3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0 ? Vector3{v.x / length, v.y / length, v.z / length} : Vector3{0, 0, 0};
}

Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A view from `eye` along the unit `forward`, left-handed (the camera's convention).
Matrix4 LookAlong(const Vector3& eye, const Vector3& forward)
{
    const Vector3 up = std::fabs(forward.y) > 0.99f ? Vector3{0, 0, 1} : Vector3{0, 1, 0};
    const Vector3 right = Normalized(Cross(up, forward));
    const Vector3 upward = Cross(forward, right);
    return Matrix4::FromRows(Vector4{right.x, upward.x, forward.x, 0}, Vector4{right.y, upward.y, forward.y, 0},
                             Vector4{right.z, upward.z, forward.z, 0},
                             Vector4{-Dot(right, eye), -Dot(upward, eye), -Dot(forward, eye), 1});
}

// Grows the sphere (`center`, `radius`; a negative radius: none yet) to take in another, as the
// sphere bounds merge.
void MergeSphere(Vector3& center, float& radius, const Vector3& otherCenter, float otherRadius)
{
    if (radius < 0) {
        center = otherCenter;
        radius = otherRadius;
        return;
    }
    const Vector3 d{otherCenter.x - center.x, otherCenter.y - center.y, otherCenter.z - center.z};
    const float dr = otherRadius - radius;
    const float lengthSquared = Dot(d, d);
    if (dr * dr < lengthSquared) {
        const float length = std::sqrt(lengthSquared);
        const float t = (length + dr) / (2 * length);
        center = Vector3{center.x + d.x * t, center.y + d.y * t, center.z + d.z * t};
        radius = (length + radius + otherRadius) * 0.5f;
    } else if (dr >= 0) {
        center = otherCenter;
        radius = otherRadius;
    }
}

}  // namespace

ShadowmapEffect::ShadowmapEffect() : ReceiverEffect(20, 20)
{
    (void)PreparePasses();  // Tried again at the first draw when memory was short.
}

void ShadowmapEffect::SetLight(Light* light)
{
    m_light = light;
    m_reportedNoLight = false;
}

Result ShadowmapEffect::SetMapSize(uint32_t size)
{
    if (size < kMinMapSize || size > kMaxMapSize) {
        Warning("Неверный размер теневой карты [%u]. Имя[%s] ID[%d]", size, Name().CStr(), ID());
        return kInvalidArgument;
    }
    m_mapSize = size;
    return kSuccess;
}

bool ShadowmapEffect::MapReady() const
{
    return m_drawn && m_map && !m_map->IsDirty();
}

bool ShadowmapEffect::LightView(const Light& light, const Vector3& casterCenter, float casterRadius,
                                const Vector3& sceneCenter, float sceneRadius, Matrix4& view, Matrix4& projection)
{
    if (!(casterRadius > 0) || !std::isfinite(casterRadius) || !(sceneRadius >= 0) || !std::isfinite(sceneRadius))
        return false;
    const DeviceLight device = light.ToDeviceLight();
    if (device.type == DeviceLight::kDirectional) {
        const Vector3 forward = Normalized(device.direction);
        if (Dot(forward, forward) == 0)
            return false;
        // Depths along the light: from the nearest point of either sphere to the farthest, with
        // a caster radius of room before the first.
        const float along = Dot(forward, casterCenter), sceneAlong = Dot(forward, sceneCenter);
        const float nearest = std::fmin(along - casterRadius, sceneAlong - sceneRadius);
        const float farthest = std::fmax(along + casterRadius, sceneAlong + sceneRadius);
        const float back = along - nearest + casterRadius;
        const Vector3 eye{casterCenter.x - forward.x * back, casterCenter.y - forward.y * back,
                          casterCenter.z - forward.z * back};
        view = LookAlong(eye, forward);
        const float nearDepth = casterRadius, farDepth = farthest - nearest + casterRadius;
        projection = Matrix4::FromRows(Vector4{1 / casterRadius, 0, 0, 0}, Vector4{0, 1 / casterRadius, 0, 0},
                                       Vector4{0, 0, 1 / (farDepth - nearDepth), 0},
                                       Vector4{0, 0, -nearDepth / (farDepth - nearDepth), 1});
        return true;
    }
    const Vector3 toCenter{casterCenter.x - device.position.x, casterCenter.y - device.position.y,
                           casterCenter.z - device.position.z};
    const float distance = std::sqrt(Dot(toCenter, toCenter));
    if (!(distance > 1e-6f) || !std::isfinite(distance))
        return false;
    const Vector3 forward{toCenter.x / distance, toCenter.y / distance, toCenter.z / distance};
    view = LookAlong(device.position, forward);
    float half = kMaxSpotAngle / 2;
    if (distance > casterRadius)
        half = std::fmin(std::asin(casterRadius / distance), half);
    const Vector3 toScene{sceneCenter.x - device.position.x, sceneCenter.y - device.position.y,
                          sceneCenter.z - device.position.z};
    const float farDepth = std::fmax(distance + casterRadius, Dot(forward, toScene) + sceneRadius);
    const float nearDepth = std::fmax(distance - casterRadius, farDepth * 0.001f);
    const float scale = 1 / std::tan(half);
    projection = Matrix4::FromRows(Vector4{scale, 0, 0, 0}, Vector4{0, scale, 0, 0},
                                   Vector4{0, 0, farDepth / (farDepth - nearDepth), 1},
                                   Vector4{0, 0, -nearDepth * farDepth / (farDepth - nearDepth), 0});
    return true;
}

bool ShadowmapEffect::PreparePasses()
{
    if (!m_depthPass) {
        m_depthPass = ProjectionPass::Make("ShadowmapEffect.depth", kDepthVertexProgram, kDepthPixelProgram);
        if (!m_depthPass)
            return false;
        RenderState& state = m_depthPass->RenderStates()->Edit();
        state.cullEnable = false;  // Both sides: closed or not, a caster darkens what lies behind it.
    }
    if (!m_shadowPass) {
        m_shadowPass = ProjectionPass::Make("ShadowmapEffect.shadow", kShadowVertexProgram, kShadowPixelProgram);
        if (!m_shadowPass)
            return false;
        RenderState& state = m_shadowPass->RenderStates()->Edit();
        state.cullEnable = false;  // Over whichever sides the children drew; the depth test sorts it.
        state.alphaBlendEnable = true;
        state.srcBlend = RenderState::kBlendZero;
        state.destBlend = RenderState::kBlendSourceColor;
        state.depthWrite = false;
        state.depthFunc = RenderState::kCompareLessEqual;
        state.stages[0].magFilter = RenderState::kFilterPoint;
        state.stages[0].minMipFilter = RenderState::kMinPoint;
        state.stages[0].addressU = state.stages[0].addressV = RenderState::kAddressClamp;
    }
    return true;
}

Result ShadowmapEffect::RenderMap(Renderer& renderer, const NodeList* casters)
{
    m_drawn = false;
    if (!m_light) {
        if (!m_reportedNoLight)
            Error("Нет источника света для теневой карты. Имя[%s] ID[%d]", Name().CStr(), ID());
        m_reportedNoLight = true;
        return kFailure;
    }
    SceneNode* owner = Owner();
    const BoundingVolume* bound = owner ? owner->WorldBound() : nullptr;
    if (!bound || !bound->IsDerivedFrom(&SphereBoundingVolume::TYPE))
        return kFailure;
    const auto* scene = static_cast<const SphereBoundingVolume*>(bound);

    // The map covers the casters alone, so a few casters over a wide floor keep their detail;
    // its depths reach through everything below the node, so no receiver falls past its end.
    std::vector<GeometryNode*>& drawn = m_nodes;
    drawn.clear();
    if (casters && casters->Count() > 0) {
        for (uint32_t i = 0; i < casters->Count(); ++i)
            ProjectionPass::CollectOpaque(casters->Get(i), drawn, m_pending);
    } else {
        ProjectionPass::CollectOpaque(owner, drawn, m_pending);
    }
    Vector3 center{};
    float radius = -1;  // None yet.
    for (GeometryNode* node : drawn) {
        const BoundingVolume* part = node->WorldBound();
        if (part && part->IsDerivedFrom(&SphereBoundingVolume::TYPE))
            MergeSphere(center, radius, part->GetCenter(), static_cast<const SphereBoundingVolume*>(part)->Radius());
    }
    // Four texels of room at each side: sampling clamps to the edge texels, which must stay
    // clear, or a caster touching the border would repeat out to infinity.
    const float across = radius * (1 + 8.0f / static_cast<float>(m_mapSize));
    Matrix4 view, projection;
    if (radius < 0 || !LightView(*m_light, center, across, scene->GetCenter(), scene->Radius(), view, projection))
        return kFailure;
    if (!PreparePasses())
        return kOutOfMemory;
    const Image* held = m_map ? m_map->GetImage() : nullptr;
    if (!held || held->Width() != m_mapSize || held->Height() != m_mapSize) {
        Ptr<Image> image = new (std::nothrow) Image(String("Shadow Map Image"), Image::kR8G8B8A8, m_mapSize, m_mapSize);
        Ptr<Texture> map = image && image->Width() == m_mapSize
                               ? new (std::nothrow) Texture(String("Shadow Map Texture"), image.Get())
                               : nullptr;
        if (!map) {
            Error("Недостаточно памяти для теневой карты. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kOutOfMemory;
        }
        map->SetMipLevels(1);
        m_map = map;
    }

    // The test compares depths in the light's clip space, so the bias in world units, plus two
    // texels' width (a surface leaning away from the light changes depth across a texel),
    // becomes a depth step: exact for the orthographic box, taken at the casters' centre for a
    // perspective.
    m_lightViewProjection = view * projection;
    const float centerDepth = view.Transform(Vector4{center.x, center.y, center.z, 1}).z;
    const float texel = 2.0f / (projection.m[0][0] * static_cast<float>(m_mapSize)) *
                        (projection.m[2][3] == 0 ? 1.0f : std::fmax(centerDepth, 0.0f));
    const float offset = m_bias + 2 * texel;
    float depthStep;
    if (projection.m[2][3] == 0) {
        depthStep = offset * projection.m[2][2];
    } else {
        const float z = std::fmax(centerDepth, 1e-6f);
        depthStep = -offset * projection.m[3][2] / (z * z);
    }
    const Matrix4 texels = Matrix4::FromRows(Vector4{0.5f, 0, 0, 0}, Vector4{0, -0.5f, 0, 0}, Vector4{0, 0, 1, 0},
                                             Vector4{0.5f, 0.5f, -depthStep, 1});
    m_mapMatrix = m_lightViewProjection * texels;

    renderer.BeginRenderTarget(m_map.Get());
    if (!renderer.RenderTargetActive())
        return kFailure;
    renderer.Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{1, 1, 1, 1}, 1.0f, 0);
    for (GeometryNode* node : drawn)
        (void)m_depthPass->Draw(renderer, *node, view, projection);
    renderer.EndRenderTarget();
    m_drawn = true;
    return kSuccess;
}

void ShadowmapEffect::DrawOverlay(Renderer& renderer)
{
    Camera* camera = renderer.GetCamera();
    if (!camera || !MapReady() || !PreparePasses())
        return;
    std::vector<GeometryNode*>& receivers = m_nodes;
    receivers.clear();
    ProjectionPass::CollectOpaque(Owner(), receivers, m_pending);
    m_shadowPass->SetStageTexture(m_map.Get());
    m_shadowPass->SetPixelConstant(m_shadowColor);
    for (GeometryNode* node : receivers)
        (void)m_shadowPass->Draw(renderer, *node, camera->View(), camera->Projection(), &m_mapMatrix);
}

Object* ShadowmapEffect::FindByName(const String& name)
{
    if (Object* found = ReceiverEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_light.Get(), name);
}

void ShadowmapEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ReceiverEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_light.Get(), type, out);
    EffectSupport::CollectIn(m_depthPass.Get(), type, out);
    EffectSupport::CollectIn(m_shadowPass.Get(), type, out);
}

void ShadowmapEffect::VisitReferences(ReferenceVisitor& visitor)
{
    ReceiverEffect::VisitReferences(visitor);
    visitor(m_light);
}

Result ShadowmapEffect::Save(Stream& stream)
{
    if (ReceiverEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLight(*this, stream, m_light.Get()) != kSuccess)
        return kFailure;
    stream.WriteUInt(m_mapSize);
    stream.WriteFloat(m_bias);
    stream.WriteVector4(m_shadowColor);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные теневой карты. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result ShadowmapEffect::Load(Stream& stream)
{
    if (ReceiverEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Light> light;
    if (EffectSupport::LoadLight(*this, stream, light) != kSuccess)
        return kFailure;
    uint32_t size = 0;
    float bias = 0;
    Vector4 color;
    stream.ReadUInt(size);
    stream.ReadFloat(bias);
    stream.ReadVector4(color);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные теневой карты. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    // A map of zero or absurd size (a damaged file) would cost the device everything or nothing.
    if (size < kMinMapSize || size > kMaxMapSize || !std::isfinite(bias)) {
        Error("Неверные данные теневой карты: размер [%u]. ID[%d] Имя[%s]", size, ID(), Name().CStr());
        return kFailure;
    }
    SetLight(light.Get());
    m_mapSize = size;
    m_bias = bias;
    m_shadowColor = color;
    return kSuccess;
}

}  // namespace zen
