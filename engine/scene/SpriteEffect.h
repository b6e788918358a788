#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/GeometryNodeEffect.h"
#include "engine/scene/Texture.h"

namespace zen {

// Draws particle sprites ("ZEN.SpriteEffect"): one fixed-function technique, each sprite its
// vertex colour times the texture in stage 0 (the colour alone without a texture). On geometry
// drawn as points the pass turns point sprites on (the device spreads the texture over each
// point, sized by the point-size stream in world units); on triangles (camera-facing quads
// where the device has no point sprites) it reads texture-coordinate set 0.
//
// A foliage system sways its particles with this effect's sway values: amplitude A is the
// first and frequency (radians per second) the second of the two values the base class keeps
// for its subclasses (fogRangeA, fogRangeB; defaults 0.05 and 1), and the phase is
// frequency x the seconds the effect has been updated (its clock, not saved).
//
// Stream form: the geometry-node effect's fields, then the texture (link to a ZEN.Texture).
class SpriteEffect : public GeometryNodeEffect {
    ZEN_DECLARE_CLASS

public:
    // Whether the owner draws point sprites is known only once it is attached: the passes are
    // prepared again then, unless they were already prepared for what this owner draws.
    void OnAttach(Object* owner) override;
    SpriteEffect();

    Texture* GetTexture() const { return m_texture.Get(); }
    void SetTexture(Texture* texture);

    // Sway, for foliage.
    float SwayAmplitude() const { return FogRangeA(); }
    float SwayFrequency() const { return FogRangeB(); }
    double Clock() const { return m_clock; }
    // Sway phase: frequency x clock, in radians.
    float SwayPhase() const { return static_cast<float>(SwayFrequency() * m_clock); }

    // The controllers, then the clock advances by `time` seconds (negative or not-a-number
    // steps count as 0).
    void Update(double time) override;

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    // The effect, its controllers, then the texture.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_texture;
    double m_clock = 0.0;  // Seconds of updates.
    bool m_prepared = false;           // The passes have been prepared for an owner (or none)...
    bool m_preparedForPoints = false;  // ...drawing points (point sprites on) or not.
};

}  // namespace zen
