#pragma once
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/Light.h"
#include "engine/scene/Node.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"

namespace zen::tool {

// The effects `zen scene gallery` shows, one scene each: how each is set up on the gallery's
// sphere and floor with the gallery's pictures and lights. One row per effect (and a few
// variants: fog, a lower shader level is chosen by `zen render`).
class GalleryEffects {
public:
    // What the scenes share (not owned here).
    struct Assets {
        Texture* base = nullptr;     // A light two-tone checker.
        Texture* normal = nullptr;   // Round bumps.
        Texture* light = nullptr;    // A light map, bright at the top.
        Texture* gloss = nullptr;    // Shiny and matt stripes.
        Texture* caustic = nullptr;
        Texture* waves = nullptr;    // Crossing swells (a normal map).
        Texture* clouds = nullptr;   // Cloud density (grey).
        Texture* lava = nullptr;     // Glowing cracks.
        CubeTexture* sky = nullptr;  // One plain colour per face.
        Light* sun = nullptr;        // Directional.
        Light* lamp = nullptr;       // Point.
    };
    struct Entry {
        const char* name;  // Scene file name without ".STR"; also the root's name.
        // Gives `ball` and `floor` their effect and returns the node holding them.
        Ptr<Node> (*build)(const Assets& assets, Triangles* ball, Triangles* floor);
    };

    static const std::vector<Entry>& Entries();
};

}  // namespace zen::tool
