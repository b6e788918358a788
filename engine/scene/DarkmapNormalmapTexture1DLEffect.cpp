#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"

#include <new>

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"
#include "engine/scene/SkinPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(DarkmapNormalmapTexture1DLEffect, DarkmapNormalmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20Text =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    "dcl_texcoord2 v5\n"
    ZEN_LIT_POSITION_FOG
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    "mov oT4, v5\n"
    ZEN_BINORMAL("v2")
    ZEN_TO_TANGENT("oT2", "c16", "v2")
    "add r3, c17, -v0\n"
    ZEN_TO_TANGENT("oT3", "r3", "v2");

// The same for a mesh its skin deforms: position, normal and tangent through the bone palette
// into the world, where the light and the eye are given on skinned draws; then into the
// skinned tangent space (T r6, B r7, N r10).
constexpr const char* kSkinnedVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    "dcl_texcoord2 v5\n"
    "dcl_blendweight v6\n"
    "dcl_blendindices v7\n"
    ZEN_SKIN("v6", "v7")
    ZEN_SKIN_TANGENT("v6", "v2")
    ZEN_SKIN_POSITION_FOG
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    "mov oT4, v5\n"
    "mul r7.xyz, r10.yzxw, r6.zxyw\n"
    "mad r7.xyz, -r10.zxyw, r6.yzxw, r7\n"
    "dp3 oT2.x, r6, c16\n"
    "dp3 oT2.y, r7, c16\n"
    "dp3 oT2.z, r10, c16\n"
    "add r3, c17, -r9\n"
    "dp3 oT3.x, r6, r3\n"
    "dp3 oT3.y, r7, r3\n"
    "dp3 oT3.z, r10, r3\n";

constexpr const char* kPixelProgram20Text =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl t4.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "dcl_2d s2\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    "texld r8, t4, s2\n"
    "mul r0.xyz, r0, r8\n"
    ZEN_UNPACK_NORMAL
    "nrm r2.xyz, t2\n"
    "mov r3.xyz, t3\n"
    ZEN_LIT_PIXEL_1DL
    "mov oC0, r4\n";

constexpr const char* kVertexProgram11Text =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    "dcl_texcoord2 v5\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    "mov oT2, v5\n"
    ZEN_BINORMAL("v2")
    ZEN_TO_TANGENT("r4", "c16", "v2")
    "mad oD0.xyz, r4, c9.w, c9.w\n"
    "mov oD0.w, c8.w\n"
    "mov oD1, r11\n";

constexpr const char* kPixelProgram11Text =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "tex t2\n"
    "dp3_sat r1, t1_bx2, v0_bx2\n"
    "mad r1, r1, c0, c1\n"
    "mul r0, t0, r1\n"
    "mul r0, r0, t2\n"
    "add r0.rgb, r0, v1\n";

}  // namespace

const char* const DarkmapNormalmapTexture1DLEffect::kVertexProgram20 = kVertexProgram20Text;
const char* const DarkmapNormalmapTexture1DLEffect::kPixelProgram20 = kPixelProgram20Text;
const char* const DarkmapNormalmapTexture1DLEffect::kVertexProgram11 = kVertexProgram11Text;
const char* const DarkmapNormalmapTexture1DLEffect::kPixelProgram11 = kPixelProgram11Text;

Result DarkmapNormalmapTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = CreateBumpPass("DarkmapNormalmapTexture1DL.vs20", kVertexProgram20Text, "DarkmapNormalmapTexture1DL.ps20",
                              kPixelProgram20Text);
    else if (technique == kVertexTechnique)
        pass = CreateBumpPass("DarkmapNormalmapTexture1DL.vs11", kVertexProgram11Text, "DarkmapNormalmapTexture1DL.ps11",
                              kPixelProgram11Text);
    else
        pass = CreateBumpPass(nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, DarkmapSet()) != kSuccess)
        return kOutOfMemory;
    if (technique == kPixelTechnique) {
        Ptr<VertexShader> skinned = new (std::nothrow)
            VertexShader(String("DarkmapNormalmapTexture1DL.skinned.vs20"), String(kSkinnedVertexProgram20));
        if (!skinned)
            return kOutOfMemory;
        pass->SetSkinnedVertexShader(skinned.Get());
    }
    return out.AddPass(pass.Get());
}

void DarkmapNormalmapTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    EffectSupport::PrepareLitStages(state, Color());
    state.stages[2] = state.stages[1];
    EffectSupport::PrepareStage(state, 1, RenderState::kCombineMultiply);
}

Result DarkmapNormalmapTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders()) {
        if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess || BindDarkmap(renderer, 1) != kSuccess)
            return kFailure;
        renderer.SetTexture(0, GetTexture());
        return m_lighting.PushLights(renderer, false);
    }
    if (BindTextures(renderer) != kSuccess || BindDarkmap(renderer, 2) != kSuccess)
        return kFailure;
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true, pass.IsSkinnedDraw());
    return kSuccess;
}

Object* DarkmapNormalmapTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = DarkmapNormalmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void DarkmapNormalmapTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    DarkmapNormalmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result DarkmapNormalmapTexture1DLEffect::Save(Stream& stream)
{
    if (DarkmapNormalmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result DarkmapNormalmapTexture1DLEffect::Load(Stream& stream)
{
    if (DarkmapNormalmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
