#pragma once
#include <initializer_list>

namespace zen {

class BaseTexture;

// Runs the controllers of the textures an effect draws with beyond those its base effect
// updates (generators that fill them on their first update, render-to-texture controllers that
// register for the frame), as the effect's own Update runs the effect's. Static helpers only.
class EffectTextures {
public:
    // BaseTexture::UpdateForFrame(time) on each texture (once a frame however many effects
    // share it), skipping nulls and repeats in the list.
    static void Update(double time, std::initializer_list<BaseTexture*> textures);
};

}  // namespace zen
