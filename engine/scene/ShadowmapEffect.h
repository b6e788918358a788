#pragma once
#include <cstdint>
#include <vector>
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/Light.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeList.h"
#include "engine/scene/ProjectionPass.h"
#include "engine/scene/ReceiverEffect.h"
#include "engine/scene/Texture.h"

namespace zen {

// Shadows cast by a light over a scene node's children ("ZEN.ShadowmapEffect"). At the start
// of each frame its RenderShadowmapEffectController has the light's view of the casters (the
// controller's nodes, or all the children) drawn into the shadow map, "Shadow Map Texture": the
// depth of the nearest surface per texel, kept as a colour split over two 8-bit channels (16
// bits in all) rather than in a depth-stencil texture, so the same programs compare it on every
// shader model 2 device whatever its depth and 16-bit colour formats (the one colour format
// every device renders to). The children are then drawn as usual, and every opaque surface
// below the node again through the shadow test, multiplying what is there by the shadow colour
// where something lies nearer the light (a depth bias in world units, plus two texels, against
// acne).
//
// The light's view: for a directional light an orthographic box around the casters' bound
// along the light; for a point or spot light a perspective from its position that takes the
// casters in (at most 120 degrees wide); in depth it reaches through the node's whole bound.
// Listing the casters keeps a small caster sharp over a wide floor. Shader model 2 (vs_2_0, ps_2_0); the fallback draws the
// children plainly, and so does a frame whose map was not drawn (no light, no controller, a lost
// device, a refused render target).
// Stream form after the Object fields: light (link), then the map size (uint32), the depth
// bias (float32) and the shadow colour (four float32) as one group.
class ShadowmapEffect : public ReceiverEffect {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kDefaultMapSize = 1024;
    static constexpr uint32_t kMinMapSize = 16;
    static constexpr uint32_t kMaxMapSize = 4096;
    static constexpr float kMaxSpotAngle = 2.0943951f;  // 120 degrees, the widest perspective view.

    ShadowmapEffect();

    Light* GetLight() const { return m_light.Get(); }
    void SetLight(Light* light);
    uint32_t MapSize() const { return m_mapSize; }
    // kInvalidArgument (a warning, nothing changed) outside kMinMapSize..kMaxMapSize.
    Result SetMapSize(uint32_t size);
    float Bias() const { return m_bias; }
    void SetBias(float bias) { m_bias = bias; }
    const Vector4& ShadowColor() const { return m_shadowColor; }
    void SetShadowColor(const Vector4& color) { m_shadowColor = color; }

    Texture* ShadowMap() const { return m_map.Get(); }
    // The light's view x projection of the last map drawn.
    const Matrix4& LightViewProjection() const { return m_lightViewProjection; }
    // Whether the overlay has a map to test against (drawn, and not lost with the device since).
    bool MapReady() const;

    // Draws the casters' depth as the light sees them into the shadow map: `casters` when it
    // lists nodes, else the owner's children. kSuccess when drawn; kFailure when there is no
    // light (logged once), no owner or nothing to see, or the target was refused.
    Result RenderMap(Renderer& renderer, const NodeList* casters);
    void DrawOverlay(Renderer& renderer) override;

    // The light's view and projection: across, the casters' sphere fills the map; in depth, 0
    // to 1 reaches from the nearest to the farthest point of the casters' and the scene's
    // spheres. False when the light's type or placement gives none (a point light at the
    // casters' centre, an empty sphere).
    static bool LightView(const Light& light, const Vector3& casterCenter, float casterRadius,
                          const Vector3& sceneCenter, float sceneRadius, Matrix4& view, Matrix4& projection);

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    static const char* const kDepthVertexProgram;
    static const char* const kDepthPixelProgram;
    static const char* const kShadowVertexProgram;
    static const char* const kShadowPixelProgram;

private:
    bool PreparePasses();

    Ptr<Light> m_light;
    uint32_t m_mapSize = kDefaultMapSize;
    float m_bias = 0.05f;
    Vector4 m_shadowColor{0.4f, 0.4f, 0.4f, 1};
    Ptr<Texture> m_map;  // "Shadow Map Texture" over "Shadow Map Image".
    Ptr<ProjectionPass> m_depthPass, m_shadowPass;
    std::vector<GeometryNode*> m_nodes;  // This frame's casters or receivers (room kept).
    std::vector<Node*> m_pending;        // The walk's list (room kept).
    Matrix4 m_lightViewProjection;
    Matrix4 m_mapMatrix;  // Light view x projection x texel mapping (and the bias).
    bool m_drawn = false;
    bool m_reportedNoLight = false;
};

}  // namespace zen
