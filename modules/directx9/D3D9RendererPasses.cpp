#include "modules/directx9/D3D9Renderer.h"

#include "engine/scene/Pass.h"
#include "engine/scene/RenderStateBlock.h"
#include "engine/scene/Texture.h"
#include "modules/directx9/D3D9RenderStates.h"

namespace zen {
namespace {

// Texture stages whose bindings SetPass clears for a pass without device data.
constexpr uint32_t kStagesClearedBySetPass = 7;

}  // namespace

// --- Passes and render state ------------------------------------------------------------------

void D3D9Renderer::SetPass(Pass* pass)
{
    if (!m_device)
        return;
    m_stagesBound = 0;
    m_device->SetRenderState(D3DRS_COLORVERTEX, FALSE);  // SetStream of colours turns it on.
    if (!pass)
        return;
    DeviceObject* record = Lookup(pass);
    if (record && pass->IsDirty()) {
        Drop(pass);
        record = nullptr;
    }
    ApplyRenderState(pass->RenderStates());
    if (!record) {
        for (uint32_t stage = 0; stage < kStagesClearedBySetPass; ++stage)
            m_device->SetTexture(stage, nullptr);
        m_device->SetVertexShader(nullptr);
        m_device->SetPixelShader(nullptr);
        m_pixelShaderBound = false;
    }
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
