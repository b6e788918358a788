#pragma once
#include "engine/scene/EffectClock.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// Molten rock ("ZEN.LavaEffect"): the texture flows across the surface while a slower, larger
// copy of it warps the flow (its red and green shift the lookup) and darkens it where crust
// forms; the product, doubled, is the glowing surface, times the colour, which pulses in
// brightness. Self-lit: no light, fog as the other effects. Inputs: positions and the texture's
// coordinate set. Technique 0: vs_2_0 + ps_2_0; technique 1: vs_1_1 + ps.1.1 (no warp);
// technique 2: fixed function, the texture x colour, still. A missing texture draws nothing
// (logged once). Update(elapsed) moves it and runs the texture's controllers. Stream form: the texture effect's fields, then the
// parameters (six float32: flow velocity u and v, the slow layer's scale, warp, pulse rate,
// glow; one message).
class LavaEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    struct Parameters {
        float velocity[2] = {0.02f, 0.035f};  // Texture units per second; the slow layer at -1/3.
        float scale2 = 0.5f;                  // The slow layer's tiling.
        float warp = 0.04f;                   // Texture units of shift at full red or green.
        float pulseRate = 0.25f;              // Glow cycles per second.
        float glow = 0.3f;                    // Depth of the pulse: brightness 1 +- glow, 0-1.
    };

    LavaEffect();

    const Parameters& GetParameters() const { return m_parameters; }
    // Non-finite values leave the old parameters; the glow is clamped to 0-1.
    void SetParameters(const Parameters& parameters);
    double LavaTime() const { return m_clock.Seconds(); }
    // The brightness factor of the pulse now: 1 + glow x sin(2 pi x rate x time).
    float Pulse() const;
    Vector4 LayerOffsets() const;  // (u1, v1, u2, v2), each in 0-1.

    void Update(double time) override;
    Result CreatePasses(uint32_t technique, Technique& out) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    Parameters m_parameters;
    EffectClock m_clock;
};

}  // namespace zen
