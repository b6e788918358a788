#include "engine/scene/RenderState.h"

namespace zen {
namespace {

bool InRange(int32_t value, int32_t count)
{
    return value >= 0 && value < count;
}

bool IsValidStage(const RenderState::Stage& stage)
{
    using S = RenderState;
    if (!InRange(stage.magFilter, S::kFilterCount) || !InRange(stage.minMipFilter, S::kMinMipFilterCount) ||
        !InRange(stage.addressU, S::kAddressCount) || !InRange(stage.addressV, S::kAddressCount) ||
        !InRange(stage.addressW, S::kAddressCount) || stage.combineMode < 0 ||
        !InRange(stage.colorOp, S::kCombineOpCount) || !InRange(stage.alphaOp, S::kCombineOpCount))
        return false;
    for (int i = 0; i < 3; ++i) {
        if (!InRange(stage.colorArg[i], S::kArgSourceCount) || !InRange(stage.alphaArg[i], S::kArgSourceCount) ||
            !InRange(stage.colorArgMod[i], S::kArgModifierLimit) || !InRange(stage.alphaArgMod[i], S::kArgModifierLimit))
            return false;
    }
    return true;
}

}  // namespace

bool RenderState::IsValid() const
{
    const int32_t compares[] = {alphaFunc, depthFunc, stencilFunc, ccwStencilFunc};
    for (int32_t compare : compares)
        if (!InRange(compare, kCompareFuncCount))
            return false;
    const int32_t stencilOps[] = {stencilFail, stencilDepthFail, stencilPass, ccwStencilFail, ccwStencilDepthFail,
                                  ccwStencilPass};
    for (int32_t op : stencilOps)
        if (!InRange(op, kStencilOpCount))
            return false;
    if (!InRange(srcBlend, kBlendFactorCount) || !InRange(destBlend, kBlendFactorCount) ||
        !InRange(cullMode, kCullModeCount) || !InRange(fogMode, kFogModeCount) || !InRange(shadeMode, kShadeModeCount))
        return false;
    for (const Stage& stage : stages)
        if (!IsValidStage(stage))
            return false;
    return true;
}

}  // namespace zen
