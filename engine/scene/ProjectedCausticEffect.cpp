#include "engine/scene/ProjectedCausticEffect.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SceneNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ProjectedCausticEffect, SceneNodeEffect, kStartupSceneClasses)

// Clip position as the catalogue computes it (c0-c3; c4-c7 hold world x the caustic
// projection, whose first two columns give u and v).
const char* const ProjectedCausticEffect::kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "mul r0, v0.x, c0\n"
    "mad r0, v0.y, c1, r0\n"
    "mad r0, v0.z, c2, r0\n"
    "mad oPos, v0.w, c3, r0\n"
    "mul r1, v0.x, c4\n"
    "mad r1, v0.y, c5, r1\n"
    "mad r1, v0.z, c6, r1\n"
    "mad r1, v0.w, c7, r1\n"
    "mov oT0.xy, r1\n";

const char* const ProjectedCausticEffect::kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "mul r0, t0, c0\n";

namespace {

// The drift repeats after this many texture widths, so the clock can wrap without a jump.
constexpr double kDriftPeriod = 1000.0;

}  // namespace

ProjectedCausticEffect::ProjectedCausticEffect() : ReceiverEffect(11, 11)
{
    (void)PreparePass();  // Tried again at the first draw when memory was short.
}

bool ProjectedCausticEffect::PreparePass()
{
    if (m_pass)
        return true;
    m_pass = ProjectionPass::Make("ProjectedCausticEffect", kVertexProgram, kPixelProgram);
    if (!m_pass)
        return false;
    RenderState& state = m_pass->RenderStates()->Edit();
    state.cullEnable = false;  // Over whichever sides the children drew; the depth test sorts it.
    state.alphaBlendEnable = true;
    state.srcBlend = RenderState::kBlendOne;
    state.destBlend = RenderState::kBlendOne;
    state.depthWrite = false;
    state.depthFunc = RenderState::kCompareLessEqual;
    return true;
}

void ProjectedCausticEffect::Update(double time)
{
    ReceiverEffect::Update(time);
    if (!std::isfinite(time) || time < 0)
        return;
    m_clock += time;
    // speed x clock x scale is the offset in texture widths; wrap a whole number of periods.
    const double travelled = m_clock * static_cast<double>(std::fabs(m_speed) * m_scale);
    if (travelled >= kDriftPeriod && travelled > 0)
        m_clock = std::fmod(travelled, kDriftPeriod) / static_cast<double>(std::fabs(m_speed) * m_scale);
}

Matrix4 ProjectedCausticEffect::ProjectionMatrix() const
{
    const float drift = static_cast<float>(m_clock) * m_speed * m_scale;
    return Matrix4::FromRows(Vector4{m_scale, 0, 0, 0}, Vector4{0, 0, 0, 0}, Vector4{0, m_scale, 0, 0},
                             Vector4{drift, drift * 0.6f, 0, 1});
}

void ProjectedCausticEffect::DrawOverlay(Renderer& renderer)
{
    Camera* camera = renderer.GetCamera();
    if (!camera || !m_caustic || !m_caustic->GetImage() || !PreparePass())
        return;
    std::vector<GeometryNode*>& receivers = m_nodes;
    receivers.clear();
    if (m_receivers.Count() > 0) {
        for (uint32_t i = 0; i < m_receivers.Count(); ++i)
            ProjectionPass::CollectOpaque(m_receivers.Get(i), receivers, m_pending);
    } else {
        ProjectionPass::CollectOpaque(Owner(), receivers, m_pending);
    }
    const Matrix4 projection = ProjectionMatrix();
    m_pass->SetStageTexture(m_caustic.Get());
    m_pass->SetPixelConstant(m_color);
    for (GeometryNode* node : receivers)
        (void)m_pass->Draw(renderer, *node, camera->View(), camera->Projection(), &projection);
}

Object* ProjectedCausticEffect::FindByName(const String& name)
{
    if (Object* found = ReceiverEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_caustic.Get(), name);
}

void ProjectedCausticEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ReceiverEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_caustic.Get(), type, out);
    EffectSupport::CollectIn(m_pass.Get(), type, out);
}

void ProjectedCausticEffect::VisitReferences(ReferenceVisitor& visitor)
{
    ReceiverEffect::VisitReferences(visitor);
    visitor(m_caustic);
}

Result ProjectedCausticEffect::Save(Stream& stream)
{
    if (ReceiverEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_caustic.Get()) != kSuccess) {
        Error("Невозможно сохранить каустик. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    stream.WriteVector4(m_color);
    stream.WriteFloat(m_scale);
    stream.WriteFloat(m_speed);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные каустика. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (m_receivers.Save(stream) != kSuccess) {
        Error("Невозможно сохранить узлы. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result ProjectedCausticEffect::Load(Stream& stream)
{
    if (ReceiverEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Texture> caustic;
    if (stream.ReadObject(caustic) != kSuccess) {
        Error("Невозможно загрузить каустик. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Vector4 color;
    float scale = 0, speed = 0;
    stream.ReadVector4(color);
    stream.ReadFloat(scale);
    stream.ReadFloat(speed);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные каустика. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (m_receivers.Load(stream) != kSuccess) {
        Error("Невозможно загрузить узлы. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    m_caustic = caustic;
    m_color = color;
    // A damaged file's infinities would smear the picture into one texel: keep the defaults.
    if (std::isfinite(scale) && std::isfinite(speed) && std::fabs(scale) < 1e6f && std::fabs(speed) < 1e6f) {
        m_scale = scale;
        m_speed = speed;
    } else {
        Warning("Неверные данные каустика, взяты обычные. ID[%d] Имя[%s]", ID(), Name().CStr());
    }
    return kSuccess;
}

}  // namespace zen
