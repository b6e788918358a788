#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/scene/RenderResource.h"

namespace zen {

// An array of fixed-size elements that geometry draws from ("ZEN.Buffer", abstract): vertex
// positions, normals, colours, texture coordinates, point sizes, indices. The subclasses fix
// the element type. The data is owned, or memory the creator supplied and keeps alive. The
// renderer mirrors it in a device buffer and rebuilds that while the resource is dirty, so
// code that writes into GetData() must SetDirty(). Stream form: count (int32), then the
// elements' raw little-endian bytes.
class Buffer : public Object, public RenderResource {
    ZEN_DECLARE_CLASS

public:
    ~Buffer() override;  // Hands the device copy back to its renderer (ReleaseBuffer).

    // Data
    virtual uint32_t GetDataSize() const { return m_count * m_elementSize; }  // Bytes.
    virtual uint32_t GetCount() const { return m_count; }                   // Elements.
    virtual void* GetData() { return m_data; }                               // Null when empty.
    const void* GetData() const { return m_data; }
    uint32_t GetElementSize() const { return m_elementSize; }
    bool OwnsData() const { return m_ownsData; }

    // Replaces the data with `count` zeroed elements of its own. kSuccess, or kOutOfMemory
    // (logged; the old data stays).
    Result Resize(uint32_t count);

    // Count, then the bytes. Load checks the count against the bytes left in the stream before
    // allocating, and replaces the data only when everything was read.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    // Largest element count a buffer takes, so that count x element size fits 32 bits.
    uint32_t MaxCount() const { return 0xFFFFFFFFu / m_elementSize; }

protected:
    // `count` elements of `elementSize` bytes: in `memory` when given (not owned, at least
    // count x elementSize bytes), else allocated and zeroed. An allocation that fails writes
    // "Недостаточно памяти для создания массива данных буффера. ID[%d]." and leaves the buffer
    // empty (count 0).
    Buffer(uint32_t elementSize, uint32_t count, void* memory);

private:
    void FreeData();

    void* m_data = nullptr;      // Owned when m_ownsData; else the creator's memory.
    uint32_t m_count = 0;        // Elements.
    uint32_t m_elementSize;      // Bytes per element, fixed by the subclass.
    bool m_ownsData = true;
};

}  // namespace zen
