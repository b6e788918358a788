#include "engine/scene/SceneNode.h"

#include <new>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/core/ReferenceVisitor.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SceneNode, Node, kStartupSceneClasses)

namespace {

uint32_t g_visitStamp = 0;  // Marks of the current walk over the child graph (one thread).

bool IsSceneNode(const Node* node)
{
    return node->IsDerivedFrom(&SceneNode::TYPE);
}

bool IsSceneNodeEffect(const Object* object)
{
    return object->IsDerivedFrom(&SceneNodeEffect::TYPE);
}

}  // namespace

SceneNode::SceneNode() = default;

SceneNode::~SceneNode()
{
    ReleaseEffects();
    ReleaseChildren();
}

// --- Children ---------------------------------------------------------------------------------

bool SceneNode::CanAdopt(const Node* child) const
{
    if (child == this || HasAncestor(child))
        return false;
    if (!IsSceneNode(child))
        return true;
    // Is this node already below `child`? Then holding it would close a loop. Each node is
    // visited once, so shared subtrees cost no more than their size.
    if (++g_visitStamp == 0)
        g_visitStamp = 1;
    std::vector<const SceneNode*> pending{static_cast<const SceneNode*>(child)};
    child->m_visitMark = g_visitStamp;
    while (!pending.empty()) {
        const SceneNode* node = pending.back();
        pending.pop_back();
        for (const Ptr<Node>& slot : node->m_children) {
            const Node* below = slot.Get();
            if (!below || below->m_visitMark == g_visitStamp)
                continue;
            if (below == this)
                return false;
            below->m_visitMark = g_visitStamp;
            if (IsSceneNode(below))
                pending.push_back(static_cast<const SceneNode*>(below));
        }
    }
    return true;
}

void SceneNode::PlaceChild(uint32_t index, Node* child)
{
    Ptr<Node> old = m_children[index];  // Held until the slot is rewritten.
    m_children[index] = child;
    if (old && old->m_parent == this && old.Get() != child)
        old->m_parent = nullptr;
    if (child)
        child->m_parent = this;
}

Result SceneNode::SetChild(uint32_t index, Node* child)
{
    if (index > ChildCount())
        return kInvalidArgument;
    if (child && !CanAdopt(child)) {
        Warning("Узел не может стать потомком самого себя. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    if (index == ChildCount()) {
        const Result appended = m_children.Append(Ptr<Node>());
        if (appended != kSuccess)
            return appended;
    }
    PlaceChild(index, child);
    return kSuccess;
}

Result SceneNode::AttachChild(Node* child, uint32_t* index)
{
    if (!child) {
        Warning("Указатель на дочерний узел равен 0. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    uint32_t slot = m_children.IndexOfIf([](const Ptr<Node>& node) { return !node; });
    if (slot == Array<Ptr<Node>>::kNotFound)
        slot = ChildCount();
    const Result result = SetChild(slot, child);
    if (result == kSuccess && index)
        *index = slot;
    return result;
}

Result SceneNode::DetachChild(Node* child)
{
    if (!child)
        return kInvalidArgument;
    const uint32_t slot = m_children.IndexOfIf([child](const Ptr<Node>& node) { return node.Get() == child; });
    if (slot == Array<Ptr<Node>>::kNotFound)
        return kInvalidArgument;
    PlaceChild(slot, nullptr);
    return kSuccess;
}

void SceneNode::ReleaseChildren()
{
    for (Ptr<Node>& child : m_children)
        if (child && child->m_parent == this)
            child->m_parent = nullptr;
    m_children.Clear();
}

// --- Effects ----------------------------------------------------------------------------------

Result SceneNode::AddEffect(Object* effect)
{
    if (!effect || !IsSceneNodeEffect(effect))
        return kInvalidArgument;
    for (EffectCell* cell = m_effects; cell; cell = cell->next)
        if (cell->effect.Get() == effect)
            return kSuccess;
    auto* typed = static_cast<SceneNodeEffect*>(effect);
    EffectCell* cell = new (std::nothrow) EffectCell{typed, m_effects};
    if (!cell) {
        Error("Недостаточно памяти для добавления эффекта. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kOutOfMemory;
    }
    m_effects = cell;
    typed->OnAttach(this);
    return kSuccess;
}

Result SceneNode::AppendEffect(SceneNodeEffect* effect)
{
    EffectCell** tail = &m_effects;
    for (; *tail; tail = &(*tail)->next)
        if ((*tail)->effect.Get() == effect)
            return kSuccess;
    EffectCell* cell = new (std::nothrow) EffectCell{effect, nullptr};
    if (!cell) {
        Error("Недостаточно памяти для добавления эффекта. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kOutOfMemory;
    }
    *tail = cell;
    effect->OnAttach(this);
    return kSuccess;
}

Result SceneNode::RemoveEffect(Object* effect)
{
    for (EffectCell** link = &m_effects; *link; link = &(*link)->next) {
        if ((*link)->effect.Get() == effect) {
            EffectCell* cell = *link;
            *link = cell->next;
            if (cell->effect->Owner() == this)
                cell->effect->OnAttach(nullptr);
            delete cell;
            return kSuccess;
        }
    }
    return kInvalidArgument;
}

uint32_t SceneNode::EffectCount() const
{
    uint32_t count = 0;
    for (const EffectCell* cell = m_effects; cell; cell = cell->next)
        ++count;
    return count;
}

SceneNodeEffect* SceneNode::GetEffect(uint32_t index) const
{
    for (const EffectCell* cell = m_effects; cell; cell = cell->next, --index)
        if (index == 0)
            return cell->effect.Get();
    return nullptr;
}

void SceneNode::ReleaseEffects()
{
    while (EffectCell* cell = m_effects) {
        m_effects = cell->next;
        // A shared effect may live on; it must not point back here.
        if (cell->effect->Owner() == this)
            cell->effect->OnAttach(nullptr);
        delete cell;
    }
}

// --- Per-frame passes -------------------------------------------------------------------------

void SceneNode::Update(double time)
{
    Node::Update(time);
    for (EffectCell* cell = m_effects; cell; cell = cell->next)
        cell->effect->Update(time);
    for (uint32_t i = 0; i < ChildCount(); ++i) {
        const Ptr<Node> child = m_children[i];  // Held: a controller below may empty the slot.
        if (child)
            child->UpdateState(time, false);
    }
}

void SceneNode::Draw(Renderer* renderer)
{
    // An override pass (a depth pass) wants the bare geometry: the effects' passes would change
    // targets and programs under it.
    if (!m_effects || (renderer && renderer->OverridePass())) {
        DrawChildren(renderer);
        return;
    }
    for (EffectCell* cell = m_effects; cell; cell = cell->next) {
        const Ptr<SceneNodeEffect> effect = cell->effect;  // Held: a child's draw may drop it.
        if (effect->IsEnabled())
            DrawThroughEffect(renderer, *effect);
    }
}

void SceneNode::DrawThroughEffect(Renderer* renderer, SceneNodeEffect& effect)
{
    if (!renderer)
        return;
    const uint32_t passes = effect.GetPassCount();
    for (uint32_t i = 0; i < passes; ++i) {
        const uint32_t depth = renderer->StateDepth();
        if (effect.ApplyPass(i, renderer) == kSuccess) {
            // The blended children of this pass are drawn within it; what was queued before
            // (outside this node) waits for the frame's flush.
            const uint32_t queued = renderer->Deferred().Count();
            DrawChildren(renderer);
            renderer->FlushDeferredFrom(queued);
        }
        while (renderer->StateDepth() > depth)
            (void)renderer->PopStateEntry();
    }
}

void SceneNode::DrawChildren(Renderer* renderer)
{
    for (uint32_t i = 0; i < ChildCount(); ++i) {
        const Ptr<Node> child = m_children[i];
        if (child)
            child->DrawIfVisible(renderer);
    }
}

void SceneNode::UpdateWorldBound()
{
    if (!m_updateWorldBound || ChildCount() == 0 || !m_worldBound)
        return;
    bool first = true;
    for (const Ptr<Node>& child : m_children) {
        if (!child)
            continue;
        const BoundingVolume* bound = child->WorldBound();
        const bool sphere = bound && bound->GetType() == BoundingVolume::kSphere;
        if (first) {
            first = false;
            if (sphere)
                (void)m_worldBound->CopyFrom(bound);
        } else if (sphere) {
            (void)m_worldBound->Merge(bound);
        }
    }
}

// --- Search -----------------------------------------------------------------------------------

Object* SceneNode::FindByName(const String& name)
{
    if (Object* found = Node::FindByName(name))
        return found;
    for (EffectCell* cell = m_effects; cell; cell = cell->next)
        if (Object* found = cell->effect->FindByName(name))
            return found;
    for (const Ptr<Node>& child : m_children)
        if (child)
            if (Object* found = child->FindByName(name))
                return found;
    return nullptr;
}

void SceneNode::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Node::CollectByType(type, out);
    for (EffectCell* cell = m_effects; cell; cell = cell->next)
        cell->effect->CollectByType(type, out);
    for (const Ptr<Node>& child : m_children)
        if (child)
            child->CollectByType(type, out);
}

// --- Stream -----------------------------------------------------------------------------------

Result SceneNode::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteInt(static_cast<int32_t>(EffectCount())) != kSuccess) {
        Error("Невозможно сохранить количество эффектов. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    for (EffectCell* cell = m_effects; cell; cell = cell->next) {
        if (stream.WriteObject(cell->effect.Get()) != kSuccess) {
            Error("Невозможно сохранить эффект. Имя[%s] ID[%d]", m_name.CStr(), ID());
            return kFailure;
        }
    }
    if (stream.WriteInt(static_cast<int32_t>(ChildCount())) != kSuccess) {
        Error("Невозможно сохранить количество дочерних узлов. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.WriteInt(static_cast<int32_t>(ChildIncrement())) != kSuccess) {
        Error("Невозможно сохранить приращение. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    for (const Ptr<Node>& child : m_children) {
        if (stream.WriteObject(child.Get()) != kSuccess) {
            Error("Невозможно сохранить дочерний узел. Имя[%s] ID[%d]", m_name.CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result SceneNode::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    // Every effect and slot takes at least a 4-byte reference, so a count beyond the bytes
    // left is corrupt and is refused before any list or array is made for it.
    int32_t effectCount = 0;
    if (stream.ReadInt(effectCount) != kSuccess || effectCount < 0 ||
        static_cast<uint32_t>(effectCount) > stream.Remaining() / 4) {
        Error("Невозможно загрузить количество эффектов. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    ReleaseEffects();
    for (int32_t i = 0; i < effectCount; ++i) {
        Ptr<SceneNodeEffect> effect;
        if (stream.ReadObject(effect) != kSuccess) {
            Error("Невозможно загрузить эффект. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
        if (effect && AppendEffect(effect.Get()) != kSuccess) {
            Error("Невозможно загрузить эффект. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
    }
    int32_t childCount = 0;
    if (stream.ReadInt(childCount) != kSuccess || childCount < 0 ||
        static_cast<uint32_t>(childCount) > stream.Remaining() / 4) {
        Error("Невозможно загрузить количество дочерних узлов. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    int32_t increment = 0;
    if (stream.ReadInt(increment) != kSuccess || increment < 0 || static_cast<uint32_t>(increment) > kMaxIncrement) {
        Error("Невозможно загрузить приращение. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    ReleaseChildren();
    const uint32_t count = static_cast<uint32_t>(childCount);
    m_children = Array<Ptr<Node>>(count > 0 ? count : kDefaultCapacity, static_cast<uint32_t>(increment));
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<Node> child;
        if (stream.ReadObject(child) != kSuccess) {
            Error("Невозможно загрузить дочерний узел. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
        if (child && !CanAdopt(child.Get())) {
            Warning("Узел не может стать потомком самого себя. Имя[%s] ID[%d]", m_name.CStr(), ID());
            Error("Невозможно загрузить дочерний узел. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
        if (m_children.Append(Ptr<Node>()) != kSuccess) {
            Error("Невозможно загрузить дочерний узел. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
        PlaceChild(i, child.Get());
    }
    return kSuccess;
}

void SceneNode::VisitReferences(ReferenceVisitor& visitor)
{
    Node::VisitReferences(visitor);
    for (uint32_t slot = 0; slot < m_children.Count(); ++slot)
        if (m_children[slot] && visitor.Visit(m_children[slot].Get()))
            PlaceChild(slot, nullptr);
    EffectCell** link = &m_effects;
    while (EffectCell* cell = *link) {
        if (!visitor.Visit(cell->effect.Get())) {
            link = &cell->next;
            continue;
        }
        *link = cell->next;
        delete cell;
    }
}

}  // namespace zen
