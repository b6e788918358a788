#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Flies a node along keyframed placements ("ZEN.NodeAnimationController"; owner a ZEN.Node,
// animations ZEN.NodeAnimation). The blended placement replaces the node's local transform
// and turns its world-transform update on, so the move shows in the same frame's update.
class NodeAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    NodeAnimationController() = default;

protected:
    // Translation and scale blend linearly, the rotation by Slerp, first between the two keys
    // of each stage and then from the accumulated placement towards the stage's by its weight.
    void ApplyStages() override;
};

}  // namespace zen
