#pragma once
#include "engine/scene/PostRenderEffect.h"

namespace zen {

// Sepia toning of everything below its scene node ("ZEN.SepiaPostRenderEffect"): the luminance
// L = 0.299 r + 0.587 g + 0.184 b, shifted by (80, 43, -23) / 255, blended with the picture by
// the amount (0 leaves it, 1 is full sepia). Shader model 1.1.
// Stream form after the post-render fields: amount (float32).
class SepiaPostRenderEffect : public PostRenderEffect {
    ZEN_DECLARE_CLASS

public:
    SepiaPostRenderEffect();

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    float Amount() const { return m_amount; }
    void SetAmount(float amount) { m_amount = amount; }

    static const char* const kPixelProgram;

protected:
    void Composite(Renderer& renderer) override;
    // Draws the toned picture; the film member adds its lines and grain after it.
    void DrawSepia(Renderer& renderer);

private:
    float m_amount = 1.0f;
    Ptr<PositionPass> m_pass;
};

}  // namespace zen
