#include "modules/codecs/Rar2Archive.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "modules/codecs/Rar2Format.h"
#include "modules/codecs/Rar2Name.h"

namespace zen {

using namespace rar2;

namespace {

uint16_t Read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

bool Rar2Entry::IsDirectory() const
{
    return (flags & kFileWindowMask) == kFileDirectory || (hostSystem != kHostUnix && (attributes & kAttributeDirectory) != 0) ||
           (hostSystem == kHostUnix && (attributes & kUnixTypeMask) == 0x4000);
}

bool Rar2Entry::IsEncrypted() const
{
    return (flags & kFileEncrypted) != 0;
}

bool Rar2Entry::IsSymbolicLink() const
{
    return hostSystem == kHostUnix && (attributes & kUnixTypeMask) == kUnixSymbolicLink;
}

bool Rar2Entry::ContinuesSolid() const
{
    return (flags & kFileSolid) != 0;
}

bool Rar2Entry::IsSplit() const
{
    return (flags & (kFileSplitBefore | kFileSplitAfter)) != 0;
}

Result Rar2Archive::Open(const uint8_t* data, uint32_t size)
{
    m_data = data;
    m_solid = false;
    m_truncated = false;
    m_entries.clear();

    if (data == nullptr || size < sizeof(kMarker) || std::memcmp(data, kMarker, sizeof(kMarker)) != 0)
        return kFailure;
    uint32_t offset = sizeof(kMarker);
    if (size - offset < kMainHeaderSize || data[offset + 2] != kBlockMain)
        return kFailure;
    const uint16_t mainFlags = Read16(data + offset + 3);
    const uint32_t mainSize = Read16(data + offset + 5);
    if (mainSize < kMainHeaderSize || mainSize > size - offset)
        return kFailure;
    m_solid = (mainFlags & kMainSolid) != 0;
    offset += mainSize;

    try {
        while (offset < size) {
            if (size - offset < kBlockHeaderSize) {
                m_truncated = true;
                break;
            }
            const uint8_t* block = data + offset;
            const uint8_t type = block[2];
            const uint16_t flags = Read16(block + 3);
            const uint32_t headerSize = Read16(block + 5);
            if (headerSize < kBlockHeaderSize || headerSize > size - offset) {
                m_truncated = true;
                break;
            }
            if (type == kBlockEnd)
                break;

            uint64_t dataSize = 0;
            if ((flags & kLongBlock) != 0) {
                if (headerSize < kBlockHeaderSize + 4) {
                    m_truncated = true;
                    break;
                }
                dataSize = Read32(block + 7);
            }

            if (type == kBlockFile) {
                Rar2Entry entry;
                if (!ReadFileHeader(offset, flags, headerSize, entry)) {
                    m_truncated = true;
                    break;
                }
                dataSize = entry.packedSize;
                if ((flags & kFileLarge) != 0)  // ReadFileHeader checked that the field is there.
                    dataSize |= static_cast<uint64_t>(Read32(block + kFileHeaderSize)) << 32;
                entry.dataOffset = offset + headerSize;
                entry.dataComplete = dataSize <= size - entry.dataOffset;
                m_entries.push_back(std::move(entry));
            }

            const uint64_t next = static_cast<uint64_t>(offset) + headerSize + dataSize;
            if (next > size) {
                m_truncated = true;
                break;
            }
            if (next <= offset)
                break;  // Cannot happen with a header of 7 bytes or more; a walk must advance.
            offset = static_cast<uint32_t>(next);
        }
    } catch (const std::bad_alloc&) {
        m_truncated = true;
    }
    return kSuccess;
}

bool Rar2Archive::ReadFileHeader(uint32_t offset, uint16_t flags, uint32_t headerSize, Rar2Entry& entry) const
{
    if (headerSize < kFileHeaderSize)
        return false;
    const uint8_t* p = m_data + offset;
    entry.flags = flags;
    entry.packedSize = Read32(p + 7);
    entry.unpackedSize = Read32(p + 11);
    entry.hostSystem = p[15];
    entry.fileCrc = Read32(p + 16);
    entry.fileTime = Read32(p + 20);
    entry.unpackVersion = p[24];
    entry.method = p[25];
    const uint32_t nameSize = Read16(p + 26);
    entry.attributes = Read32(p + 28);

    uint32_t nameOffset = kFileHeaderSize;
    if ((flags & kFileLarge) != 0) {
        nameOffset += 8;  // High halves of the packed and unpacked sizes.
        if (headerSize < nameOffset || Read32(p + 36) != 0)
            return false;  // Too short for them, or more than 4 GiB unpacked: nothing this reader can hold.
    }
    if (nameOffset > headerSize || nameSize > headerSize - nameOffset)
        return false;
    const char* name = reinterpret_cast<const char*>(p + nameOffset);
    const uint32_t oemLength = static_cast<uint32_t>(std::find(name, name + nameSize, '\0') - name);
    entry.name.assign(name, std::min(oemLength, kMaxNameLength));
    if ((flags & kFileUnicode) != 0 && oemLength < nameSize) {
        const uint8_t* encoded = p + nameOffset + oemLength + 1;
        entry.unicodeName = Rar2Name::DecodeUnicode(std::string_view(name, oemLength), encoded,
                                                    nameSize - oemLength - 1, kMaxNameLength);
    }
    return true;
}

const uint8_t* Rar2Archive::PackedData(const Rar2Entry& entry) const
{
    return entry.dataComplete ? m_data + entry.dataOffset : nullptr;
}

}  // namespace zen
