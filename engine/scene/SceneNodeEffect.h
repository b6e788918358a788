#pragma once
#include "engine/scene/Effect.h"

namespace zen {

class SceneNode;

// An effect on a scene node ("ZEN.SceneNodeEffect", abstract): each of its passes wraps the
// drawing of all the node's children (shadow maps, projected caustics, post-render effects).
// The node applies a pass, draws its children, flushes the blended ones within the pass and
// pops what the pass pushed.
class SceneNodeEffect : public Effect {
    ZEN_DECLARE_CLASS

public:
    // The scene node that listed this effect last (not owned; cleared when it lets it go).
    SceneNode* Owner() const { return m_owner; }
    void OnAttach(Object* owner) override;

protected:
    SceneNodeEffect() = default;

private:
    SceneNode* m_owner = nullptr;  // Not owned: the node holds this effect.
};

}  // namespace zen
