#pragma once
#include "engine/core/Vector2.h"
#include "engine/scene/PostRenderEffect.h"

namespace zen {

// Ripples over everything below its scene node ("ZEN.RipplePostRenderEffect"): each pixel of
// the picture is fetched from a place shifted by the normal map's x and y (n * 2 - 1) times the
// strength, the normal map tiled `tiling` times over the screen and scrolling at `scroll`
// (texture widths per second, times `speed`). Shader model 2.
// Stream form after the post-render fields: normal map link; then as one group the scroll
// (2 x float32), strength, tiling (float32), speed (float32).
class RipplePostRenderEffect : public PostRenderEffect {
    ZEN_DECLARE_CLASS

public:
    RipplePostRenderEffect();

    // Advances the scroll by `time` seconds, then the controllers.
    void Update(double time) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    Texture* NormalMap() const { return m_normalMap.Get(); }
    void SetNormalMap(Texture* texture) { m_normalMap = texture; }
    struct Parameters {
        Vector2 scroll{0.05f, 0.03f};
        float strength = 0.02f;  // Screen widths of shift for a fully tilted normal.
        float tiling = 4.0f;
        float speed = 1.0f;
    };
    const Parameters& GetParameters() const { return m_parameters; }
    void SetParameters(const Parameters& parameters) { m_parameters = parameters; }
    float Time() const { return m_time; }

    static const char* const kVertexProgram;
    static const char* const kPixelProgram;

protected:
    void Composite(Renderer& renderer) override;

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_normalMap;
    Parameters m_parameters;
    float m_time = 0;  // Seconds of scrolling so far (times the speed); not saved.
    Ptr<PositionPass> m_pass;
};

}  // namespace zen
