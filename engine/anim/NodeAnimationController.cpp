#include "engine/anim/NodeAnimationController.h"

#include "engine/anim/Interpolation.h"
#include "engine/anim/NodeKeyframe.h"
#include "engine/scene/Node.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NodeAnimationController, AnimationController, kStartupOtherClasses)

namespace {

struct Placement {
    Vector3 translation;
    Quaternion rotation;
    Vector3 scale;
};

}  // namespace

void NodeAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Node::TYPE))
        return;
    Node& node = static_cast<Node&>(*m_owner);
    Transform& local = node.LocalTransform();
    const Placement blended = BlendStages<NodeKeyframe>(
        Placement{local.translation, local.rotation, local.scale},
        [](const NodeKeyframe& a, const NodeKeyframe& b, float f) {
            return Placement{Lerp(a.translation, b.translation, f), Slerp(f, a.rotation, b.rotation),
                             Lerp(a.scale, b.scale, f)};
        },
        [](const Placement& acc, const Placement& value, float w) {
            return Placement{Lerp(acc.translation, value.translation, w), Slerp(w, acc.rotation, value.rotation),
                             Lerp(acc.scale, value.scale, w)};
        });
    local.translation = blended.translation;
    local.rotation = blended.rotation;
    local.scale = blended.scale;
    local.isIdentity = false;
    local.noRotation = false;
    node.SetUpdateWorldTransform(true);
}

}  // namespace zen
