#pragma once
#include <cstdint>
#include "engine/anim/RenderTextureController.h"
#include "engine/core/Ptr.h"
#include "engine/scene/PositionPass.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"

namespace zen {

// Rain ripples rendered into its owner texture ("ZEN.RenderDropsNormalmapTextureController"):
// a height field lives on the device in two A16B16G16R16 textures used in turn (height in the
// first channel, vertical velocity in the second, both offset by 0.5). Random drops are
// stamped in as small discs, a damped wave equation is stepped at the simulation rate, and the
// result is turned into the owner's normal map (height in alpha). Needs shader model 2.
// Stream form after the controller block: simulation rate, drop strength, strength spread
// (float32), drop rate (uint32), drop radius, radius spread, damping, height factor, velocity
// factor, bump (float32).
class RenderDropsNormalmapTextureController : public RenderTextureController {
    ZEN_DECLARE_CLASS

public:
    // Work per frame is bounded: a long pause (or frames without the shader model) must not
    // turn into thousands of draws in one frame. What is beyond the bound is dropped.
    static constexpr uint32_t kMaxStepsPerFrame = 64;
    static constexpr uint32_t kMaxDropsPerFrame = 64;

    RenderDropsNormalmapTextureController();

    void Update(double elapsed) override;
    void PostUpdate() override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    struct Parameters {
        float simulationRate = 0.05f;  // Thousands of steps per second.
        float dropStrength = 1.0f;
        float strengthSpread = 0;
        uint32_t dropRate = 1;         // Drops per second.
        float dropRadius = 0.02f;      // In the texture's -1..1 coordinates.
        float radiusSpread = 0;
        float damping = 0.01f;
        float heightFactor = 0.6f;
        float velocityFactor = 0.1f;
        float bump = 5.0f;
    };
    const Parameters& GetParameters() const { return m_parameters; }
    void SetParameters(const Parameters& parameters) { m_parameters = parameters; }

    // The two height textures (null until the first PostUpdate) and which one is current.
    Texture* HeightTexture(uint32_t index) const { return index < 2 ? m_heights[index].Get() : nullptr; }
    uint32_t CurrentHeight() const { return m_current; }

    // How many whole steps and drops `stepTimer` and `dropTimer` hold; the timers keep the rest.
    static uint32_t TakeSteps(double& stepTimer, float simulationRate);
    static uint32_t TakeDrops(double& dropTimer, uint32_t dropRate);

    static const char* const kDropVertexProgram;
    static const char* const kDropPixelProgram;
    static const char* const kStepVertexProgram;
    static const char* const kStepPixelProgram;
    static const char* const kNormalVertexProgram;
    static const char* const kNormalPixelProgram;

private:
    // Makes the height textures anew when missing or of another size than the owner's image.
    bool PrepareHeights(Renderer& renderer, Texture& target);
    void DrawDrops(Renderer& renderer, uint32_t count);
    void DrawSteps(Renderer& renderer, uint32_t count);
    void DrawNormals(Renderer& renderer, Texture& target);

    Parameters m_parameters;
    double m_dropTimer = 0;  // Seconds not yet turned into drops; not saved.
    double m_stepTimer = 0;  // Seconds not yet turned into steps; not saved.
    Ptr<Texture> m_heights[2];
    uint32_t m_current = 0;  // Index of the height texture holding the present state.
    Ptr<PositionPass> m_dropPass, m_stepPass, m_normalPass;
    Ptr<Triangles> m_quad;
    Ptr<Triangles> m_fan;    // 16 triangles around the origin, radius 1.
};

}  // namespace zen
