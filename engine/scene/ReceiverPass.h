#pragma once
#include <cstdint>
#include "engine/scene/Pass.h"

namespace zen {

class ReceiverEffect;

// One pass of a scene-node effect that lays something over its children's surfaces
// ("ZEN.ReceiverPass"): the children pass lets the scene node draw its children as usual; the
// overlay pass has the effect draw the surfaces again through its own programs (a shadow, a
// caustic) and answers that the children are not to be drawn a second time (any result but
// kSuccess, nothing logged). Not streamed.
class ReceiverPass : public Pass {
    ZEN_DECLARE_CLASS

public:
    enum Stage : uint32_t { kChildren, kOverlay };

    ReceiverPass() = default;
    // `effect` owns the pass through its technique (a plain back-pointer).
    ReceiverPass(ReceiverEffect* effect, Stage stage) : m_effect(effect), m_stage(stage) {}

    Result Apply(Renderer* renderer) override;
    Stage GetStage() const { return m_stage; }
    void DetachEffect() { m_effect = nullptr; }

private:
    ReceiverEffect* m_effect = nullptr;  // Not owned (see the constructor).
    Stage m_stage = kChildren;
};

}  // namespace zen
