#pragma once
#include <cstdint>
#include <vector>
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeList.h"
#include "engine/scene/ProjectionPass.h"
#include "engine/scene/ReceiverEffect.h"
#include "engine/scene/Texture.h"

namespace zen {

// Light focused by moving water, laid over a scene node's children ("ZEN.ProjectedCausticEffect"):
// after the children are drawn as usual, the receivers (the listed nodes, or every opaque
// surface below the node when the list is empty) are drawn again with the caustic picture
// projected straight down onto them (u from world x, v from world z, `scale` repeats per world
// unit), times the colour, added to what is there. The picture drifts by `speed` world units
// per second along the diagonal (1, 0.6); a ProjectedCausticAnimationController may swap the
// picture as a flip-book. vs_1_1 + ps.1.1; the fallback draws the children plainly, and so
// does a caustic without a picture.
// Stream form after the Object fields: caustic (link), caustic data (the colour, 16 bytes, then
// scale and speed, 8 bytes), then the receivers (a node list).
class ProjectedCausticEffect : public ReceiverEffect {
    ZEN_DECLARE_CLASS

public:
    ProjectedCausticEffect();

    Texture* GetCaustic() const { return m_caustic.Get(); }
    void SetCaustic(Texture* caustic) { m_caustic = caustic; }
    const Vector4& Color() const { return m_color; }
    void SetColor(const Vector4& color) { m_color = color; }
    float Scale() const { return m_scale; }
    void SetScale(float scale) { m_scale = scale; }
    float Speed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }
    NodeList& Receivers() { return m_receivers; }
    double Clock() const { return m_clock; }

    // The controllers, then the drift clock.
    void Update(double time) override;
    void DrawOverlay(Renderer& renderer) override;

    // World position (row vector) to caustic coordinates at the current clock: the columns
    // the vertex program reads from c4 (u) and c5 (v).
    Matrix4 ProjectionMatrix() const;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    static const char* const kVertexProgram;
    static const char* const kPixelProgram;

private:
    bool PreparePass();

    Ptr<Texture> m_caustic;
    Vector4 m_color{1, 1, 1, 1};
    float m_scale = 0.25f;
    float m_speed = 0.1f;
    NodeList m_receivers;
    double m_clock = 0;  // Seconds of drift; wrapped so the offset keeps its precision.
    Ptr<ProjectionPass> m_pass;
    std::vector<GeometryNode*> m_nodes;  // This frame's receivers (room kept).
    std::vector<Node*> m_pending;        // The walk's list (room kept).
};

}  // namespace zen
