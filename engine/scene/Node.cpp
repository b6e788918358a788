#include "engine/scene/Node.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Node, Object, kStartupCoreClasses)

Node::Node()
{
    m_worldBound = new (std::nothrow) SphereBoundingVolume();
    if (!m_worldBound)
        Error("Недостаточно памяти для создания окружающего объёма.");
}

Node::~Node() = default;

void Node::Update(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
}

void Node::Draw(Renderer*) {}

void Node::DrawIfVisible(Renderer* renderer)
{
    DrawCulled(renderer, renderer ? renderer->GetCamera() : nullptr);
}

void Node::DrawCulled(Renderer* renderer, Camera* camera)
{
    if (!camera || !m_worldBound) {
        Draw(renderer);
        return;
    }
    const uint32_t saved = camera->ActivePlanes();
    uint32_t mask = saved;
    for (uint32_t plane = 0; plane < Camera::kPlaneCount; ++plane) {
        const uint32_t bit = PlaneBit(plane);
        if (!(mask & bit))
            continue;
        const int32_t side = m_worldBound->WhichSide(camera->GetPlane(plane));
        if (side < 0)
            return;  // Culled; the mask was not touched.
        if (side > 0)
            mask &= ~bit;  // Wholly inside: no descendant tests this plane again.
    }
    camera->SetActivePlanes(mask);
    Draw(renderer);
    camera->SetActivePlanes(saved);
}

void Node::UpdateWorldBound() {}

void Node::UpdateState(double time, bool initiator)
{
    Update(time);
    UpdateWorldBound();
    if (!initiator)
        return;
    for (Node* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        ancestor->UpdateWorldBound();
}

void Node::UpdateWorldTransform()
{
    if (!m_updateWorldTransform)
        return;
    m_world = m_parent ? Transform::Compose(m_parent->m_world, m_local) : m_local;
}

bool Node::HasAncestor(const Node* node) const
{
    if (!node)
        return false;
    for (const Node* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        if (ancestor == node)
            return true;
    return false;
}

Result Node::SetParent(Node* parent)
{
    if (parent && (parent == this || parent->HasAncestor(this))) {
        Warning("Узел не может быть собственным предком. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    m_parent = parent;
    return kSuccess;
}

Object* Node::FindByName(const String& name)
{
    if (Object* found = Object::FindByName(name))
        return found;
    return m_worldBound ? m_worldBound->FindByName(name) : nullptr;
}

void Node::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Object::CollectByType(type, out);
    if (m_worldBound)
        m_worldBound->CollectByType(type, out);
}

Result Node::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_parent) != kSuccess) {
        Error("Невозможно сохранить родителя. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.WriteTransform(m_local) != kSuccess) {
        Error("Невозможно сохранить локальную трансформацию. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    const int32_t kind = m_worldBound ? m_worldBound->GetType() : BoundingVolume::kSphere;
    if (stream.WriteInt(kind) != kSuccess) {
        Error("Невозможно сохранить тип окружающего объёма. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.WriteBool(m_updateWorldBound) != kSuccess) {
        Error("Невозможно сохранить флаг обновления мирового объёма. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Node::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Node* parent = nullptr;
    if (stream.ReadLink(parent) != kSuccess || SetParent(parent) != kSuccess) {
        Error("Невозможно загрузить родителя. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    Transform local;
    if (stream.ReadTransform(local) != kSuccess) {
        Error("Невозможно загрузить локальную трансформацию. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_local = local;
    int32_t kind = 0;
    if (stream.ReadInt(kind) != kSuccess || kind != BoundingVolume::kSphere) {
        Error("Невозможно загрузить тип окружающего объёма. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    BoundingVolume* bound = BoundingVolume::CreateOfKind(kind);
    if (!bound) {
        Error("Недостаточно памяти для создания мирового окружающего объёма. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_worldBound = bound;
    if (stream.ReadBool(m_updateWorldBound) != kSuccess) {
        Error("Невозможно загрузить флаг обновления окружающего объёма. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
