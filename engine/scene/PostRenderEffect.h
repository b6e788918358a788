#pragma once
#include <cstdint>
#include "engine/core/Ptr.h"
#include "engine/scene/PositionPass.h"
#include "engine/scene/SceneNodeEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"

namespace zen {

// Base of the effects that draw a scene node's children into a screen-sized texture and then
// draw that texture back over the screen as one full-screen quad through a pixel program
// ("ZEN.PostRenderEffect", abstract): sepia, film, bloom, depth of field, ripples, glow. The best
// technique has two passes (capture, composite; see PostRenderPass); a device without the
// member's shader versions gets a one-pass technique that draws the children plainly, and so
// does a frame whose screen texture cannot be made or bound as a target. With the film flag the
// scene is drawn into a letterbox band of 75 % of the viewport height, leaving black bars.
// Stream form after the Object fields: film flag (byte).
class PostRenderEffect : public SceneNodeEffect {
    ZEN_DECLARE_CLASS

public:
    ~PostRenderEffect() override;

    Result CreatePasses(uint32_t technique, Technique& out) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    bool FilmFlag() const { return m_filmFlag; }
    void SetFilmFlag(bool film) { m_filmFlag = film; }
    Texture* ScreenTexture() const { return m_screenTexture.Get(); }
    Triangles* ScreenQuad() const { return m_screenQuad.Get(); }

    // The passes' work. BeginCapture: letterbox, the screen texture (made anew when the viewport
    // size changed), the texture as render target; kSuccess so the children are drawn.
    // FinishComposite: back to the screen, the member's composite draw, the viewport restored;
    // kFailure so the children are not drawn a second time (nothing logged).
    Result BeginCapture(Renderer& renderer);
    Result FinishComposite(Renderer& renderer);

    // The full-screen vertex program every member's first composite shares: clip position from
    // x and y, texture coordinates ((x + 1) / 2, (1 - y) / 2) plus the half-texel offset in c1,
    // and the effect's amount (c0) forwarded as the diffuse colour.
    static const char* const kQuadVertexProgram;

protected:
    // Adds the member's technique (shader versions) and the plain fallback.
    PostRenderEffect(uint32_t vertexShaderVersion, uint32_t pixelShaderVersion);

    // Draws the captured screen texture over the current target (the screen, or the letterbox
    // band). The screen quad is the current geometry.
    virtual void Composite(Renderer& renderer) = 0;

    // A pass over the screen quad with the given programs: no depth test, both sides drawn,
    // clamped texture addressing on stages 0-3; null when out of memory.
public:
    static Ptr<PositionPass> MakeQuadPass(const char* name, const char* vertexProgram, const char* pixelProgram);
    // Makes `texture` (named `textureName` over an image `imageName`, R8G8B8A8) anew when it is
    // missing or not `width` x `height`. False, logged in `owner`'s name, for an empty or absurd
    // size or no memory.
    static bool PrepareTarget(const Object& owner, Ptr<Texture>& texture, const char* imageName,
                              const char* textureName, uint32_t width, uint32_t height);
    // Draws `quad` with `pass` into whatever target is current, texture `source` at stage 0 (and
    // `second` at stage 1), vertex c1 the half-texel offset of a `width` x `height` source. The
    // caller sets its own constants first.
    static void DrawQuad(Renderer& renderer, PositionPass& pass, Triangles* quad, BaseTexture* source,
                         BaseTexture* second, uint32_t width, uint32_t height);
    // The largest side a screen-sized target may have.
    static constexpr uint32_t kMaxTargetSide = 8192;

private:
    Ptr<Triangles> m_screenQuad;
    Ptr<Texture> m_screenTexture;   // "Screen Texture" over "Screen Image"; render target of the capture.
    bool m_filmFlag = false;
    int32_t m_savedWidth = 0;       // Viewport size while the letterbox is active.
    float m_savedHeight = 0;
    bool m_capturing = false;       // The capture bound the screen texture this frame.
};

}  // namespace zen
