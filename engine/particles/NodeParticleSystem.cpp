#include "engine/particles/NodeParticleSystem.h"

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NodeParticleSystem, ParticleSystem, kStartupOtherClasses)

namespace {

// World transforms of the descendants of `node` from its (just changed) world transform.
void PlaceDescendants(Node* node)
{
    if (!node->IsDerivedFrom(&SceneNode::TYPE))
        return;
    auto* group = static_cast<SceneNode*>(node);
    for (uint32_t i = 0; i < group->ChildCount(); ++i) {
        Node* child = group->GetChild(i);
        if (!child || child->Parent() != node)
            continue;
        child->UpdateWorldTransform();
        child->UpdateWorldBound();
        PlaceDescendants(child);
    }
}

}  // namespace

Result NodeParticleSystem::SetModel(Node* model)
{
    if (model && (model == this || HasAncestor(model)))
        return kInvalidArgument;
    m_model = model;
    return kSuccess;
}

void NodeParticleSystem::UpdateDrawData()
{
    SetDrawCount(m_model ? LiveCount() : 0);
}

float NodeParticleSystem::ParticleExtent() const
{
    if (!m_model || !m_model->IsDerivedFrom(&GeometryNode::TYPE))
        return 1.0f;
    const BoundingVolume* bound = static_cast<GeometryNode*>(m_model.Get())->LocalBound();
    if (!bound)
        return 1.0f;
    const Vector3 center = bound->GetCenter();
    float radius = 0.0f;
    if (bound->GetType() == BoundingVolume::kSphere)
        radius = static_cast<const SphereBoundingVolume*>(bound)->Radius();
    return center.Length() + radius;
}

void NodeParticleSystem::DrawCopies(Renderer* renderer)
{
    if (!renderer || !m_model || m_drawing || LiveCount() == 0)
        return;
    m_drawing = true;
    Node& model = *m_model;
    const Transform savedWorld = model.WorldTransform();
    ColorEffect* colorEffect = nullptr;
    GeometryNode* geometry = nullptr;
    if (model.IsDerivedFrom(&GeometryNode::TYPE)) {
        geometry = static_cast<GeometryNode*>(&model);
        if (GeometryNodeEffect* effect = geometry->GetEffect(); effect && effect->IsDerivedFrom(&ColorEffect::TYPE))
            colorEffect = static_cast<ColorEffect*>(effect);
    }
    const Vector4 savedColor = colorEffect ? colorEffect->Color() : Vector4{};
    for (const Particle* particle = FirstLive(); particle; particle = particle->next) {
        Transform& world = model.WorldTransform();
        world.translation = particle->position;
        world.scale = Vector3{particle->size, particle->size, particle->size};
        world.isIdentity = false;
        world.noRotation = false;
        if (colorEffect)
            colorEffect->SetColor(particle->color);
        model.UpdateWorldBound();
        PlaceDescendants(&model);
        // A geometry model is drawn at once, blended or not: a queued copy would be drawn
        // after the transform is put back.
        if (geometry)
            geometry->DrawDeferred(renderer);
        else
            model.Draw(renderer);
    }
    model.SetWorldTransform(savedWorld);
    model.UpdateWorldBound();
    PlaceDescendants(&model);
    if (colorEffect)
        colorEffect->SetColor(savedColor);
    m_drawing = false;
}

void NodeParticleSystem::Draw(Renderer* renderer)
{
    DrawCopies(renderer);
}

void NodeParticleSystem::DrawDeferred(Renderer* renderer)
{
    DrawCopies(renderer);
}

Object* NodeParticleSystem::FindByName(const String& name)
{
    if (Object* found = ParticleSystem::FindByName(name))
        return found;
    return m_model ? m_model->FindByName(name) : nullptr;
}

void NodeParticleSystem::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ParticleSystem::CollectByType(type, out);
    if (m_model)
        m_model->CollectByType(type, out);
}

Result NodeParticleSystem::Save(Stream& stream)
{
    if (ParticleSystem::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_model.Get()) != kSuccess) {
        Error("Невозможно сохранить модель системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result NodeParticleSystem::Load(Stream& stream)
{
    if (ParticleSystem::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Node> model;
    if (stream.ReadObject(model) != kSuccess) {
        Error("Невозможно загрузить модель системы частиц. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    if (SetModel(model.Get()) != kSuccess) {
        Error("Модель системы частиц содержит саму систему. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

void NodeParticleSystem::VisitReferences(ReferenceVisitor& visitor)
{
    ParticleSystem::VisitReferences(visitor);
    visitor(m_model);
}

}  // namespace zen
