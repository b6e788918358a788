#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/OcclusionQuery.h"

namespace zen {

// A glowing sprite at a point of the scene ("ZEN.Flare"): a lamp, a star. It rebuilds its own
// geometry every frame so that it faces the camera: one point sprite where the device has them,
// otherwise a quad of two triangles spanned by the camera's right and up axes, `size` across
// its diagonals, in the flare's colour. The draw is measured by an occlusion query when the
// device has them, so VisiblePixels says how much of the flare the last measured frame showed
// (a flare behind a wall: 0). Stream form after the geometry node: colour (4 x float32), size
// (float32), as one group.
class Flare : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    Flare();

    // Points where the current device draws point sprites, otherwise triangles.
    int32_t GetPrimitiveType() const override;
    // Controllers, world transform, effect; then the vertices for the current camera.
    void Update(double time) override;
    // A sphere at the model origin of radius size x 5000: a flare is seen from afar.
    void UpdateModelBound() override;
    // Nothing without vertices; otherwise as a geometry node, inside the occlusion query.
    void Draw(Renderer* renderer) override;
    void DrawDeferred(Renderer* renderer) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    const Vector4& Color() const { return m_color; }
    void SetColor(const Vector4& color) { m_color = color; }
    float Size() const { return m_size; }
    void SetSize(float size) { m_size = size; }
    // Pixels the last completed measurement saw; 0 before any.
    uint32_t VisiblePixels() const { return m_query ? m_query->VisiblePixels() : 0; }
    OcclusionQuery* Query() const { return m_query.Get(); }

protected:
    void DrawPrimitives(Renderer* renderer) override;

private:
    void BuildPointSprite();
    void BuildQuad(const Camera& camera);
    void DrawMeasured(Renderer* renderer, bool deferred);

    Vector4 m_color{1, 1, 1, 1};
    float m_size = 1.0f;  // World units across the quad's diagonals; the point size of a sprite.
    Ptr<OcclusionQuery> m_query;
};

}  // namespace zen
