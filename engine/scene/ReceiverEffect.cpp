#include "engine/scene/ReceiverEffect.h"

#include <new>

#include "engine/scene/ReceiverPass.h"
#include "engine/scene/Technique.h"

namespace zen {

namespace {

enum : uint32_t { kOverlayTechnique, kPlainTechnique };

}  // namespace

ReceiverEffect::ReceiverEffect(uint32_t vertexShaderVersion, uint32_t pixelShaderVersion)
{
    (void)AddTechnique(vertexShaderVersion, pixelShaderVersion);
    (void)AddTechnique(0, 0);
}

ReceiverEffect::~ReceiverEffect()
{
    // The passes hold a plain pointer back here and may outlive this effect in a frame's list.
    for (uint32_t t = 0; t < TechniqueCount(); ++t)
        if (Technique* technique = GetTechnique(t))
            for (uint32_t p = 0; p < technique->PassCount(); ++p)
                if (Pass* pass = technique->GetPass(p))
                    static_cast<ReceiverPass*>(pass)->DetachEffect();
}

Result ReceiverEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<ReceiverPass> children = new (std::nothrow) ReceiverPass(this, ReceiverPass::kChildren);
    if (!children)
        return kOutOfMemory;
    const Result added = out.AddPass(children.Get());
    if (added != kSuccess || technique != kOverlayTechnique)
        return added;
    Ptr<ReceiverPass> overlay = new (std::nothrow) ReceiverPass(this, ReceiverPass::kOverlay);
    return overlay ? out.AddPass(overlay.Get()) : kOutOfMemory;
}

}  // namespace zen
