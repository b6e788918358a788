#include "engine/scene/GlossmapTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GlossmapTextureEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v2\n"
    "mov oT1, v3\n"
    "mov oT2.xyz, v1\n"
    "add oT3.xyz, c17, -v0\n";

// The highlight (N.V)^power (c2.x) scaled by the gloss and the specular colour (c3).
constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "dcl v0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    "nrm r2.xyz, t2\n"
    "nrm r3.xyz, t3\n"
    "dp3_sat r4.x, r2, r3\n"
    "pow r4.y, r4.x, c2.x\n"
    "mul r4.y, r4.y, r1.x\n"
    "mul r0, r0, v0\n"
    "mad r0.xyz, r4.y, c3, r0\n"
    "mov oC0, r0\n";

// The same per vertex: lit() of (N.V, N.V, power) gives the highlight, times the specular
// colour (c13) to the specular output.
constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "add r2, c17, -v0\n"
    "dp3 r2.w, r2, r2\n"
    "rsq r2.w, r2.w\n"
    "mul r2.xyz, r2, r2.w\n"
    "dp3 r4.x, v1, r2\n"
    "mov r4.y, r4.x\n"
    "mov r4.w, c12.x\n"
    "lit r5, r4\n"
    "mul oD1, r5.z, c13\n"
    "mov oT0, v2\n"
    "mov oT1, v3\n";

constexpr const char* kPixelProgram11Text =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul r0, t0, v0\n"
    "mad r0.rgb, t1, v1, r0\n";

}  // namespace

const char* const GlossmapTextureEffect::kPixelProgram11 = kPixelProgram11Text;

GlossmapTextureEffect::GlossmapTextureEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

Result GlossmapTextureEffect::SetGlossMapSet(uint32_t set)
{
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    if (set != m_glossMapSet) {
        m_glossMapSet = set;
        RebuildTechniques();
    }
    return kSuccess;
}

Ptr<GeometryNodeEffectPass> GlossmapTextureEffect::CreateGlossPass(const char* vertexName, const char* vertex,
                                                                   const char* pixelName, const char* pixel)
{
    Ptr<GeometryNodeEffectPass> pass = GeometryNodeEffectPass::Create(this, vertexName, vertex, pixelName, pixel);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        (vertex && pass->AddInput(VertexElement::kTexCoords, m_glossMapSet) != kSuccess))
        return nullptr;
    return pass;
}

Result GlossmapTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = CreateGlossPass("GlossmapTexture.vs20", kVertexProgram20, "GlossmapTexture.ps20", kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = CreateGlossPass("GlossmapTexture.vs11", kVertexProgram11, "GlossmapTexture.ps11", kPixelProgram11Text);
    else
        pass = CreateGlossPass(nullptr, nullptr, nullptr, nullptr);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

Result GlossmapTextureEffect::BindTextures(Renderer& renderer, bool gloss)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess ||
        (gloss && EffectSupport::CheckTexture(*this, m_glossMap.Get(), "карта блеска") != kSuccess))
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    if (gloss)
        renderer.SetTexture(1, m_glossMap.Get());
    return kSuccess;
}

Result GlossmapTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (BindTextures(renderer, pass.UsesShaders()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders())
        return kSuccess;
    // The eye and the power from the lighting constants, the colour and fog over c8 and c9;
    // the highlight's colour is the material's specular as it is (no light to multiply it).
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    WriteColorConstants(renderer);
    const Vector4 specular{Specular().x, Specular().y, Specular().z, 0};
    renderer.SetVertexShaderConstants(13, &specular.x, 1);
    renderer.SetPixelShaderConstants(3, &specular.x, 1);
    return kSuccess;
}

Object* GlossmapTextureEffect::FindByName(const String& name)
{
    if (Object* found = TextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_glossMap.Get(), name);
}

void GlossmapTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    TextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_glossMap.Get(), type, out);
}

Result GlossmapTextureEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_glossMap.Get(), "карту блеска") != kSuccess)
        return kFailure;
    return EffectSupport::SaveSet(*this, stream, m_glossMapSet, "номер набора текстурных координат карты блеска");
}

Result GlossmapTextureEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t set = 0;
    if (EffectSupport::LoadLink(*this, stream, m_glossMap, "карту блеска") != kSuccess ||
        EffectSupport::LoadSet(*this, stream, set, "номер набора текстурных координат карты блеска") != kSuccess)
        return kFailure;
    return SetGlossMapSet(set);
}

}  // namespace zen
