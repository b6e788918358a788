#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/scene/BoundingVolume.h"
#include "engine/scene/Transform.h"

namespace zen {

class Camera;
class Renderer;

// Everything with a place in the 3D world ("ZEN.Node"; a base, never created by type name).
// A node has a transform relative to its parent, a world transform derived from it once per
// frame, and a world bound that culling tests against the camera's planes and that parents
// merge into theirs. The update pass runs controllers, then transforms downward and bounds
// upward (UpdateState); the draw pass culls with the camera's plane mask (DrawIfVisible).
class Node : public Object {
    ZEN_DECLARE_CLASS

public:
    // Bit of view-volume plane i (0 near ... 5 bottom) in a camera's active-plane mask.
    static constexpr uint32_t PlaneBit(uint32_t plane) { return 32u >> plane; }

    Node();
    ~Node() override;

    // Per-frame operations
    // Controllers (newest first), then the world transform from the parent's.
    virtual void Update(double time);
    // Draws this node without culling. Nothing here.
    virtual void Draw(Renderer* renderer);
    // Tests the world bound against the renderer camera's active planes, drops the planes the
    // bound is wholly inside for the subtree, and calls Draw unless a plane culls the node.
    // Without a camera there is nothing to cull against and the node is drawn.
    virtual void DrawIfVisible(Renderer* renderer);
    // DrawIfVisible against `camera` (the renderer's current camera as a rule): the culling
    // step on its own, for callers that hold the camera. A null camera draws without culling.
    void DrawCulled(Renderer* renderer, Camera* camera);
    // Recomputes the world bound. Nothing here.
    virtual void UpdateWorldBound();

    // Update and bound of this subtree; when `initiator`, also the bounds of every ancestor
    // (the caller is the top of the animated part). The application calls it on the root with
    // true; scene nodes call it on their children with false.
    void UpdateState(double time, bool initiator);
    // World = parent's world composed with local (local alone without a parent), unless the
    // world transform is driven by other code.
    void UpdateWorldTransform();

    // Transforms
    Transform& LocalTransform() { return m_local; }
    const Transform& LocalTransform() const { return m_local; }
    void SetLocalTransform(const Transform& transform) { m_local = transform; }
    Transform& WorldTransform() { return m_world; }
    const Transform& WorldTransform() const { return m_world; }
    void SetWorldTransform(const Transform& transform) { m_world = transform; }
    bool UpdatesWorldTransform() const { return m_updateWorldTransform; }
    void SetUpdateWorldTransform(bool update) { m_updateWorldTransform = update; }

    // Bound (null only when it could not be allocated)
    BoundingVolume* WorldBound() const { return m_worldBound.Get(); }
    bool UpdatesWorldBound() const { return m_updateWorldBound; }
    void SetUpdateWorldBound(bool update) { m_updateWorldBound = update; }

    // Hierarchy. The parent link is raw: the parent holds the child, and a counted link back
    // would make a cycle; a scene node clears its children's links when it lets them go.
    Node* Parent() const { return m_parent; }
    // kInvalidArgument (with a warning) when `parent` is this node or one of its descendants
    // along the parent links, which would make the ancestor walk endless.
    Result SetParent(Node* parent);
    // True when `node` is this node's parent, grandparent, and so on.
    bool HasAncestor(const Node* node) const;

    // Search: also the world bound.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Stream: parent (link), local transform, world-bound kind, update-bound flag. Loading
    // creates a fresh bound of the stored kind (centre 0, radius 0 until the first update).
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    Transform m_local;
    Transform m_world;
    bool m_updateWorldTransform = true;  // False: cameras and lights driven by other code.
    Ptr<BoundingVolume> m_worldBound;    // World space, this node and everything below it.
    bool m_updateWorldBound = true;
    Node* m_parent = nullptr;            // Not owned (see Parent).

private:
    friend class SceneNode;
    mutable uint32_t m_visitMark = 0;    // Scratch for SceneNode's walks over the child graph.
};

}  // namespace zen
