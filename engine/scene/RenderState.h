#pragma once
#include <cstdint>

#include "engine/core/Vector4.h"

namespace zen {

// The complete fixed-function device state one pass draws with: blending, alpha test, culling,
// fog, material, depth, stencil, eight texture stages and point sprites. A plain value held by
// a RenderStateBlock; the enumerations are the engine's own, and the renderer maps them to its
// device's values. The defaults are the state every new pass starts from.
struct RenderState {
    enum BlendFactor : int32_t {
        kBlendZero,
        kBlendOne,
        kBlendSourceColor,
        kBlendInverseSourceColor,
        kBlendSourceAlpha,
        kBlendInverseSourceAlpha,
        kBlendDestinationColor,
        kBlendInverseDestinationColor,
        kBlendDestinationAlpha,
        kBlendInverseDestinationAlpha,
        kBlendFactorCount
    };
    enum CompareFunc : int32_t {
        kCompareNever,
        kCompareLess,
        kCompareLessEqual,
        kCompareEqual,
        kCompareNotEqual,
        kCompareGreater,
        kCompareGreaterEqual,
        kCompareAlways,
        kCompareFuncCount
    };
    // 0 keep and 1 zero; the rest follow the usual device order.
    enum StencilOp : int32_t {
        kStencilKeep,
        kStencilZero,
        kStencilReplace,
        kStencilIncrementClamp,
        kStencilDecrementClamp,
        kStencilInvert,
        kStencilIncrement,
        kStencilDecrement,
        kStencilOpCount
    };
    enum CullMode : int32_t { kCullClockwise, kCullCounterClockwise, kCullModeCount };
    enum FogMode : int32_t { kFogLinear, kFogExponential, kFogExponentialSquared, kFogModeCount };
    enum ShadeMode : int32_t { kShadeFlat, kShadeGouraud, kShadeModeCount };
    enum Filter : int32_t { kFilterPoint, kFilterLinear, kFilterCount };
    // Minification with mip filter: (point, none), (linear, none), (point, point),
    // (point, linear), (linear, point), (linear, linear).
    enum MinMipFilter : int32_t {
        kMinPoint,
        kMinLinear,
        kMinPointMipPoint,
        kMinPointMipLinear,
        kMinLinearMipPoint,
        kMinLinearMipLinear,
        kMinMipFilterCount
    };
    enum Address : int32_t { kAddressClamp, kAddressWrap, kAddressBorder, kAddressCount };
    // Fixed presets of a stage; kCombineCustom uses the stage's operation and arguments. Any
    // value above kCombineCustom acts as kCombineModulate.
    enum CombineMode : int32_t {
        kCombineReplace,
        kCombineDecal,
        kCombineModulate,
        kCombineBlend,
        kCombineAdd,
        kCombineCustom
    };
    // kCombineSelect uses the first argument, kCombineLerp all three, the others two.
    enum CombineOp : int32_t {
        kCombineSelect,
        kCombineMultiply,
        kCombineSum,
        kCombineSubtract,
        kCombineSumSigned,
        kCombineLerp,
        kCombineOpCount
    };
    enum ArgSource : int32_t { kArgTexture, kArgDiffuse, kArgTextureFactor, kArgCurrent, kArgSourceCount };
    // Bits of an argument modifier.
    enum ArgModifier : int32_t { kArgComplement = 1, kArgAlphaReplicate = 2, kArgModifierLimit = 4 };

    static constexpr uint32_t kStageCount = 8;

    // One texture stage: sampling and the colour and alpha combination.
    struct Stage {
        int32_t magFilter = kFilterLinear;
        int32_t minMipFilter = kMinLinearMipLinear;
        int32_t addressU = kAddressWrap;
        int32_t addressV = kAddressWrap;
        int32_t addressW = kAddressWrap;
        Vector4 borderColor{0, 1, 0, 1};
        int32_t combineMode = kCombineModulate;
        Vector4 textureFactor{1, 1, 1, 1};  // Constant colour of the stage.
        int32_t colorOp = kCombineMultiply;
        int32_t alphaOp = kCombineMultiply;
        int32_t colorArg[3] = {kArgTexture, kArgCurrent, kArgTextureFactor};
        int32_t alphaArg[3] = {kArgTexture, kArgCurrent, kArgTextureFactor};
        int32_t colorArgMod[3] = {0, 0, 0};
        int32_t alphaArgMod[3] = {kArgAlphaReplicate, kArgAlphaReplicate, kArgAlphaReplicate};
        int32_t reserved = 0;  // Stored and kept; no device state depends on it.

        friend bool operator==(const Stage&, const Stage&) = default;
    };

    bool alphaBlendEnable = false;
    int32_t srcBlend = kBlendSourceAlpha;           // Also for the alpha channel.
    int32_t destBlend = kBlendInverseSourceAlpha;   // Also for the alpha channel.
    bool alphaTestEnable = false;
    int32_t alphaFunc = kCompareAlways;
    int32_t alphaRef = 1;                           // 0-255.
    bool cullEnable = true;                         // False draws both sides.
    int32_t cullMode = kCullCounterClockwise;
    bool fogEnable = false;
    float fogStart = 0.0f;                          // Linear fog.
    float fogEnd = 1000.0f;                         // Linear fog.
    float fogDensity = 1.0f;                        // Exponential fog.
    Vector4 fogColor{0.5f, 0.5f, 0.5f, 1.0f};
    int32_t fogMode = kFogLinear;
    bool fogPerPixel = false;                       // Table fog instead of vertex fog.
    Vector4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};        // Material.
    Vector4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    Vector4 specular{0, 0, 0, 1};
    Vector4 emissive{0, 0, 0, 1};
    float power = 1.0f;                             // Specular exponent.
    int32_t shadeMode = kShadeGouraud;
    bool wireframe = false;
    bool depthEnable = true;
    bool depthWrite = true;
    int32_t depthFunc = kCompareLessEqual;
    bool stencilEnable = false;
    int32_t stencilFunc = kCompareAlways;
    int32_t stencilRef = 0;
    int32_t stencilFail = kStencilKeep;
    int32_t stencilDepthFail = kStencilKeep;
    int32_t stencilPass = kStencilKeep;
    bool twoSidedStencil = false;
    int32_t ccwStencilFunc = kCompareAlways;        // Back faces.
    int32_t ccwStencilFail = kStencilKeep;
    int32_t ccwStencilDepthFail = kStencilKeep;
    int32_t ccwStencilPass = kStencilKeep;
    Stage stages[kStageCount];
    bool pointSprites = false;

    // True when every enumerated field holds one of its values (combine modes above custom
    // count as modulate and are valid). What a stream or a caller put in is checked with it
    // before a renderer indexes its tables.
    bool IsValid() const;

    friend bool operator==(const RenderState&, const RenderState&) = default;
};

}  // namespace zen
