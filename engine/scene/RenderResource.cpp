#include "engine/scene/RenderResource.h"

#include <algorithm>
#include <cstring>

namespace zen {

RenderResource::~RenderResource() = default;

void RenderResource::Bind(Renderer* renderer, uint32_t size, const void* handle)
{
    m_renderer = renderer;
    std::memset(m_handle, 0, sizeof m_handle);
    if (handle)
        std::memcpy(m_handle, handle, std::min(size, kHandleSize));
}

void RenderResource::ReadHandle(uint32_t size, void* out) const
{
    if (out)
        std::memcpy(out, m_handle, std::min(size, kHandleSize));
}

void RenderResource::Reset()
{
    m_renderer = nullptr;
    std::memset(m_handle, 0, sizeof m_handle);
    m_dirty = true;
}

}  // namespace zen
