#include "engine/scene/FlatWaterEffect.h"

#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/WaterPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FlatWaterEffect, ParallaxTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

#define ZEN_FLAT_WATER_VERTEX_HEAD \
    "vs_2_0\n"                     \
    "dcl_position v0\n"            \
    "dcl_normal v1\n"              \
    "dcl_texcoord0 v2\n"           \
    "dcl_texcoord1 v3\n"           \
    ZEN_LIT_POSITION_FOG           \
    "mad r2, v0.w, c3, r0\n"       \
    "mov oT2, r2\n"                \
    "mov oT0, v2\n"                \
    "add oT1.xy, v3, c20.xy\n"     \
    "mad oT4.xy, v3, c21.x, c20.zw\n" \
    "add oT3, c17, -v0\n"

constexpr const char* kVertexProgram20 = ZEN_FLAT_WATER_VERTEX_HEAD;

// The sun's direction (model space) goes along for the glitter.
constexpr const char* kLitVertexProgram20 = ZEN_FLAT_WATER_VERTEX_HEAD "mov oT5, c16\n";

// Up to the reflected colour in r7 and the refraction in r9, with the water's texel in r0, the
// unit normal in r4, the unit vector to the eye in r3 and the Fresnel weight in r5.w. The
// projected reflection holds what stands above the water over black, so the sky cube shows
// where it is dark: reflected = projected + sky x (1 - luminance(projected)).
#define ZEN_FLAT_WATER_PIXEL_DECLARATIONS \
    "def c7, 0, 1, 2, -1\n"            \
    "def c10, 0.5, -0.5, 0, 0\n"       \
    "def c15, 0.3, 0.59, 0.11, 0\n"    \
    "dcl t0.xy\n"                      \
    "dcl t1.xy\n"                      \
    "dcl t2\n"                         \
    "dcl t3.xyz\n"                     \
    "dcl t4.xy\n"                      \
    "dcl_2d s0\n"                      \
    "dcl_2d s1\n"                      \
    "dcl_cube s2\n"                    \
    "dcl_2d s3\n"                      \
    "dcl_2d s4\n"

#define ZEN_FLAT_WATER_PIXEL_BODY      \
    "texld r0, t0, s0\n"               \
    "texld r1, t1, s1\n"               \
    "texld r2, t4, s1\n"               \
    "add r1.xyz, r1, r2\n"             \
    "add r1.xyz, r1, c7.w\n"           \
    "mul r1.xy, r1, c11.x\n"           \
    ZEN_WATER_NORMAL_TO_MODEL          \
    "nrm r3.xyz, t3\n"                 \
    ZEN_WATER_FRESNEL                  \
    ZEN_WATER_SCREEN                   \
    "mad r7.xy, r8, c9.x, r6\n"        \
    "texld r7, r7, s4\n"               \
    "mad r9.xy, r8, -c9.x, r6\n"       \
    "texld r9, r9, s3\n"               \
    "add r10.x, r5.x, r5.x\n"          \
    "mad r10.xyz, r10.x, r4, -r3\n"    \
    "mul r11.xyz, r10.x, c12\n"        \
    "mad r11.xyz, r10.y, c13, r11\n"   \
    "mad r11.xyz, r10.z, c14, r11\n"   \
    "texld r11, r11, s2\n"             \
    "dp3 r10.x, r7, c15\n"             \
    "add r10.x, c7.y, -r10.x\n"        \
    "mad r7.xyz, r11, r10.x, r7\n"

constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    ZEN_FLAT_WATER_PIXEL_DECLARATIONS
    ZEN_FLAT_WATER_PIXEL_BODY
    "mul r0, r0, c8\n"
    "lrp r10.xyz, c9.w, r9, r0\n"
    "lrp r2.xyz, r5.w, r7, r10\n"
    "mov r2.w, r0.w\n"
    "mov oC0, r2\n";

// The water colour lit by the sun (ambient + diffuse x N.L), and the sun's glitter
// (N.H)^power added over everything where N.L > 0.
constexpr const char* kLitPixelProgram20 =
    "ps_2_0\n"
    ZEN_FLAT_WATER_PIXEL_DECLARATIONS
    "dcl t5.xyz\n"
    ZEN_FLAT_WATER_PIXEL_BODY
    "nrm r8.xyz, t5\n"
    "dp3_sat r1.x, r4, r8\n"
    "add r6.xyz, r8, r3\n"
    "nrm r10.xyz, r6\n"
    "dp3_sat r1.y, r4, r10\n"
    "pow r1.z, r1.y, c2.x\n"
    "cmp r1.z, -r1.x, c7.x, r1.z\n"
    "mad r2.xyz, r1.x, c0, c1\n"
    "mul r0.xyz, r0, r2\n"
    "mul r0.w, r0.w, c0.w\n"
    "lrp r10.xyz, c9.w, r9, r0\n"
    "lrp r2.xyz, r5.w, r7, r10\n"
    "mad r2.xyz, r1.z, c3, r2\n"
    "mov r2.w, r0.w\n"
    "mov oC0, r2\n";

// Per vertex: the screen position for the two screen pictures, the eye ray reflected about the
// geometry's normal into world space (c22-c24) for the cube, the Fresnel weight in oD0.w.
#define ZEN_FLAT_WATER_VERTEX11_TAIL       \
    ZEN_WATER_SCREEN_VERTEX                \
    "mov oT2.xy, r3\n"                     \
    "mov oT3.xy, r3\n"                     \
    "mov oT0, v2\n"                        \
    "add r4, v0, -c17\n"                   \
    "dp3 r4.w, r4, r4\n"                   \
    "rsq r4.w, r4.w\n"                     \
    "mul r4.xyz, r4, r4.w\n"               \
    "dp3 r5.x, v1, -r4\n"                  \
    "add r6.w, r5.x, r5.x\n"               \
    "mad r6.xyz, r6.w, v1, r4\n"           \
    "mul r7.xyz, r6.x, c22\n"              \
    "mad r7.xyz, r6.y, c23, r7\n"          \
    "mad oT1.xyz, r6.z, c24, r7\n"         \
    ZEN_WATER_FRESNEL_VERTEX

constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "def c21, 1, 0, 0.5, -0.5\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    ZEN_LIT_POSITION_FOG
    ZEN_FLAT_WATER_VERTEX11_TAIL
    "mov oD0.xyz, c21.y\n";

constexpr const char* kLitVertexProgram11 =
    "vs_1_1\n"
    "def c21, 1, 0, 0.5, -0.5\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    "mov oD0.xyz, r6\n"
    "mov oD1, r11\n"
    ZEN_FLAT_WATER_VERTEX11_TAIL;

#define ZEN_FLAT_WATER_PIXEL11_HEAD   \
    "ps.1.1\n"                        \
    "def c2, 0.3, 0.59, 0.11, 0\n"    \
    "tex t0\n"                        \
    "tex t1\n"                        \
    "tex t2\n"                        \
    "tex t3\n"

#define ZEN_FLAT_WATER_PIXEL11_MIX    \
    "lrp r0.rgb, c1.a, t2, r0\n"      \
    "dp3 r1, t3, c2\n"                \
    "mad r1.rgb, t1, 1-r1, t3\n"      \
    "lrp r0.rgb, v0.a, r1, r0\n"

constexpr const char* kPixelProgram11 =
    ZEN_FLAT_WATER_PIXEL11_HEAD
    "mul r0, t0, c0\n"
    ZEN_FLAT_WATER_PIXEL11_MIX;

constexpr const char* kLitPixelProgram11 =
    ZEN_FLAT_WATER_PIXEL11_HEAD
    "mul r0.rgb, t0, v0\n"
    "mul r0.a, t0, c0\n"
    ZEN_FLAT_WATER_PIXEL11_MIX
    "add r0.rgb, r0, v1\n";

float Clamp01(float value)
{
    return value < 0 ? 0 : value > 1 ? 1 : value;
}

// The fractional part of seconds x velocity, in 0-1.
// The mean colour of an 8-bit colour image's pixels; middle grey for anything else.
Vector4 MeanColor(const VolumeImage* image)
{
    const uint32_t format = image ? image->Format() : 0;
    if (!image || !image->Data() || (format != Image::kR8G8B8 && format != Image::kR8G8B8A8))
        return Vector4{0.5f, 0.5f, 0.5f, 1};
    const uint32_t step = format == Image::kR8G8B8 ? 3 : 4;
    const uint64_t count = image->GetDataSize() / step;
    if (count == 0)
        return Vector4{0.5f, 0.5f, 0.5f, 1};
    double sum[3] = {0, 0, 0};
    for (uint64_t i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            sum[c] += image->Data()[i * step + c];
    const double scale = 1.0 / (static_cast<double>(count) * 255);
    return Vector4{static_cast<float>(sum[0] * scale), static_cast<float>(sum[1] * scale),
                   static_cast<float>(sum[2] * scale), 1};
}

}  // namespace

void FlatWaterEffect::SetCubeMap(CubeTexture* texture)
{
    m_cubeMap = texture;
    m_cubeMean = MeanColor(texture ? texture->GetImage(false) : nullptr);
    PreparePasses();
}

void FlatWaterEffect::SetWaves(const Waves& waves)
{
    const float values[] = {waves.velocity1[0], waves.velocity1[1], waves.velocity2[0], waves.velocity2[1],
                            waves.scale2,       waves.bumpiness,    waves.distortion,   waves.fresnelBias,
                            waves.clarity};
    for (float value : values)
        if (!std::isfinite(value))
            return;
    m_waves = waves;
    m_waves.fresnelBias = Clamp01(waves.fresnelBias);
    m_waves.clarity = Clamp01(waves.clarity);
}

Vector4 FlatWaterEffect::LayerOffsets() const
{
    return Vector4{m_clock.Offset(m_waves.velocity1[0]), m_clock.Offset(m_waves.velocity1[1]),
                   m_clock.Offset(m_waves.velocity2[0]), m_clock.Offset(m_waves.velocity2[1])};
}

void FlatWaterEffect::Update(double time)
{
    m_clock.Advance(time);
    ParallaxTextureEffect::Update(time);
}

void FlatWaterEffect::UpdateTextures(double time)
{
    ParallaxTextureEffect::UpdateTextures(time);
    if (m_cubeMap)
        m_cubeMap->UpdateForFrame(time);
    if (m_refraction)
        m_refraction->UpdateForFrame(time);
    if (m_reflection && m_reflection.Get() != m_refraction.Get())
        m_reflection->UpdateForFrame(time);
}

Ptr<GeometryNodeEffectPass> FlatWaterEffect::CreateWaterPass(uint32_t technique, bool lit)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = lit ? GeometryNodeEffectPass::Create(this, "FlatWater1DL.vs20", kLitVertexProgram20, "FlatWater1DL.ps20",
                                                    kLitPixelProgram20)
                   : GeometryNodeEffectPass::Create(this, "FlatWater.vs20", kVertexProgram20, "FlatWater.ps20",
                                                    kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = lit ? GeometryNodeEffectPass::Create(this, "FlatWater1DL.vs11", kLitVertexProgram11, "FlatWater1DL.ps11",
                                                    kLitPixelProgram11)
                   : GeometryNodeEffectPass::Create(this, "FlatWater.vs11", kVertexProgram11, "FlatWater.ps11",
                                                    kPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        (technique == kPixelTechnique && pass->AddInput(VertexElement::kTexCoords, NormalMapSet()) != kSuccess))
        return nullptr;
    return pass;
}

Result FlatWaterEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass = CreateWaterPass(technique, false);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void FlatWaterEffect::PrepareFixedReflection(RenderState& state, uint32_t stage) const
{
    // kFixedReflection x the cube's mean + the rest x what came before; the device's one
    // texture factor carries the mean and the share.
    RenderState::Stage& s = state.stages[stage];
    s.combineMode = RenderState::kCombineCustom;
    s.colorOp = RenderState::kCombineLerp;
    s.colorArg[0] = RenderState::kArgTextureFactor;
    s.colorArgMod[0] = RenderState::kArgAlphaReplicate;
    s.colorArg[1] = RenderState::kArgTextureFactor;
    s.colorArgMod[1] = 0;
    s.colorArg[2] = stage == 0 ? RenderState::kArgTexture : RenderState::kArgCurrent;
    s.colorArgMod[2] = 0;
    s.alphaOp = RenderState::kCombineSelect;
    s.alphaArg[0] = stage == 0 ? RenderState::kArgTexture : RenderState::kArgCurrent;
    s.alphaArgMod[0] = 0;
    s.textureFactor = Vector4{m_cubeMean.x, m_cubeMean.y, m_cubeMean.z, kFixedReflection};
}

void FlatWaterEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    // texture x (colour x (1 - share) + the cube's mean x share): one stage, the one factor.
    RenderState::Stage& stage = state.stages[0];
    stage.combineMode = RenderState::kCombineCustom;
    stage.colorOp = stage.alphaOp = RenderState::kCombineMultiply;
    stage.colorArg[0] = stage.alphaArg[0] = RenderState::kArgTexture;
    stage.colorArg[1] = stage.alphaArg[1] = RenderState::kArgTextureFactor;
    stage.colorArgMod[0] = stage.colorArgMod[1] = stage.alphaArgMod[0] = stage.alphaArgMod[1] = 0;
    const Vector4& c = Color();
    const float share = kFixedReflection;
    stage.textureFactor = Vector4{c.x * (1 - share) + m_cubeMean.x * share, c.y * (1 - share) + m_cubeMean.y * share,
                                  c.z * (1 - share) + m_cubeMean.z * share, c.w};
}

Result FlatWaterEffect::BindWater(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node, bool lit)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders()) {
        renderer.SetTexture(0, GetTexture());
        return kSuccess;
    }
    if (EffectSupport::CheckTexture(*this, m_cubeMap.Get(), "кубическая карта") != kSuccess ||
        EffectSupport::CheckTexture(*this, m_refraction.Get(), "текстура преломления") != kSuccess ||
        EffectSupport::CheckTexture(*this, m_reflection.Get(), "текстура отражения") != kSuccess)
        return kFailure;
    const bool perPixel = CurrentTechnique() && CurrentTechnique()->Index() == kPixelTechnique;
    if (perPixel && EffectSupport::CheckTexture(*this, GetNormalMap(), "карта нормалей") != kSuccess)
        return kFailure;
    const Vector4& color = Color();
    m_lighting.WriteConstants(renderer, *this, color, node, false, lit);
    if (!lit)
        WriteColorConstants(renderer);
    const Matrix4 world = node.WorldTransform().ToMatrix();
    const Waves& w = m_waves;
    if (perPixel) {
        renderer.SetTexture(0, GetTexture());
        renderer.SetTexture(1, GetNormalMap());
        renderer.SetTexture(2, m_cubeMap.Get());
        renderer.SetTexture(3, m_refraction.Get());
        renderer.SetTexture(4, m_reflection.Get());
        const Vector4 offsets = LayerOffsets();
        const float vertex[8] = {offsets.x, offsets.y, offsets.z, offsets.w, w.scale2, 0, 0, 0};
        renderer.SetVertexShaderConstants(20, vertex, 2);
        // c8 colour, c9 (distortion, R0, 1 - R0, clarity), c11 bumpiness, c12-c14 world rows.
        const float pixel[8] = {color.x, color.y, color.z, color.w,
                                w.distortion, w.fresnelBias, 1 - w.fresnelBias, w.clarity};
        renderer.SetPixelShaderConstants(8, pixel, 2);
        const float bump[4] = {w.bumpiness, 0, 0, 0};
        renderer.SetPixelShaderConstants(11, bump, 1);
        renderer.SetPixelShaderConstants(12, &world.m[0][0], 3);
        return kSuccess;
    }
    renderer.SetTexture(0, GetTexture());
    renderer.SetTexture(1, m_cubeMap.Get());
    renderer.SetTexture(2, m_refraction.Get());
    renderer.SetTexture(3, m_reflection.Get());
    const float fresnel[4] = {w.fresnelBias, 1 - w.fresnelBias, 0, 0};
    renderer.SetVertexShaderConstants(20, fresnel, 1);
    renderer.SetVertexShaderConstants(22, &world.m[0][0], 3);
    const float pixel[8] = {color.x, color.y, color.z, color.w, 0, 0, 0, w.clarity};
    renderer.SetPixelShaderConstants(0, pixel, 2);
    return kSuccess;
}

Result FlatWaterEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    return BindWater(pass, renderer, node, false);
}

Object* FlatWaterEffect::FindByName(const String& name)
{
    if (Object* found = ParallaxTextureEffect::FindByName(name))
        return found;
    if (Object* found = EffectSupport::FindIn(m_cubeMap.Get(), name))
        return found;
    if (Object* found = EffectSupport::FindIn(m_refraction.Get(), name))
        return found;
    return EffectSupport::FindIn(m_reflection.Get(), name);
}

void FlatWaterEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ParallaxTextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_cubeMap.Get(), type, out);
    EffectSupport::CollectIn(m_refraction.Get(), type, out);
    EffectSupport::CollectIn(m_reflection.Get(), type, out);
}

Result FlatWaterEffect::Save(Stream& stream)
{
    if (ParallaxTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_cubeMap.Get(), "кубическую карту") != kSuccess ||
        EffectSupport::SaveLink(*this, stream, m_refraction.Get(), "текстуру преломления") != kSuccess ||
        EffectSupport::SaveLink(*this, stream, m_reflection.Get(), "текстуру отражения") != kSuccess)
        return kFailure;
    const Waves& w = m_waves;
    const float values[9] = {w.velocity1[0], w.velocity1[1], w.velocity2[0], w.velocity2[1], w.scale2,
                             w.bumpiness,    w.distortion,   w.fresnelBias,  w.clarity};
    return EffectSupport::SaveFloats(*this, stream, values, 9, "параметры волн");
}

Result FlatWaterEffect::Load(Stream& stream)
{
    if (ParallaxTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<CubeTexture> cube;
    Ptr<Texture> refraction, reflection;
    float v[9] = {};
    if (EffectSupport::LoadLink(*this, stream, cube, "кубическую карту") != kSuccess ||
        EffectSupport::LoadLink(*this, stream, refraction, "текстуру преломления") != kSuccess ||
        EffectSupport::LoadLink(*this, stream, reflection, "текстуру отражения") != kSuccess ||
        EffectSupport::LoadFloats(*this, stream, v, 9, "параметры волн") != kSuccess)
        return kFailure;
    SetCubeMap(cube.Get());
    m_refraction = refraction;
    m_reflection = reflection;
    Waves waves;
    waves.velocity1[0] = v[0];
    waves.velocity1[1] = v[1];
    waves.velocity2[0] = v[2];
    waves.velocity2[1] = v[3];
    waves.scale2 = v[4];
    waves.bumpiness = v[5];
    waves.distortion = v[6];
    waves.fresnelBias = v[7];
    waves.clarity = v[8];
    SetWaves(waves);
    return kSuccess;
}

}  // namespace zen
