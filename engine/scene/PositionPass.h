#pragma once
#include <cstdint>
#include "engine/core/Ptr.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Pass.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/VertexShader.h"

namespace zen {


// A pass that feeds only the current geometry's positions to its own shader pair
// ("ZEN.PositionPass"): the full-screen quads and fans that render-to-texture controllers and
// post-render effects draw, whose programs derive everything else from the position. Apply
// binds the positions as stream 0, no indices, and the shaders; the caller then binds its
// textures and constants and draws without indices. Not streamed.
class PositionPass : public Pass {
    ZEN_DECLARE_CLASS

public:
    PositionPass() = default;
    // Takes references on the shaders (either may be null).
    PositionPass(VertexShader* vertexShader, PixelShader* pixelShader);

    void SetShaders(VertexShader* vertexShader, PixelShader* pixelShader);
    VertexShader* GetVertexShader() const { return m_vertexShader.Get(); }
    PixelShader* GetPixelShader() const { return m_pixelShader.Get(); }

    // kFailure without a current geometry holding positions.
    Result Apply(Renderer* renderer) override;

    // Binds `geometry` as the renderer's current geometry, makes this the current pass, sets it
    // and applies it: the steps before a caller's constants and draw. kSuccess to draw.
    Result Begin(Renderer& renderer, Triangles* geometry);

    // Triangles over `count` positions (no indices), named `name`; null when out of memory.
    static Ptr<Triangles> CreateGeometry(const char* name, const Vector3* positions, uint32_t count);
    // The two triangles covering clip space: (-1,-1) (1,1) (1,-1) and (-1,-1) (-1,1) (1,1).
    static Ptr<Triangles> CreateScreenQuad(const char* name);

private:
    Ptr<VertexShader> m_vertexShader;
    Ptr<PixelShader> m_pixelShader;
};

}  // namespace zen
