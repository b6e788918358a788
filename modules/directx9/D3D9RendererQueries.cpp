#include "modules/directx9/D3D9Renderer.h"

#include "engine/scene/OcclusionQuery.h"

namespace zen {

// --- Occlusion queries ------------------------------------------------------------------------
//
// The frame never waits for the device: EndOcclusionQuery issues the end and takes the result
// only when the device already has it; otherwise the query stays pending and the query object
// keeps the last count it had. While a measurement is pending no new one is begun (the draw
// still happens), and the next Begin or End looks again. Results therefore trail the picture
// by a frame or two on a busy device, and a flare that is hidden shows 0 once the device has
// finished the frame that hid it.

namespace {

// One look at a pending measurement without flushing or waiting. True when it is settled (a
// count was stored, or the device lost the query): a new measurement may begin.
bool Collect(IDirect3DQuery9* deviceQuery, OcclusionQuery* query)
{
    DWORD pixels = 0;
    const HRESULT answer = deviceQuery->GetData(&pixels, sizeof pixels, 0);
    if (answer == S_FALSE)
        return false;
    if (answer == S_OK)
        query->SetVisiblePixels(static_cast<uint32_t>(pixels));
    return true;
}

}  // namespace

void D3D9Renderer::BeginOcclusionQuery(OcclusionQuery* query)
{
    if (!m_device || !query)
        return;
    DeviceObject* record = Lookup(query);
    if (!record || record->kind != DeviceObject::kQuery) {
        IDirect3DQuery9* created = nullptr;
        if (FAILED(m_device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &created)) || !created)
            return;
        record = Adopt(query, DeviceObject::kQuery, created, true);
        if (!record)
            return;
        query->SetDirty(false);
    }
    auto* deviceQuery = static_cast<IDirect3DQuery9*>(record->object);
    if (record->queryPending) {
        if (!Collect(deviceQuery, query))
            return;
        record->queryPending = false;
    }
    if (SUCCEEDED(deviceQuery->Issue(D3DISSUE_BEGIN)))
        record->queryOpen = true;
}

void D3D9Renderer::EndOcclusionQuery(OcclusionQuery* query)
{
    if (!m_device || !query)
        return;
    DeviceObject* record = Lookup(query);
    if (!record || record->kind != DeviceObject::kQuery)
        return;
    auto* deviceQuery = static_cast<IDirect3DQuery9*>(record->object);
    if (record->queryOpen) {
        record->queryOpen = false;
        if (FAILED(deviceQuery->Issue(D3DISSUE_END)))
            return;
        record->queryPending = true;
    }
    if (record->queryPending && Collect(deviceQuery, query))
        record->queryPending = false;
}

}  // namespace zen
