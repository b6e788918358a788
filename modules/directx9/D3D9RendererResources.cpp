#include "modules/directx9/D3D9Renderer.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/OcclusionQuery.h"
#include "engine/scene/Pass.h"
#include "engine/scene/RenderResource.h"
#include "engine/scene/RenderStateBlock.h"
#include "engine/scene/Shader.h"

namespace zen {
namespace {

// Marks a handle as one of the renderer's records (records are aligned, so the bit is free).
constexpr uintptr_t kRecordTag = 1;

}  // namespace

// --- Device objects of scene objects ----------------------------------------------------------

D3D9Renderer::DeviceObject* D3D9Renderer::Lookup(RenderResource* resource)
{
    if (!resource || resource->BoundRenderer() != this)
        return nullptr;
    uintptr_t handle = 0;
    resource->ReadHandle(sizeof handle, &handle);
    // Records are entered with the low bit set; a handle without it is someone else's value
    // (AddDefaultPoolObject's callers keep their own), for which only the tables can tell.
    if (handle & kRecordTag)
        return reinterpret_cast<DeviceObject*>(handle & ~kRecordTag);
    if (handle == 0)
        return nullptr;
    if (DeviceObject** found = m_defaultPool.Find(resource))
        return *found;
    if (DeviceObject** found = m_managed.Find(resource))
        return *found;
    return nullptr;
}

D3D9Renderer::DeviceObject* D3D9Renderer::Adopt(RenderResource* resource, DeviceObject::Kind kind, IUnknown* object,
                                                bool defaultPool)
{
    Drop(resource);
    DeviceObject* record = new (std::nothrow) DeviceObject;
    Table& table = defaultPool ? m_defaultPool : m_managed;
    if (!record || table.Insert(resource, record) != kSuccess) {
        delete record;
        if (object)
            object->Release();
        Error("Недостаточно памяти для таблицы объектов устройства.");
        return nullptr;
    }
    record->resource = resource;
    record->object = object;
    record->kind = kind;
    record->defaultPool = defaultPool;
    const uintptr_t handle = reinterpret_cast<uintptr_t>(record) | kRecordTag;
    resource->Bind(this, sizeof handle, &handle);
    return record;
}

void D3D9Renderer::Drop(RenderResource* resource)
{
    if (!resource)
        return;
    DeviceObject* record = nullptr;
    if (DeviceObject** found = m_managed.Find(resource)) {
        record = *found;
        (void)m_managed.Remove(resource);
    } else if (DeviceObject** found = m_defaultPool.Find(resource)) {
        record = *found;
        (void)m_defaultPool.Remove(resource);
    }
    if (!record)
        return;
    if (m_inTarget && record->kind == DeviceObject::kRenderTarget)
        EndRenderTarget();  // Its surfaces must not stay bound.
    if (record->object)
        record->object->Release();
    if (record->depth)
        record->depth->Release();
    delete record;
    if (resource->BoundRenderer() == this)
        resource->Bind(this, 0, nullptr);
}

void D3D9Renderer::ReleaseBuffer(Buffer* buffer)
{
    if (buffer == m_boundIndices)
        m_boundIndices = nullptr;
    Drop(buffer);
}

void D3D9Renderer::ReleaseTexture(BaseTexture* texture)
{
    Drop(texture);
}

void D3D9Renderer::ReleaseShader(Shader* shader)
{
    Drop(shader);
}

void D3D9Renderer::ReleasePass(Pass* pass)
{
    Drop(pass);
}

void D3D9Renderer::ReleaseQuery(OcclusionQuery* query)
{
    Drop(query);
}

void D3D9Renderer::ReleaseRenderState(RenderStateBlock* block)
{
    Drop(block);
}

}  // namespace zen
