#include "modules/directx9/D3D9Renderer.h"

#include <algorithm>
#include <cstring>

#include "engine/core/MessageLog.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "modules/directx9/D3D9RenderStates.h"

namespace zen {
namespace {

DWORD PackColor(const Vector4& color)
{
    return D3D9RenderStates::PackColor(color);
}

// Stream bytes per vertex of a buffer: colours travel packed into four bytes.
UINT DeviceStride(const Buffer& buffer)
{
    return buffer.IsExactly(&ColorBuffer::TYPE) ? 4u : buffer.GetElementSize();
}

}  // namespace

// --- Buffers and streams ----------------------------------------------------------------------

IDirect3DVertexBuffer9* D3D9Renderer::PrepareVertexBuffer(Buffer* buffer, UINT& stride)
{
    stride = DeviceStride(*buffer);
    DeviceObject* record = Lookup(buffer);
    if (record && record->kind == DeviceObject::kVertexBuffer && !buffer->IsDirty())
        return static_cast<IDirect3DVertexBuffer9*>(record->object);
    const uint32_t count = buffer->GetCount();
    const uint64_t bytes = uint64_t{count} * stride;
    if (count == 0 || bytes > 0xFFFFFFFFu || !buffer->GetData()) {
        Drop(buffer);
        return nullptr;
    }
    // A buffer filled once lives in the managed pool. One filled again (particles, sprites,
    // anything changed every frame) moves to a dynamic buffer that is discarded on each lock:
    // a managed buffer's lock waits until the device has drawn everything queued before it,
    // which stalled each frame once per refilled buffer. Dynamic buffers live in the default
    // pool, so a lost device takes them and the next fill starts again from the managed pool.
    const bool dynamic = record && record->kind == DeviceObject::kVertexBuffer;
    if (!dynamic || record->bytes != bytes || !record->defaultPool) {
        IDirect3DVertexBuffer9* created = nullptr;
        const DWORD usage = dynamic ? D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC : D3DUSAGE_WRITEONLY;
        const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
        if (FAILED(m_device->CreateVertexBuffer(static_cast<UINT>(bytes), usage, 0, pool, &created, nullptr))) {
            Error("Невозможно создать вершинный буффер. Имя[%s] ID[%d]", buffer->Name().CStr(), buffer->ID());
            Drop(buffer);
            return nullptr;
        }
        record = Adopt(buffer, DeviceObject::kVertexBuffer, created, dynamic);
        if (!record)
            return nullptr;
        record->bytes = static_cast<uint32_t>(bytes);
    }
    auto* vertices = static_cast<IDirect3DVertexBuffer9*>(record->object);
    void* target = nullptr;
    if (FAILED(vertices->Lock(0, 0, &target, record->defaultPool ? D3DLOCK_DISCARD : 0)))
        return nullptr;
    if (buffer->IsExactly(&ColorBuffer::TYPE)) {
        const Vector4* colors = static_cast<const ColorBuffer*>(buffer)->Data();
        auto* packed = static_cast<D3DCOLOR*>(target);
        for (uint32_t i = 0; i < count; ++i)
            packed[i] = PackColor(colors[i]);
    } else {
        std::memcpy(target, buffer->GetData(), static_cast<size_t>(bytes));
    }
    vertices->Unlock();
    buffer->SetDirty(false);
    return vertices;
}

IDirect3DIndexBuffer9* D3D9Renderer::PrepareIndexBuffer(IntBuffer* indices, uint32_t& span)
{
    DeviceObject* record = Lookup(indices);
    if (record && record->kind == DeviceObject::kIndexBuffer && !indices->IsDirty()) {
        span = record->span;
        return static_cast<IDirect3DIndexBuffer9*>(record->object);
    }
    const uint32_t count = indices->GetCount();
    const uint32_t bytes = indices->GetDataSize();
    if (count == 0 || !indices->GetData()) {
        Drop(indices);
        return nullptr;
    }
    if (!record || record->kind != DeviceObject::kIndexBuffer || record->bytes != bytes) {
        IDirect3DIndexBuffer9* created = nullptr;
        if (FAILED(m_device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED, &created,
                                               nullptr))) {
            Error("Невозможно создать индексный буффер. Имя[%s] ID[%d]", indices->Name().CStr(), indices->ID());
            Drop(indices);
            return nullptr;
        }
        record = Adopt(indices, DeviceObject::kIndexBuffer, created, false);
        if (!record)
            return nullptr;
        record->bytes = bytes;
    }
    auto* buffer = static_cast<IDirect3DIndexBuffer9*>(record->object);
    void* target = nullptr;
    if (FAILED(buffer->Lock(0, 0, &target, 0)))
        return nullptr;
    std::memcpy(target, indices->GetData(), bytes);
    buffer->Unlock();
    // The largest index decides how many vertices a draw reads: a damaged file's index past
    // the vertices must not make the device read outside them.
    const auto* values = static_cast<const uint32_t*>(indices->GetData());
    uint32_t largest = 0;
    for (uint32_t i = 0; i < count; ++i)
        largest = std::max(largest, values[i]);
    record->span = largest == 0xFFFFFFFFu ? largest : largest + 1;
    span = record->span;
    indices->SetDirty(false);
    return buffer;
}

void D3D9Renderer::BindStream(Buffer* buffer, uint32_t stream)
{
    if (!m_device)
        return;
    UINT stride = 0;
    IDirect3DVertexBuffer9* vertices = buffer ? PrepareVertexBuffer(buffer, stride) : nullptr;
    m_device->SetStreamSource(stream, vertices, 0, vertices ? stride : 0);
}

void D3D9Renderer::SetStream(FloatBuffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Vector2Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Vector3Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Vector4Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(IntBuffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }

void D3D9Renderer::SetStream(ColorBuffer* buffer, uint32_t stream)
{
    BindStream(buffer, stream);
    // Fixed-function lighting takes the vertex colours as the material's diffuse colour.
    if (m_device && buffer)
        m_device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
}

void D3D9Renderer::SetIndices(IntBuffer* indices)
{
    if (!m_device)
        return;
    uint32_t span = 0;
    IDirect3DIndexBuffer9* buffer = indices ? PrepareIndexBuffer(indices, span) : nullptr;
    m_device->SetIndices(buffer);
    m_boundIndices = buffer ? indices : nullptr;
    m_indexSpan = span;
}

}  // namespace zen
