#pragma once
#include <cstdint>
#include "engine/scene/Pass.h"

namespace zen {

class PostRenderEffect;

// One pass of a post-render effect ("ZEN.PostRenderPass"). The capture pass points the
// renderer at the effect's screen texture, so the scene node's children are drawn into it; the
// composite pass draws the texture back over the screen through the effect's programs and
// answers that the children are not to be drawn again (any result but kSuccess); the plain pass
// of the fallback technique lets the children draw straight to the screen. Not streamed.
class PostRenderPass : public Pass {
    ZEN_DECLARE_CLASS

public:
    enum Stage : uint32_t { kCapture, kComposite, kPlain };

    PostRenderPass() = default;
    // `effect` owns the pass through its technique (a plain back-pointer).
    PostRenderPass(PostRenderEffect* effect, Stage stage) : m_effect(effect), m_stage(stage) {}

    Result Apply(Renderer* renderer) override;
    Stage GetStage() const { return m_stage; }
    void DetachEffect() { m_effect = nullptr; }

private:
    PostRenderEffect* m_effect = nullptr;  // Not owned (see the constructor).
    Stage m_stage = kPlain;
};

}  // namespace zen
