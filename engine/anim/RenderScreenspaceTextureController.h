#pragma once
#include "engine/anim/RenderTextureController.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Link.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeList.h"
#include "engine/scene/Plane.h"

namespace zen {

// The shared part of the planar water reflection and refraction controllers: the listed nodes
// are drawn into the owner texture from the current camera, with the view changed by the
// subclass's matrix and the near plane replaced by the water's clip plane (oblique near-plane
// clipping), so that only what lies on the far side of the water surface reaches the texture.
// The water is horizontal at the plane node's world height (0 without one). No run-time type of
// its own. Stream form after the controller block: plane node link, node list.
class RenderScreenspaceTextureController : public RenderTextureController {
public:
    // What the clip plane lies above the water: a little of the far side still shows, which
    // hides the seam where the surface is disturbed.
    static constexpr float kClipSlack = 0.8f;

    void PostUpdate() override;

    void VisitReferences(ReferenceVisitor& visitor) override;  // Also the listed nodes.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    NodeList& Nodes() { return m_nodes; }
    Node* PlaneNode() const { return m_plane.Get(); }
    void SetPlaneNode(Node* node) { m_plane = node; }
    float WaterHeight() const;

    // The water clip plane (a, b, c, d with a x + b y + c z + d = 0, kept where positive) for a
    // water surface at `height`.
    static Vector4 ClipPlane(float height);
    // `projection` with its near plane replaced by `worldPlane` (in the space `view` maps from),
    // keeping what lies on the plane's positive side; the far plane stays as close to the old
    // one as the oblique frustum allows. The projection is returned unchanged when the plane
    // cannot serve (the camera on its positive side, or a singular matrix).
    static Matrix4 ObliqueProjection(const Matrix4& view, const Matrix4& projection, const Vector4& worldPlane);

    // The culling plane in the world for `plane` given in the space after `change` (normal
    // inward: the kept side is positive).
    static Plane CullingPlane(const Matrix4& change, const Vector4& plane);

protected:
    RenderScreenspaceTextureController() = default;
    // The matrix applied before the camera's view (mirror or depth scale) for water at `height`.
    virtual Matrix4 SpaceChange(float height) const = 0;
    // Whether the triangle winding flips (a mirror).
    virtual bool Mirrors() const = 0;

private:
    NodeList m_nodes;
    Link<Node> m_plane;  // The water's node, linked: the water holds this controller's texture.
};

}  // namespace zen
