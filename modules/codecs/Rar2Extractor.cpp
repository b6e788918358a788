#include "modules/codecs/Rar2Extractor.h"

#include <new>

#include "engine/core/Crc32.h"
#include "modules/codecs/Rar2Decryptor.h"
#include "modules/codecs/Rar2Format.h"

namespace zen {

using namespace rar2;

Result Rar2Extractor::ExtractAll(const Rar2Archive& archive, std::string_view password, const Visitor& visit)
{
    if (m_unpacker.Initialize() != kSuccess)
        return kOutOfMemory;
    m_unpacker.Reset();
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < archive.EntryCount(); ++i) {
        const Rar2Entry& entry = archive.Entry(i);
        const Rar2EntryStatus status = ExtractEntry(archive, entry, password, data);
        if (status != Rar2EntryStatus::kExtracted)
            std::vector<uint8_t>().swap(data);
        visit(i, entry, status, data);
        data.clear();
    }
    return kSuccess;
}

Rar2EntryStatus Rar2Extractor::ExtractEntry(const Rar2Archive& archive, const Rar2Entry& entry,
                                            std::string_view password, std::vector<uint8_t>& data)
{
    data.clear();
    if (entry.IsDirectory())
        return Rar2EntryStatus::kDirectory;
    // A compressed entry that cannot be unpacked breaks the solid stream: the entries that
    // continue it fail at once instead of decoding from the wrong window.
    auto skip = [&](Rar2EntryStatus status) {
        if (entry.method != kMethodStore)
            m_unpacker.Reset();
        return status;
    };
    if (entry.unpackVersion < kMinUnpackVersion || entry.unpackVersion > kMaxUnpackVersion || entry.IsSplit() ||
        entry.method < kMethodStore || entry.method > kMethodBest)
        return skip(Rar2EntryStatus::kUnsupported);
    const uint8_t* packed = archive.PackedData(entry);
    if (packed == nullptr)
        return skip(Rar2EntryStatus::kCorrupt);

    try {
        if (entry.IsEncrypted()) {
            if (password.empty())
                return skip(Rar2EntryStatus::kNoPassword);
            if (entry.unpackVersion < kUnpackVersion)
                return skip(Rar2EntryStatus::kUnsupported);  // RAR 1.3/1.5 ciphers are not implemented.
            m_decrypted.assign(packed, packed + entry.packedSize);
            Rar2Decryptor decryptor(password);
            decryptor.Decrypt(m_decrypted.data(), m_decrypted.size());
            packed = m_decrypted.data();
        }

        if (entry.method == kMethodStore) {
            if (entry.unpackedSize > entry.packedSize)
                return Rar2EntryStatus::kCorrupt;
            data.assign(packed, packed + entry.unpackedSize);
        } else {
            const Result unpacked = m_unpacker.Unpack(packed, entry.packedSize, entry.unpackedSize,
                                                      entry.ContinuesSolid(), data);
            if (unpacked == kOutOfMemory)
                return Rar2EntryStatus::kOutOfMemory;
            if (unpacked != kSuccess)
                return Rar2EntryStatus::kCorrupt;
        }
    } catch (const std::bad_alloc&) {
        return Rar2EntryStatus::kOutOfMemory;
    }

    if (Crc32::Compute(data.data(), data.size()) != entry.fileCrc) {
        data.clear();
        return Rar2EntryStatus::kBadCrc;
    }
    return Rar2EntryStatus::kExtracted;
}

}  // namespace zen
