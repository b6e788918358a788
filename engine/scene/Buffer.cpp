#include "engine/scene/Buffer.h"

#include <cstdlib>
#include <cstring>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Buffer, Object, kStartupCoreClasses)

namespace {

// Zeroed storage for `count` elements; null when it cannot be had (or the size passes 32 bits).
void* AllocateElements(uint32_t elementSize, uint32_t count)
{
    if (count == 0 || count > 0xFFFFFFFFu / elementSize)
        return nullptr;
    return std::calloc(count, elementSize);
}

}  // namespace

Buffer::Buffer(uint32_t elementSize, uint32_t count, void* memory) : m_elementSize(elementSize)
{
    if (count == 0)
        return;
    if (memory) {
        m_data = memory;
        m_count = count;
        m_ownsData = false;
        return;
    }
    m_data = AllocateElements(elementSize, count);
    if (!m_data) {
        Error("Недостаточно памяти для создания массива данных буффера. ID[%d].", ID());
        return;
    }
    m_count = count;
}

Buffer::~Buffer()
{
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleaseBuffer(this);
    FreeData();
}

void Buffer::FreeData()
{
    if (m_ownsData)
        std::free(m_data);
    m_data = nullptr;
    m_count = 0;
    m_ownsData = true;
}

Result Buffer::Resize(uint32_t count)
{
    void* data = nullptr;
    if (count > 0) {
        data = AllocateElements(m_elementSize, count);
        if (!data) {
            Error("Недостаточно памяти для создания массива данных буффера. ID[%d].", ID());
            return kOutOfMemory;
        }
    }
    FreeData();
    m_data = data;
    m_count = count;
    SetDirty();
    return kSuccess;
}

Result Buffer::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteInt(static_cast<int32_t>(m_count)) != kSuccess) {
        Error("Невозможно сохранить количество данных буффера. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.Write(m_data, GetDataSize()) != kSuccess) {
        Error("Невозможно сохранить данные буффера. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Buffer::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return ParentLoadFailed();
    int32_t stored = 0;
    if (stream.ReadInt(stored) != kSuccess || stored < 0) {
        Error("Невозможно загрузить количество данных буффера. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    const uint32_t count = static_cast<uint32_t>(stored);
    const uint64_t bytes = static_cast<uint64_t>(count) * m_elementSize;
    if (bytes > stream.Remaining()) {
        // More elements than the stream holds: let the stream fail the read it cannot serve,
        // before anything is allocated for it.
        (void)stream.Read(nullptr, bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes));
        Error("Невозможно загрузить данные буффера. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    void* data = nullptr;
    if (count > 0) {
        data = AllocateElements(m_elementSize, count);
        if (!data) {
            Error("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", ID(), m_name.CStr());
            return kFailure;
        }
    }
    if (stream.Read(data, static_cast<uint32_t>(bytes)) != kSuccess) {
        std::free(data);
        Error("Невозможно загрузить данные буффера. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    FreeData();
    m_data = data;
    m_count = count;
    SetDirty();
    return kSuccess;
}

}  // namespace zen
