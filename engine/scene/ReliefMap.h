#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/Texture.h"

namespace zen {

class LightmapTextureEffect;
class Renderer;
class Stream;

// The normal map of the light-mapped relief effects (NormalmapLightmapTextureEffect,
// ParallaxLightmapTextureEffect and their lit subclasses): the texture, its coordinate set and
// the relief's mean, with what those effects share about it: their passes' inputs, the stages
// they bind, and its stream fields (the link, then the set). A plain member of the effect.
class ReliefMap {
public:
    Texture* Get() const { return m_texture.Get(); }
    // Also measures the relief's mean, for the fixed-function fallbacks.
    void Set(Texture* texture);
    float Mean() const { return m_mean; }
    uint32_t CoordSet() const { return m_set; }
    // kInvalidArgument past 7; `changed` tells whether the passes must be built again.
    Result SetCoordSet(uint32_t set, bool& changed);

    // A pass of `effect` with `vertex` and `pixel` reading, after the positions, the normals
    // and tangents (with `lit`), then the texture's, this map's and the light map's coordinate
    // sets (TEXCOORD0-2); with null programs the fixed-function pass (normals with `lit`, the
    // texture's and the light map's sets). Null when out of memory.
    Ptr<GeometryNodeEffectPass> CreatePass(LightmapTextureEffect& effect, const char* vertexName, const char* vertex,
                                           const char* pixelName, const char* pixel, bool lit) const;
    // kSuccess when the texture, the light map and (with `withMap`) this map are there, else
    // reported by `effect`; binds base 0, this map 1, light map 2, or without this map base 0 and
    // light map 1.
    Result Bind(LightmapTextureEffect& effect, Renderer& renderer, bool withMap) const;

    Result Save(const Object& owner, Stream& stream) const;
    // Reads the link and the set; kFailure after the message.
    Result Load(const Object& owner, Stream& stream, Ptr<Texture>& texture, uint32_t& set) const;

private:
    Ptr<Texture> m_texture;
    uint32_t m_set = 0;
    float m_mean = 1.0f;
};

}  // namespace zen
