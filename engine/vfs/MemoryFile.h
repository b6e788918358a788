#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/vfs/File.h"

namespace zen {

class Module;

// A file whose content is a block of memory, as archive codecs produce them: opening it for
// reading copies the block into the stream buffer; it cannot be opened for writing. The block
// belongs to the memory file unless it is detached, and the memory file keeps the module that
// produced it loaded for as long as it exists.
//
// Archive codecs fill one per stored file:
//     MemoryFile* file = new (std::nothrow) MemoryFile(name);
//     directory->AttachFile(file);               // the directory now owns the file
//     file->SetData(bytes, size);                // bytes from new (std::nothrow) uint8_t[size]
//     file->SetOwnerModule(codec->GetModule());
class MemoryFile : public File {
public:
    explicit MemoryFile(const String& name = String());
    ~MemoryFile() override;  // Frees the block unless it was detached.

    // kRead with data present: kSuccess, or kOutOfMemory with a warning. Any other mode, or no
    // data: kFailure and nothing logged.
    Result Open(uint32_t mode) override;
    Result Close() override;  // Always kSuccess; the block stays.

    // Content. SetData takes ownership of a block allocated with new[] (freeing the previous
    // one); null makes a file without data. DetachData hands the block back without freeing it.
    void SetData(uint8_t* data, uint32_t size);
    uint8_t* DetachData();
    // Copies `size` bytes into a new block: kSuccess, kOutOfMemory (the old block stays).
    Result CopyData(const void* data, uint32_t size);
    const uint8_t* DataBlock() const { return m_data; }  // Not the stream buffer (Stream::Data).
    uint32_t DataSize() const { return m_dataSize; }

    void SetOwnerModule(Module* module);
    Module* OwnerModule() const { return m_ownerModule.Get(); }

private:
    uint8_t* m_data = nullptr;  // Owned (new[]) unless detached; null when the file has no data.
    uint32_t m_dataSize = 0;    // Bytes.
    Ptr<Module> m_ownerModule;  // Keeps the producing module loaded.
};

}  // namespace zen
