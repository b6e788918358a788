#pragma once
#include "engine/anim/PostUpdateController.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeList.h"

namespace zen {

// Draws the shadow map of the ShadowmapEffect it is attached to at the start of every frame
// ("ZEN.RenderShadowmapEffectController"), so the map follows moving casters and a moving light
// and comes back by itself after a lost device. The casters are the listed nodes, or all the
// effect's children when the list is empty. Nothing is drawn for another owner or without
// shader model 2 (the effect then shows its children plainly).
// Stream form after the controller block: the caster list.
class RenderShadowmapEffectController : public PostUpdateController {
    ZEN_DECLARE_CLASS

public:
    RenderShadowmapEffectController() = default;

    void PostUpdate() override;

    NodeList& Casters() { return m_casters; }

    void VisitReferences(ReferenceVisitor& visitor) override;  // Also the listed nodes.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    NodeList m_casters;
};

}  // namespace zen
