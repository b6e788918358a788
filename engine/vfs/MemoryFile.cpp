#include "engine/vfs/MemoryFile.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/modules/Module.h"

namespace zen {

MemoryFile::MemoryFile(const String& name) : File(name) {}

MemoryFile::~MemoryFile()
{
    MemoryFile::Close();
    delete[] m_data;
}

Result MemoryFile::Open(uint32_t mode)
{
    if (m_open && Close() != kSuccess) {
        Warning("Невозможно закрыть файл [%s].", GetPath().CStr());
        return kFailure;
    }
    if (mode != kRead || !m_data)
        return kFailure;
    std::vector<uint8_t> bytes;
    try {
        bytes.assign(m_data, m_data + m_dataSize);
    } catch (const std::bad_alloc&) {
        Warning("Недостаточно памяти для открытия файла [%s].", GetPath().CStr());
        return kOutOfMemory;
    }
    AdoptBuffer(std::move(bytes));
    m_mode = kRead;
    m_open = true;
    ClearIDs();
    return kSuccess;
}

Result MemoryFile::Close()
{
    if (m_open)
        ResetClosed();
    return kSuccess;
}

void MemoryFile::SetData(uint8_t* data, uint32_t size)
{
    if (data != m_data)
        delete[] m_data;
    m_data = data;
    m_dataSize = data ? size : 0;
}

uint8_t* MemoryFile::DetachData()
{
    uint8_t* data = m_data;
    m_data = nullptr;
    m_dataSize = 0;
    return data;
}

Result MemoryFile::CopyData(const void* data, uint32_t size)
{
    uint8_t* copy = new (std::nothrow) uint8_t[size == 0 ? 1 : size];
    if (!copy)
        return kOutOfMemory;
    if (size > 0)
        std::memcpy(copy, data, size);
    SetData(copy, size);
    return kSuccess;
}

void MemoryFile::SetOwnerModule(Module* module)
{
    m_ownerModule = module;
}

}  // namespace zen
