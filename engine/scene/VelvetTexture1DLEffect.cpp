#include "engine/scene/VelvetTexture1DLEffect.h"

#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(VelvetTexture1DLEffect, Texture1DLEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kVelvetTechnique };

constexpr const char* kVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord v2\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    "dp3 r7.x, v1, r2\n"
    "add r7.x, c12.z, -r7.x\n"
    "mul r7.x, r7.x, r7.x\n"
    "mad r6.xyz, r7.x, c8, r6\n"
    ZEN_LIT_VERTEX_OUT
    "mov oT0, v2\n";

constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "mul r0, t0, v0\n"
    "add r0.rgb, r0, v1\n";

}  // namespace

VelvetTexture1DLEffect::VelvetTexture1DLEffect()
{
    // Velvet first, then the plain lit technique's per-vertex and fixed-function forms.
    RemoveTechniques();
    (void)AddTechnique(20, 11);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

Result VelvetTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    if (technique != kVelvetTechnique)
        return Texture1DLEffect::CreatePasses(technique, out);  // Its techniques 1 and 2.
    Ptr<GeometryNodeEffectPass> pass = GeometryNodeEffectPass::Create(this, "VelvetTexture1DL.vs20", kVertexProgram,
                                                                      "VelvetTexture1DL.ps11", kPixelProgram);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

}  // namespace zen
