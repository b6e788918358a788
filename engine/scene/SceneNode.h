#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Node.h"
#include "engine/scene/SceneNodeEffect.h"

namespace zen {

// The grouping node ("ZEN.SceneNode"): an ordered array of child slots, updated and drawn in
// index order, and a list of scene-node effects (newest first) that wrap the drawing of the
// children. Slots may be empty; the array grows by its increment. The graph of children stays
// a tree or a DAG: a node never becomes its own descendant, so the walks always end.
//
// With effects, the children are drawn once per pass of each enabled effect (its chosen
// technique), the blended ones flushed within the pass; a node whose effects are all disabled
// or unsupported draws no child.
class SceneNode : public Node {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kDefaultCapacity = 1;
    static constexpr uint32_t kDefaultIncrement = 2;
    // Largest growth increment a file may set (larger ones are taken as corruption).
    static constexpr uint32_t kMaxIncrement = 0xFFFF;

    SceneNode();
    // Releases the effects, clears the parent link of every child it holds, then the children.
    ~SceneNode() override;

    // Children. Results: kSuccess; kInvalidArgument (with a warning) for a null child or one
    // that would make a cycle (this node or one of its ancestors or descendants' holders);
    // kFailure when the array is full and its increment is 0; kOutOfMemory.
    uint32_t ChildCount() const { return m_children.Count(); }        // Slots, empty ones too.
    uint32_t ChildCapacity() const { return m_children.Capacity(); }
    uint32_t ChildIncrement() const { return m_children.Increment(); }
    Node* GetChild(uint32_t index) const { return index < ChildCount() ? m_children[index].Get() : nullptr; }
    // Puts `child` in the first empty slot, else appends a slot; its index goes to `index`.
    Result AttachChild(Node* child, uint32_t* index = nullptr);
    // Replaces slot `index` (< ChildCount) with `child` (null empties it), or appends when
    // `index` == ChildCount. The child's parent becomes this node; the old child's parent link
    // is cleared when it pointed here.
    Result SetChild(uint32_t index, Node* child);
    // Empties the slot holding `child`; kInvalidArgument when it is not a child.
    Result DetachChild(Node* child);

    // Effects (objects whose type derives from ZEN.SceneNodeEffect). AddEffect refuses null and
    // objects of another type (kInvalidArgument) and ignores an effect already listed
    // (kSuccess); otherwise it puts the effect at the head and makes this node its owner.
    // kOutOfMemory when the list cell cannot be had (logged).
    Result AddEffect(Object* effect);
    Result RemoveEffect(Object* effect);  // Unlinks the first cell holding it.
    uint32_t EffectCount() const;
    SceneNodeEffect* GetEffect(uint32_t index) const;  // 0 is the newest; null past the end.

    // Node: controllers, world transform, effects, then each child's UpdateState(time, false).
    void Update(double time) override;
    // Each non-empty child's DrawIfVisible, in index order; with effects, once per pass.
    void Draw(Renderer* renderer) override;
    // The first non-empty child's sphere bound, merged with every later one's; nothing when
    // the bound is not updated or there are no slots.
    void UpdateWorldBound() override;

    // Search: this node, its controllers and bound, then the effects, then the children.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // Children, then effects.

    // Stream: effect count, effects (links), slot count, increment, slots (links, null for
    // empty ones). Counts are checked against the bytes left before anything is allocated.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    struct EffectCell {
        Ptr<SceneNodeEffect> effect;
        EffectCell* next;
    };

    // True when `child` may hang below this node without closing a loop.
    bool CanAdopt(const Node* child) const;
    // Puts `child` in the existing slot `index` and fixes both parent links.
    void PlaceChild(uint32_t index, Node* child);
    void ReleaseChildren();
    void ReleaseEffects();
    // Appends at the tail (loading keeps the stored order).
    Result AppendEffect(SceneNodeEffect* effect);
    // Draws the children once per pass of `effect`.
    void DrawThroughEffect(Renderer* renderer, SceneNodeEffect& effect);
    void DrawChildren(Renderer* renderer);

    Array<Ptr<Node>> m_children{kDefaultCapacity, kDefaultIncrement};  // Owned; slots may be null.
    EffectCell* m_effects = nullptr;  // Owned list, newest first.
};

}  // namespace zen
