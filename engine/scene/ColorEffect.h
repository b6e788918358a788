#pragma once
#include "engine/core/Vector4.h"
#include "engine/scene/GeometryNodeEffect.h"
#include "engine/scene/GeometryNodeEffectPass.h"

// The vertex-program lines the colour programs and their extensions share, after their
// declarations: the clip position from c0-c3, the fog factor 2^(view depth x c9.x) from c4-c7
// (r0 and r1 are used), and the colour from c8.
#define ZEN_COLOR_EFFECT_VERTEX_BODY \
    "mul r0, v0.x, c0\n"           \
    "mad r0, v0.y, c1, r0\n"       \
    "mad r0, v0.z, c2, r0\n"       \
    "mad oPos, v0.w, c3, r0\n"     \
    "mul r1, v0.x, c4\n"           \
    "mad r1, v0.y, c5, r1\n"       \
    "mad r1, v0.z, c6, r1\n"       \
    "mad r1, v0.w, c7, r1\n"       \
    "mul r1.x, r1.z, c9.x\n"       \
    "exp r1.x, r1.x\n"             \
    "mov oFog, r1.x\n"             \
    "mov oD0, c8\n"

namespace zen {

// Geometry drawn in one colour ("ZEN.ColorEffect"), positions only. Technique 0: vs_1_1 +
// ps.1.1 (colour in c8, exponential fog factor from c9.x = -density x log2(e) times the view
// depth); technique 1: fixed function, the colour as the texture factor of stage 0. The colour's
// alpha blends when the effect is blended. Stream form: the base fields, then the colour.
class ColorEffect : public GeometryNodeEffect {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kColorRegister = GeometryNodeEffectPass::kEffectRegister;      // c8: the colour.
    static constexpr uint32_t kFogRegister = GeometryNodeEffectPass::kEffectRegister + 1;  // c9.x: fog factor scale.

    ColorEffect();

    const Vector4& Color() const { return m_color; }
    void SetColor(const Vector4& color);

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // A pass of this effect's kind for `technique`: it reads the positions and, for the shader
    // technique, runs the programs (source texts; the names identify them in the renderer's log).
    // Subclasses that extend the programs add their further inputs. Null when out of memory.
    Ptr<GeometryNodeEffectPass> CreateColorPass(uint32_t technique, const char* vertexName, const char* vertexProgram,
                                                const char* pixelName, const char* pixelProgram);
    // The vertex and pixel constants the colour programs read (c8, c9), for subclasses that
    // extend the programs.
    void WriteColorConstants(Renderer& renderer) const;

private:
    Vector4 m_color{1, 1, 1, 1};
};

}  // namespace zen
