#pragma once
#include "engine/core/Ptr.h"
#include "engine/particles/ParticleSystem.h"
#include "engine/scene/Node.h"

namespace zen {

// A particle system whose particles are copies of one model node ("ZEN.NodeParticleSystem"):
// each live particle draws the model with its world translation at the particle, its world
// scale the particle's size and, when the model is geometry with a ZEN.ColorEffect, that
// colour set to the particle's. The model's world transform and colour are put back after the
// last particle. The model is drawn, not updated: it is not a child of the system. A model
// that is a group places its descendants under it for each copy.
// Stream form: the particle system's, then the model (link to a ZEN.Node).
class NodeParticleSystem : public ParticleSystem {
    ZEN_DECLARE_CLASS

public:
    NodeParticleSystem() = default;

    Node* Model() const { return m_model.Get(); }
    // kInvalidArgument for this system itself or one of its ancestors (drawing it would recurse).
    Result SetModel(Node* model);

    void Draw(Renderer* renderer) override;
    void DrawDeferred(Renderer* renderer) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    void VisitReferences(ReferenceVisitor& visitor) override;  // The model node.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    void UpdateDrawData() override;
    float ParticleExtent() const override;

private:
    void DrawCopies(Renderer* renderer);

    Ptr<Node> m_model;
    bool m_drawing = false;  // Guards against a model that reaches this system again.
};

}  // namespace zen
