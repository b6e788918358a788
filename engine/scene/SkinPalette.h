#pragma once
#include <cstdint>

#include "engine/core/Result.h"

namespace zen {

class Object;
class Renderer;
class Vector4Buffer;

// What the skinning vertex programs read from the skin that deforms the mesh they draw: per
// vertex four bone indices and four weights (the streams BLENDINDICES and BLENDWEIGHT), and the
// palette of bone matrices in vertex-program constants. Bone i's matrix takes three registers
// from the palette's first register + 3i (its first three columns, so dp4 with the bind-pose
// position gives the world x, y and z; dp3 with a normal turns it); register kInfoRegister
// holds (first register, 3, 1, 0) and kInfoRegister + 1 the largest bone index in every
// component (the programs clamp indices to it, so no stray index reads outside the palette).
// The skin controllers of the animation layer implement this and register how to find theirs
// on a node (SetFinder), so the scene's effects need not know them.
class SkinPalette {
public:
    static constexpr uint32_t kInfoRegister = 208;

    // The skin on `node` that leaves the deformation to the vertex programs; null when the node
    // has none, or its skin deforms the vertices on the processor (they are then drawn as they
    // are).
    static const SkinPalette* Find(const Object& node);
    using Finder = const SkinPalette* (*)(const Object& node);
    static void SetFinder(Finder finder);

    virtual Vector4Buffer* BlendWeights() const = 0;
    virtual Vector4Buffer* BlendIndices() const = 0;
    // The palette from `firstRegister` and the two information registers. kFailure (nothing
    // written) when the bones do not fit below kInfoRegister or the bindings could be read
    // outside the bones.
    virtual Result WritePalette(Renderer& renderer, uint32_t firstRegister) const = 0;

protected:
    ~SkinPalette() = default;
};

}  // namespace zen
