#pragma once
#include "engine/anim/RenderTextureController.h"
#include "engine/core/Link.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeList.h"

namespace zen {

class CubeTexture;

// Renders an environment cube into its owner cube texture ("ZEN.RenderCubeTextureController"):
// six faces seen from the centre node's world position (the origin without one) through a
// 90-degree camera with the current camera's near and far distances, drawing the listed nodes.
// The cube is rendered once, again whenever the device copy is gone (a lost device), or every
// frame with the regenerate flag.
// Stream form after the controller block: regenerate flag (byte), centre node link, node list.
class RenderCubeTextureController : public RenderTextureController {
    ZEN_DECLARE_CLASS

public:
    // The look, up and right axes of each face, in the device's face order (+X, -X, +Y, -Y,
    // +Z, -Z).
    struct FaceAxes {
        Vector3 look, up, right;
    };
    static const FaceAxes kFaces[6];

    RenderCubeTextureController() = default;

    void PostUpdate() override;

    void VisitReferences(ReferenceVisitor& visitor) override;  // Also the listed nodes.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    NodeList& Nodes() { return m_nodes; }
    Node* Centre() const { return m_centre.Get(); }
    void SetCentre(Node* centre) { m_centre = centre; }
    bool Regenerate() const { return m_regenerate; }
    void SetRegenerate(bool regenerate) { m_regenerate = regenerate; }
    bool IsDone() const { return m_done; }

private:
    NodeList m_nodes;
    bool m_regenerate = false;
    Link<Node> m_centre;  // A scene node, linked: the scene holds this controller's texture.
    bool m_done = false;  // All six faces rendered; not saved.
    Ptr<Camera> m_camera;  // The 90-degree camera of the faces; made on first use, not saved.
};

}  // namespace zen
