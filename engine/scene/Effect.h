#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Object.h"
#include "engine/scene/Technique.h"

namespace zen {

class Renderer;

// How something is drawn ("ZEN.Effect", abstract): alternative techniques, best first, of which
// the first one the device supports is chosen the first time the effect is drawn and kept
// (a later device change does not choose again). A disabled effect draws nothing. Geometry
// nodes carry a GeometryNodeEffect, scene nodes a list of SceneNodeEffects that wrap their
// children. Drawing with an effect: for each pass index below GetPassCount, ApplyPass; on
// kSuccess draw; then pop what the pass pushed on the renderer's state stack.
class Effect : public Object {
    ZEN_DECLARE_CLASS

public:
    ~Effect() override;

    // Per-frame update: the effect's controllers, then UpdateTextures.
    virtual void Update(double time);
    // Notifications, nothing here: the effect was attached to `owner` (null: detached), and a
    // technique was chosen (its passes were just invalidated).
    virtual void OnAttach(Object* owner);
    virtual void OnTechniqueChosen(Technique& technique);
    // Builds the passes of technique `technique` (its index) into `out`; called once, when the
    // technique is first found supported. kSuccess, or any other code to give the technique up.
    virtual Result CreatePasses(uint32_t technique, Technique& out) = 0;

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // The chosen technique's pass count. Without a choice yet, chooses the first technique that
    // the current renderer's capabilities support and invalidates its passes; 0 when none is
    // supported or no renderer has recorded capabilities yet (nothing is logged: the effect
    // simply draws nothing, and the choice is tried again next time).
    uint32_t GetPassCount();
    // Makes pass `index` of the chosen technique the renderer's current pass, lets the renderer
    // bind it (SetPass) and returns the pass's Apply. kInvalidArgument without a chosen
    // technique, for an index past its passes or a null renderer.
    Result ApplyPass(uint32_t index, Renderer* renderer);
    // Invalidate on every pass of the chosen technique (none chosen: nothing to do).
    void InvalidatePasses();

    Technique* CurrentTechnique() const { return m_current; }
    uint32_t TechniqueCount() const { return m_techniques.Count(); }
    Technique* GetTechnique(uint32_t index) const;

protected:
    // The textures the effect draws with run their own controllers (generators, render-to-texture
    // controllers) through BaseTexture::UpdateForFrame; nothing here.
    virtual void UpdateTextures(double time);
    Effect();
    // For constructors: appends a technique needing the given shader versions (major x 10 +
    // minor; 0 for none). kOutOfMemory (logged) when it cannot be had.
    Result AddTechnique(uint32_t vertexShaderVersion, uint32_t pixelShaderVersion);
    // For constructors of effects that replace their base's techniques: drops them all.
    void RemoveTechniques();
    // Drops every technique's passes and the choice, for a setting the passes are built from
    // (a texture-coordinate set): the next GetPassCount chooses and builds again.
    void RebuildTechniques();

private:
    Array<Technique*> m_techniques{2, 2};  // Owned, best first.
    Technique* m_current = nullptr;        // One of m_techniques; null until chosen.
    bool m_enabled = true;
};

}  // namespace zen
