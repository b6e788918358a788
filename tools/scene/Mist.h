#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "tools/model/MeshBuilder.h"

namespace zen::scene {

// Low mist lying on the water round the headland: thin blended layers just above the sea,
// drifting round slowly at their own paces, thick in patches near the shore and gone well
// before the open sea.
class Mist {
public:
    static constexpr float kSize = 520.0f;  // Metres across a layer.
    static Vector3 Centre() { return {0.0f, 0.0f, 60.0f}; }
    // The mist's patches (pale moonlit grey in colour, the density in alpha) over one layer,
    // texel (u, v) lying over the water at Centre() + (u - 1/2, -, 1/2 - v) x kSize.
    static Ptr<Image> Picture(const char* fileName);
    // One layer's mesh, level at y = 0 round the origin, carrying `picture` as Picture lays it
    // out: only the cells of a kSheetCells x kSheetCells grid under which the picture holds
    // some mist within kSheetMargin texels (what filtering and the finer mipmaps can reach)
    // are kept. The rest would be blended at zero opacity, which leaves the water as it was
    // but costs as much to draw. Empty for an image of another format or size below the grid.
    static model::MeshBuilder Sheet(const Image& picture);
    static constexpr int kSheetCells = 32;
    static constexpr int kSheetMargin = 8;
    // Adds the layers to `parent`.
    [[nodiscard]] static Result Add(SceneNode& parent, Texture* mist);
};

}  // namespace zen::scene
