#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "tools/model/MeshBuilder.h"

namespace zen::scene {

// A fishing boat far out at sea: a dark hull with a wheelhouse and a mast, its running lights
// (white masthead, red to port, green to starboard) and a lit wheelhouse window, working slowly
// round a wide loop beyond the headland's tip, bow first.
class Boat {
public:
    static constexpr double kLoopSeconds = 600.0;
    // The hull, wheelhouse and mast, bow towards +z, keel at y = 0.
    static model::MeshBuilder Hull();
    // The loop it sails (closed, at sea level, well clear of the headland).
    static std::vector<Vector3> Course();
    // `hull` textures the hull (tinted dark), `glow` its lights.
    [[nodiscard]] static Result Add(SceneNode& parent, Texture* hull, Texture* glow);
};

}  // namespace zen::scene
