#include "modules/directx9/D3D9Renderer.h"

#include "engine/scene/Pass.h"
#include "engine/scene/RenderStateBlock.h"
#include "engine/scene/Texture.h"
#include "modules/directx9/D3D9RenderStates.h"

namespace zen {

// --- Passes and render state ------------------------------------------------------------------

void D3D9Renderer::SetPass(Pass* pass)
{
    if (!m_device)
        return;
    // Every pass starts from no textures and no programs: one it does not bind must not run
    // with what the previous pass left (the device keeps it from pass to pass and frame to frame).
    static_assert(StageBindings::kStages == kTextureStages, "the bindings track every device stage");
    const uint32_t left = m_bindings.BeginPass();
    for (uint32_t stage = 0; stage < StageBindings::kStages; ++stage)
        if (left & (1u << stage))
            m_device->SetTexture(stage, nullptr);
    m_device->SetVertexShader(nullptr);
    m_device->SetPixelShader(nullptr);
    m_device->SetRenderState(D3DRS_COLORVERTEX, FALSE);  // SetStream of colours turns it on.
    if (!pass)
        return;
    if (Lookup(pass) && pass->IsDirty())
        Drop(pass);
    ApplyRenderState(pass->RenderStates());
}

void D3D9Renderer::ApplyRenderState(RenderStateBlock* block)
{
    if (!m_device || !block)
        return;
    DeviceObject* record = Lookup(block);
    if (record && record->kind == DeviceObject::kStateBlock && !block->IsDirty()) {
        static_cast<IDirect3DStateBlock9*>(record->object)->Apply();
        return;
    }
    // A state outside the enumerations (a caller's mistake; loads refuse them) is drawn with
    // the defaults rather than indexing past the tables.
    const RenderState& state = block->State().IsValid() ? block->State() : RenderState{};
    IDirect3DStateBlock9* recorded = nullptr;
    if (FAILED(m_device->BeginStateBlock())) {
        D3D9RenderStates::Write(m_device, state, m_capabilities.maxPointSize);
        return;
    }
    D3D9RenderStates::Write(m_device, state, m_capabilities.maxPointSize);
    if (FAILED(m_device->EndStateBlock(&recorded)) || !recorded) {
        D3D9RenderStates::Write(m_device, state, m_capabilities.maxPointSize);
        return;
    }
    // Recording does not change the device: the block is applied once recorded.
    recorded->Apply();
    if (Adopt(block, DeviceObject::kStateBlock, recorded, true))
        block->SetDirty(false);
}

}  // namespace zen
