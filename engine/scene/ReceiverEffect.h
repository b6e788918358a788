#pragma once
#include <cstdint>
#include "engine/core/Array.h"
#include "engine/scene/SceneNodeEffect.h"

namespace zen {

class GeometryNode;

// The shared part of the scene-node effects that draw the children as usual and then lay
// something over their surfaces with a program of their own (shadow maps, projected caustics).
// It has no run-time type of its own: each names SceneNodeEffect as its base record. The best
// technique (the member's shader versions) has two passes, children then overlay (ReceiverPass);
// the fallback has the children pass alone, so a device without the programs shows the
// children plainly.
class ReceiverEffect : public SceneNodeEffect {
public:
    ~ReceiverEffect() override;

    Result CreatePasses(uint32_t technique, Technique& out) override;

    // The overlay pass's work: draw the surfaces again, blended over what the children left.
    virtual void DrawOverlay(Renderer& renderer) = 0;

protected:
    ReceiverEffect(uint32_t vertexShaderVersion, uint32_t pixelShaderVersion);
};

}  // namespace zen
