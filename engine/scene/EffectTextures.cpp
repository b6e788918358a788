#include "engine/scene/EffectTextures.h"

#include "engine/scene/BaseTexture.h"

namespace zen {

void EffectTextures::Update(double time, std::initializer_list<BaseTexture*> textures)
{
    for (auto it = textures.begin(); it != textures.end(); ++it) {
        if (!*it)
            continue;
        bool seen = false;
        for (auto before = textures.begin(); before != it && !seen; ++before)
            seen = *before == *it;
        if (!seen)
            (*it)->UpdateForFrame(time);
    }
}

}  // namespace zen
