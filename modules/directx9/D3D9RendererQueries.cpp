#include "modules/directx9/D3D9Renderer.h"

#include "engine/scene/OcclusionQuery.h"

namespace zen {
namespace {

// Polls for an occlusion query's result at most this long (ms): a device that never answers
// (lost meanwhile) must not hang the frame.
constexpr DWORD kQueryPatience = 2000;

}  // namespace

// --- Occlusion queries ------------------------------------------------------------------------

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
    static_cast<IDirect3DQuery9*>(record->object)->Issue(D3DISSUE_BEGIN);
}

void D3D9Renderer::EndOcclusionQuery(OcclusionQuery* query)
{
    if (!m_device || !query)
        return;
    DeviceObject* record = Lookup(query);
    if (!record || record->kind != DeviceObject::kQuery)
        return;
    auto* deviceQuery = static_cast<IDirect3DQuery9*>(record->object);
    deviceQuery->Issue(D3DISSUE_END);
    DWORD pixels = 0;
    const DWORD start = GetTickCount();
    HRESULT answer;
    while ((answer = deviceQuery->GetData(&pixels, sizeof pixels, D3DGETDATA_FLUSH)) == S_FALSE) {
        if (GetTickCount() - start > kQueryPatience)
            break;
    }
    query->SetVisiblePixels(answer == S_OK ? static_cast<uint32_t>(pixels) : 0);
}

}  // namespace zen
