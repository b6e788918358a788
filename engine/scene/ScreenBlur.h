#pragma once
#include <cstdint>
#include "engine/core/Ptr.h"
#include "engine/scene/PositionPass.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"

namespace zen {

class Object;
class Renderer;

// The shrink-and-blur chain that bloom and glow share: a source texture is drawn into a smaller
// "downsample" target through a pixel program of the owner's choosing (a bright pass, a copy),
// then blurred with five taps (the texel and its four neighbours at `spread` texels) back and
// forth between the two targets. Each round widens the halo; the result falls off smoothly
// with distance once the small target is magnified over the screen. Not an engine object: a
// part of its effect.
class ScreenBlur {
public:
    static constexpr uint32_t kMaxRounds = 8;

    // Names of the two intermediate images and textures, and the downsample pixel program
    // (it reads stage 0 and may use pixel constants c0-c2) with its vertex program (by default
    // kCopyVertexProgram: t0 the centre of the source block under the small target's pixel).
    // The downsample's vertex program gets c1, half a texel of the small target, and c2 its
    // texel size (1 / width, 1 / height).
    ScreenBlur(const char* downsampleImage, const char* downsampleTexture, const char* blurImage,
               const char* blurTexture, const char* downsampleProgram,
               const char* downsampleVertexProgram = kCopyVertexProgram);

    // Runs the chain on `source` (`width` x `height`), the targets being `divisor` times smaller
    // on each side (at least 1 x 1). Returns the blurred texture, or null (nothing drawn, logged
    // by `owner`) when the targets cannot be had or the device refuses them.
    Texture* Run(const Object& owner, Renderer& renderer, Triangles* quad, BaseTexture* source, uint32_t width,
                 uint32_t height, uint32_t divisor, float spread, uint32_t rounds);

    Texture* Downsampled() const { return m_downsample.Get(); }
    Texture* Blurred() const { return m_blur.Get(); }

    static const char* const kBlurVertexProgram;
    static const char* const kBlurPixelProgram;
    static const char* const kCopyVertexProgram;

private:
    const char* m_names[4];
    Ptr<Texture> m_downsample;
    Ptr<Texture> m_blur;
    Ptr<PositionPass> m_downsamplePass;
    Ptr<PositionPass> m_blurPass;
};

}  // namespace zen
