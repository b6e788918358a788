#include "modules/directx9/D3D9RenderStates.h"

#include <algorithm>
#include <cstring>

namespace zen {
namespace {

using S = RenderState;

template <class T, size_t N>
constexpr size_t Count(const T (&)[N])
{
    return N;
}

constexpr D3DBLEND kBlendFactors[] = {
    D3DBLEND_ZERO,         D3DBLEND_ONE,        D3DBLEND_SRCCOLOR,     D3DBLEND_INVSRCCOLOR,
    D3DBLEND_SRCALPHA,     D3DBLEND_INVSRCALPHA, D3DBLEND_DESTCOLOR,   D3DBLEND_INVDESTCOLOR,
    D3DBLEND_DESTALPHA,    D3DBLEND_INVDESTALPHA,
};
static_assert(Count(kBlendFactors) == S::kBlendFactorCount, "one device blend per BlendFactor");

constexpr D3DCMPFUNC kCompareFuncs[] = {D3DCMP_NEVER,   D3DCMP_LESS,    D3DCMP_LESSEQUAL,    D3DCMP_EQUAL,
                                        D3DCMP_NOTEQUAL, D3DCMP_GREATER, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};
static_assert(Count(kCompareFuncs) == S::kCompareFuncCount, "one device function per CompareFunc");

constexpr D3DSTENCILOP kStencilOps[] = {D3DSTENCILOP_KEEP,    D3DSTENCILOP_ZERO,    D3DSTENCILOP_REPLACE,
                                        D3DSTENCILOP_INCRSAT, D3DSTENCILOP_DECRSAT, D3DSTENCILOP_INVERT,
                                        D3DSTENCILOP_INCR,    D3DSTENCILOP_DECR};
static_assert(Count(kStencilOps) == S::kStencilOpCount, "one device operation per StencilOp");

constexpr D3DCULL kCullModes[] = {D3DCULL_CW, D3DCULL_CCW};
static_assert(Count(kCullModes) == S::kCullModeCount, "one device cull mode per CullMode");

constexpr D3DFOGMODE kFogModes[] = {D3DFOG_LINEAR, D3DFOG_EXP, D3DFOG_EXP2};
static_assert(Count(kFogModes) == S::kFogModeCount, "one device fog mode per FogMode");

constexpr D3DSHADEMODE kShadeModes[] = {D3DSHADE_FLAT, D3DSHADE_GOURAUD};
static_assert(Count(kShadeModes) == S::kShadeModeCount, "one device shade mode per ShadeMode");

constexpr D3DTEXTUREFILTERTYPE kMagFilters[] = {D3DTEXF_POINT, D3DTEXF_LINEAR};
static_assert(Count(kMagFilters) == S::kFilterCount, "one device filter per Filter");

struct MinMip {
    D3DTEXTUREFILTERTYPE min;
    D3DTEXTUREFILTERTYPE mip;
};
constexpr MinMip kMinMipFilters[] = {
    {D3DTEXF_POINT, D3DTEXF_NONE},  {D3DTEXF_LINEAR, D3DTEXF_NONE},  {D3DTEXF_POINT, D3DTEXF_POINT},
    {D3DTEXF_POINT, D3DTEXF_LINEAR}, {D3DTEXF_LINEAR, D3DTEXF_POINT}, {D3DTEXF_LINEAR, D3DTEXF_LINEAR},
};
static_assert(Count(kMinMipFilters) == S::kMinMipFilterCount, "one filter pair per MinMipFilter");

constexpr D3DTEXTUREADDRESS kAddresses[] = {D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, D3DTADDRESS_BORDER};
static_assert(Count(kAddresses) == S::kAddressCount, "one device address mode per Address");

constexpr D3DTEXTUREOP kCombineOps[] = {D3DTOP_SELECTARG1, D3DTOP_MODULATE,  D3DTOP_ADD,
                                        D3DTOP_SUBTRACT,   D3DTOP_ADDSIGNED, D3DTOP_LERP};
static_assert(Count(kCombineOps) == S::kCombineOpCount, "one device operation per CombineOp");

constexpr DWORD kArgSources[] = {D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_CURRENT};
static_assert(Count(kArgSources) == S::kArgSourceCount, "one device argument per ArgSource");

// Modifier bits 1 (complement) and 2 (alpha replicate) to the device's flags.
constexpr DWORD kArgModifiers[] = {0, D3DTA_COMPLEMENT, D3DTA_ALPHAREPLICATE, D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE};
static_assert(Count(kArgModifiers) == S::kArgModifierLimit, "one device flag set per ArgModifier value");

// The value of `table` at `index`, or at `fallback` when the index lies outside it.
template <class T, size_t N>
T Lookup(const T (&table)[N], int32_t index, int32_t fallback)
{
    return index >= 0 && static_cast<size_t>(index) < N ? table[index] : table[fallback];
}

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DCOLORVALUE ColorValue(const Vector4& color)
{
    return D3DCOLORVALUE{color.x, color.y, color.z, color.w};
}

// One stage's colour or alpha combination.
struct Combination {
    D3DTEXTUREOP op;
    DWORD arg0, arg1, arg2;
};

// The presets of the combine modes, and the custom mode from the stage's fields.
void StageCombinations(const S::Stage& stage, Combination& color, Combination& alpha)
{
    switch (stage.combineMode) {
    case S::kCombineReplace:
        color = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
        alpha = color;
        return;
    case S::kCombineDecal:
        color = {D3DTOP_BLENDTEXTUREALPHA, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
        alpha = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, D3DTA_TEXTURE};
        return;
    case S::kCombineBlend:
        // texture x factor + (1 - texture) x current: Arg0 x Arg1 + (1 - Arg0) x Arg2.
        color = {D3DTOP_LERP, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTA_CURRENT};
        alpha = {D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
        return;
    case S::kCombineAdd:
        color = {D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
        alpha = color;
        return;
    case S::kCombineCustom: {
        auto custom = [](int32_t op, const int32_t* args, const int32_t* mods) {
            auto arg = [&](int i) {
                return Lookup(kArgSources, args[i], S::kArgTexture) | Lookup(kArgModifiers, mods[i], 0);
            };
            const D3DTEXTUREOP deviceOp = Lookup(kCombineOps, op, S::kCombineMultiply);
            // Interpolation takes its three arguments as Arg0, Arg1, Arg2; the other
            // operations take the first as Arg1 and the second as Arg2.
            if (deviceOp == D3DTOP_LERP)
                return Combination{deviceOp, arg(0), arg(1), arg(2)};
            return Combination{deviceOp, arg(2), arg(0), arg(1)};
        };
        color = custom(stage.colorOp, stage.colorArg, stage.colorArgMod);
        alpha = custom(stage.alphaOp, stage.alphaArg, stage.alphaArgMod);
        return;
    }
    default:  // Modulate, also any value above custom.
        color = {D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_CURRENT};
        alpha = color;
        return;
    }
}

// Whether the combination reads the texture factor among the arguments its operation uses.
bool UsesFactor(const Combination& c)
{
    auto factor = [](DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TFACTOR; };
    return factor(c.arg1) || (c.op != D3DTOP_SELECTARG1 && factor(c.arg2)) || (c.op == D3DTOP_LERP && factor(c.arg0));
}

void WriteStage(IDirect3DDevice9* device, DWORD index, const S::Stage& stage, const Combination& color,
                const Combination& alpha)
{
    const S::Stage defaults;
    device->SetSamplerState(index, D3DSAMP_MAGFILTER, Lookup(kMagFilters, stage.magFilter, defaults.magFilter));
    const MinMip minMip = Lookup(kMinMipFilters, stage.minMipFilter, defaults.minMipFilter);
    device->SetSamplerState(index, D3DSAMP_MINFILTER, minMip.min);
    device->SetSamplerState(index, D3DSAMP_MIPFILTER, minMip.mip);
    device->SetSamplerState(index, D3DSAMP_ADDRESSU, Lookup(kAddresses, stage.addressU, defaults.addressU));
    device->SetSamplerState(index, D3DSAMP_ADDRESSV, Lookup(kAddresses, stage.addressV, defaults.addressV));
    device->SetSamplerState(index, D3DSAMP_ADDRESSW, Lookup(kAddresses, stage.addressW, defaults.addressW));
    device->SetSamplerState(index, D3DSAMP_BORDERCOLOR, D3D9RenderStates::PackColor(stage.borderColor));
    device->SetTextureStageState(index, D3DTSS_COLOROP, color.op);
    device->SetTextureStageState(index, D3DTSS_COLORARG0, color.arg0);
    device->SetTextureStageState(index, D3DTSS_COLORARG1, color.arg1);
    device->SetTextureStageState(index, D3DTSS_COLORARG2, color.arg2);
    device->SetTextureStageState(index, D3DTSS_ALPHAOP, alpha.op);
    device->SetTextureStageState(index, D3DTSS_ALPHAARG0, alpha.arg0);
    device->SetTextureStageState(index, D3DTSS_ALPHAARG1, alpha.arg1);
    device->SetTextureStageState(index, D3DTSS_ALPHAARG2, alpha.arg2);
}

}  // namespace

D3DCOLOR D3D9RenderStates::PackColor(const Vector4& color)
{
    auto channel = [](float value) -> DWORD {
        value = value != value ? 0.0f : std::clamp(value, 0.0f, 1.0f);
        return static_cast<DWORD>(value * 255.0f + 0.5f);
    };
    return D3DCOLOR_ARGB(channel(color.w), channel(color.x), channel(color.y), channel(color.z));
}

D3DCULL D3D9RenderStates::CullMode(bool enable, int32_t mode)
{
    return enable ? Lookup(kCullModes, mode, S::kCullCounterClockwise) : D3DCULL_NONE;
}

D3DCMPFUNC D3D9RenderStates::CompareFunc(int32_t func)
{
    return Lookup(kCompareFuncs, func, S::kCompareAlways);
}

void D3D9RenderStates::Write(IDirect3DDevice9* device, const RenderState& state, float maxPointSize)
{
    const RenderState defaults;
    // Blending: the same factors for colour and alpha.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, state.alphaBlendEnable);
    device->SetRenderState(D3DRS_SRCBLEND, Lookup(kBlendFactors, state.srcBlend, defaults.srcBlend));
    device->SetRenderState(D3DRS_DESTBLEND, Lookup(kBlendFactors, state.destBlend, defaults.destBlend));
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLENDALPHA, Lookup(kBlendFactors, state.srcBlend, defaults.srcBlend));
    device->SetRenderState(D3DRS_DESTBLENDALPHA, Lookup(kBlendFactors, state.destBlend, defaults.destBlend));
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    // Alpha test.
    device->SetRenderState(D3DRS_ALPHATESTENABLE, state.alphaTestEnable);
    device->SetRenderState(D3DRS_ALPHAFUNC, CompareFunc(state.alphaFunc));
    device->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(std::clamp(state.alphaRef, 0, 255)));
    // Culling.
    device->SetRenderState(D3DRS_CULLMODE, CullMode(state.cullEnable, state.cullMode));
    // Fog: table fog per pixel, else vertex fog; a vertex program's fog output replaces the
    // vertex computation.
    const D3DFOGMODE fogMode = Lookup(kFogModes, state.fogMode, defaults.fogMode);
    device->SetRenderState(D3DRS_FOGENABLE, state.fogEnable);
    device->SetRenderState(D3DRS_FOGCOLOR, PackColor(state.fogColor));
    device->SetRenderState(D3DRS_FOGTABLEMODE, state.fogPerPixel ? fogMode : D3DFOG_NONE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, state.fogPerPixel ? D3DFOG_NONE : fogMode);
    if (fogMode == D3DFOG_LINEAR) {
        device->SetRenderState(D3DRS_FOGSTART, FloatBits(state.fogStart));
        device->SetRenderState(D3DRS_FOGEND, FloatBits(state.fogEnd));
    } else {
        device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(state.fogDensity));
    }
    // Material.
    D3DMATERIAL9 material;
    material.Diffuse = ColorValue(state.diffuse);
    material.Ambient = ColorValue(state.ambient);
    material.Specular = ColorValue(state.specular);
    material.Emissive = ColorValue(state.emissive);
    material.Power = state.power;
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_SHADEMODE, Lookup(kShadeModes, state.shadeMode, defaults.shadeMode));
    device->SetRenderState(D3DRS_FILLMODE, state.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    // Depth and stencil.
    device->SetRenderState(D3DRS_ZENABLE, state.depthEnable ? D3DZB_TRUE : D3DZB_FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, state.depthWrite);
    device->SetRenderState(D3DRS_ZFUNC, CompareFunc(state.depthFunc));
    device->SetRenderState(D3DRS_STENCILENABLE, state.stencilEnable);
    device->SetRenderState(D3DRS_STENCILFUNC, CompareFunc(state.stencilFunc));
    device->SetRenderState(D3DRS_STENCILREF, static_cast<DWORD>(state.stencilRef));
    device->SetRenderState(D3DRS_STENCILFAIL, Lookup(kStencilOps, state.stencilFail, 0));
    device->SetRenderState(D3DRS_STENCILZFAIL, Lookup(kStencilOps, state.stencilDepthFail, 0));
    device->SetRenderState(D3DRS_STENCILPASS, Lookup(kStencilOps, state.stencilPass, 0));
    device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, state.twoSidedStencil);
    device->SetRenderState(D3DRS_CCW_STENCILFUNC, CompareFunc(state.ccwStencilFunc));
    device->SetRenderState(D3DRS_CCW_STENCILFAIL, Lookup(kStencilOps, state.ccwStencilFail, 0));
    device->SetRenderState(D3DRS_CCW_STENCILZFAIL, Lookup(kStencilOps, state.ccwStencilDepthFail, 0));
    device->SetRenderState(D3DRS_CCW_STENCILPASS, Lookup(kStencilOps, state.ccwStencilPass, 0));
    // Texture stages. The device has one texture factor: the first stage that combines with
    // its factor provides it (stage 0's when none does).
    bool factorSet = false;
    for (DWORD index = 0; index < RenderState::kStageCount; ++index) {
        const S::Stage& stage = state.stages[index];
        Combination color, alpha;
        StageCombinations(stage, color, alpha);
        WriteStage(device, index, stage, color, alpha);
        if (!factorSet && (UsesFactor(color) || UsesFactor(alpha))) {
            device->SetRenderState(D3DRS_TEXTUREFACTOR, PackColor(stage.textureFactor));
            factorSet = true;
        }
    }
    if (!factorSet)
        device->SetRenderState(D3DRS_TEXTUREFACTOR, PackColor(state.stages[0].textureFactor));
    // Point sprites.
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, state.pointSprites);
    if (state.pointSprites) {
        device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
        device->SetRenderState(D3DRS_POINTSIZE, FloatBits(0.1f));
        device->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(0.0f));
        // The device's own limit rather than the default 64 pixels, under which a near lamp's
        // or the moon's glow on a large screen shrank to a dot inside its own source.
        const float largest = maxPointSize > 1.0f ? maxPointSize : 64.0f;
        device->SetRenderState(D3DRS_POINTSIZE_MAX, FloatBits(largest));
        device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
        device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
        device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(1.0f));
    }
}

}  // namespace zen
