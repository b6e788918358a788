#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/Texture.h"

namespace zen {

// Geometry drawn with one texture modulated by the colour ("ZEN.TextureEffect"): positions and
// the texture coordinates of one set, the texture in stage 0. Technique 0: vs_1_1 + ps.1.1
// (the colour programs plus the coordinates to t0; "tex t0", texture x colour); technique 1:
// fixed function, texture x texture factor in stage 0. Geometry without that coordinate set
// is not drawn. Stream form: the colour effect's fields, the texture (link to a ZEN.Texture),
// the texture-coordinate set (int32, 0-7).
class TextureEffect : public ColorEffect {
    ZEN_DECLARE_CLASS

public:
    TextureEffect() = default;

    Texture* GetTexture() const { return m_texture.Get(); }
    void SetTexture(Texture* texture) { m_texture = texture; }
    uint32_t TexCoordSet() const { return m_texCoordSet; }
    // kInvalidArgument for a set past 7. The passes are built again for the new set.
    Result SetTexCoordSet(uint32_t set);

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    // The effect, its controllers, then the texture.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // The texture.

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_texture;
    uint32_t m_texCoordSet = 0;
};

}  // namespace zen
