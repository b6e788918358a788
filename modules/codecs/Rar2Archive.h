#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Result.h"

namespace zen {

// One file header of a RAR 2.x archive, as stored. The name keeps the archive's bytes ("\"
// between directories, OEM code page), cut to 259 bytes; `unicodeName` is filled when the
// header carries the Unicode form as well.
struct Rar2Entry {
    std::string name;
    std::u16string unicodeName;
    uint16_t flags = 0;
    uint32_t packedSize = 0;
    uint32_t unpackedSize = 0;
    uint8_t hostSystem = 0;
    uint32_t fileCrc = 0;        // CRC-32 of the unpacked data.
    uint32_t fileTime = 0;       // DOS date and time.
    uint8_t unpackVersion = 0;   // 13..20 for the formats this reader unpacks.
    uint8_t method = 0;          // 0x30 store, 0x31..0x35 compressed.
    uint32_t attributes = 0;     // DOS attributes, or the Unix mode for Unix hosts.
    uint32_t dataOffset = 0;     // Offset of the packed data in the archive bytes.
    bool dataComplete = false;   // The packed data lies wholly inside the archive bytes.

    bool IsDirectory() const;
    bool IsEncrypted() const;
    bool IsSymbolicLink() const;  // Unix host, link type in the mode bits.
    bool ContinuesSolid() const;
    bool IsSplit() const;         // Continued from or into another volume.
};

// Walks the blocks of a RAR 1.5-2.x archive held in memory: the marker, the main header, then
// block after block until the end block or the end of the data, keeping the file headers and
// skipping everything else (comments, old sub-blocks, recovery records). Every offset and size
// is checked against the data and every step must move forward, so any input ends the walk in
// time; a walk cut short keeps the entries read so far and says so through IsTruncated.
// The archive bytes are not copied and must outlive the object.
class Rar2Archive {
public:
    // kSuccess for data that starts with the marker and a main header (entries may be none);
    // kFailure for anything else (no entries).
    [[nodiscard]] Result Open(const uint8_t* data, uint32_t size);

    // Access
    bool IsSolid() const { return m_solid; }
    bool IsTruncated() const { return m_truncated; }
    uint32_t EntryCount() const { return static_cast<uint32_t>(m_entries.size()); }
    const Rar2Entry& Entry(uint32_t index) const { return m_entries[index]; }
    const std::vector<Rar2Entry>& Entries() const { return m_entries; }
    // The packed bytes of an entry whose data is complete; null otherwise.
    const uint8_t* PackedData(const Rar2Entry& entry) const;

private:
    // Reads the file header at `offset` (its header size already checked to lie inside the data).
    bool ReadFileHeader(uint32_t offset, uint16_t flags, uint32_t headerSize, Rar2Entry& entry) const;

    const uint8_t* m_data = nullptr;  // Not owned.
    bool m_solid = false;
    bool m_truncated = false;
    std::vector<Rar2Entry> m_entries;
};

}  // namespace zen
