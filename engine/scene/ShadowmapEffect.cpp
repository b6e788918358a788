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

// Depth z / w in every channel.
const char* const ShadowmapEffect::kDepthPixelProgram =
    "ps_2_0\n"
    "dcl t0\n"
    "rcp r0.w, t0.w\n"
    "mul r0, t0.z, r0.w\n"
    "mov oC0, r0\n";

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

// Lit (white) where the map's depth is not nearer than the surface's, else the shadow colour
// (c0); blended as a multiplier of what the children drew.
const char* const ShadowmapEffect::kShadowPixelProgram =
    "ps_2_0\n"
    "def c1, 1, 1, 1, 1\n"
    "dcl t0\n"
    "dcl_2d s0\n"
    "rcp r0.w, t0.w\n"
    "mul r0, t0, r0.w\n"
    "texld r1, r0, s0\n"
    "add r2, r1.x, -r0.z\n"
    "cmp r3, r2, c1, c0\n"
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

bool ShadowmapEffect::LightView(const Light& light, const Vector3& center, float radius, Matrix4& view,
                                Matrix4& projection)
{
    if (!(radius > 0) || !std::isfinite(radius))
        return false;
    const DeviceLight device = light.ToDeviceLight();
    if (device.type == DeviceLight::kDirectional) {
        const Vector3 forward = Normalized(device.direction);
        if (Dot(forward, forward) == 0)
            return false;
        const Vector3 eye{center.x - forward.x * 2 * radius, center.y - forward.y * 2 * radius,
                          center.z - forward.z * 2 * radius};
        view = LookAlong(eye, forward);
        // Orthographic: the sphere's square, depths from r to 3r mapped to 0..1.
        const float nearDepth = radius, farDepth = 3 * radius;
        projection = Matrix4::FromRows(Vector4{1 / radius, 0, 0, 0}, Vector4{0, 1 / radius, 0, 0},
                                       Vector4{0, 0, 1 / (farDepth - nearDepth), 0},
                                       Vector4{0, 0, -nearDepth / (farDepth - nearDepth), 1});
        return true;
    }
    const Vector3 toCenter{center.x - device.position.x, center.y - device.position.y, center.z - device.position.z};
    const float distance = std::sqrt(Dot(toCenter, toCenter));
    if (!(distance > 1e-6f) || !std::isfinite(distance))
        return false;
    const Vector3 forward{toCenter.x / distance, toCenter.y / distance, toCenter.z / distance};
    view = LookAlong(device.position, forward);
    float half = kMaxSpotAngle / 2;
    if (distance > radius)
        half = std::fmin(std::asin(radius / distance), half);
    const float farDepth = distance + radius;
    const float nearDepth = std::fmax(distance - radius, farDepth * 0.001f);
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
    const auto* sphere = static_cast<const SphereBoundingVolume*>(bound);
    Matrix4 view, projection;
    if (!LightView(*m_light, sphere->GetCenter(), sphere->Radius(), view, projection))
        return kFailure;
    if (!PreparePasses())
        return kOutOfMemory;
    const Image* held = m_map ? m_map->GetImage() : nullptr;
    if (!held || held->Width() != m_mapSize || held->Height() != m_mapSize) {
        Ptr<Image> image = new (std::nothrow) Image(String("Shadow Map Image"), Image::kA16B16G16R16, m_mapSize, m_mapSize);
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

    // The depth test against the map happens in the light's clip depth, so the bias in world
    // units becomes a depth step: exact for the orthographic box, taken at the bound's centre
    // for a perspective.
    m_lightViewProjection = view * projection;
    const Vector4 centerView = view.Transform(Vector4{sphere->GetCenter().x, sphere->GetCenter().y,
                                                      sphere->GetCenter().z, 1});
    float depthStep;
    if (projection.m[2][3] == 0) {
        depthStep = m_bias * projection.m[2][2];
    } else {
        const float z = std::fmax(centerView.z, 1e-6f);
        depthStep = -m_bias * projection.m[3][2] / (z * z);
    }
    const Matrix4 texels = Matrix4::FromRows(Vector4{0.5f, 0, 0, 0}, Vector4{0, -0.5f, 0, 0}, Vector4{0, 0, 1, 0},
                                             Vector4{0.5f, 0.5f, -depthStep, 1});
    m_mapMatrix = m_lightViewProjection * texels;

    Array<GeometryNode*> drawn{16, 16};
    if (casters && casters->Count() > 0) {
        for (uint32_t i = 0; i < casters->Count(); ++i)
            ProjectionPass::CollectOpaque(casters->Get(i), drawn);
    } else {
        ProjectionPass::CollectOpaque(owner, drawn);
    }
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
    Array<GeometryNode*> receivers{16, 16};
    ProjectionPass::CollectOpaque(Owner(), receivers);
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
    if (ReceiverEffect::Save(stream) != kSuccess) {
        Error("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
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
    if (ReceiverEffect::Load(stream) != kSuccess) {
        Error("Невозможно загрузить родительские данные. ID[%d]", ID());
        return kFailure;
    }
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
