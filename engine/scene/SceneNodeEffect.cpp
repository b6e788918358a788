#include "engine/scene/SceneNodeEffect.h"

#include "engine/scene/SceneNode.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(SceneNodeEffect, Effect, kStartupSceneClasses)

void SceneNodeEffect::OnAttach(Object* owner)
{
    m_owner = owner && owner->IsDerivedFrom(&SceneNode::TYPE) ? static_cast<SceneNode*>(owner) : nullptr;
}

}  // namespace zen
