#pragma once
#include <cstdint>

namespace zen {

// The textures and pixel program a device holds between draws. A device keeps whatever the
// previous pass bound, and a pass binds only what it uses: without a reset, a fixed-function
// sprite drawn after a four-texture surface multiplied its own colour by the surface's maps.
// A renderer therefore starts every pass from nothing bound (BeginPass says what to unbind),
// records each binding, and before each fixed-function draw ends the stage cascade at the
// first stage above 0 that has no texture of this pass.
class StageBindings {
public:
    static constexpr uint32_t kStages = 8;
    static constexpr uint32_t kNoStage = kStages;  // EndOfCascade: nothing to disable.

    // A pass begins. Returns the stages (bit s: stage s) that still hold a texture, which the
    // caller unbinds; afterwards nothing counts as bound, pixel program included.
    uint32_t BeginPass();
    // Stages at or past kStages are ignored.
    void BindTexture(uint32_t stage, bool bound);
    void BindPixelShader(bool bound) { m_pixelShader = bound; }

    uint32_t Textures() const { return m_textures; }  // Bit s: stage s holds a texture.
    bool PixelShaderBound() const { return m_pixelShader; }
    // The stage a fixed-function draw disables (and with it every later one): the first stage
    // above 0 without a texture. kNoStage while a pixel program is bound (it reads no stage
    // operations) or when every stage has a texture.
    uint32_t EndOfCascade() const;

private:
    uint32_t m_textures = 0;
    bool m_pixelShader = false;
};

}  // namespace zen
