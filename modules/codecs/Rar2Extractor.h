#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/core/Result.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Unpacker.h"

namespace zen {

// What became of one entry.
enum class Rar2EntryStatus : uint8_t {
    kExtracted,     // Data unpacked and its CRC-32 matches.
    kDirectory,     // A directory entry; no data.
    kUnsupported,   // Unpack version outside 13..20, unknown method, or split over volumes.
    kNoPassword,    // Encrypted, and no password was given.
    kCorrupt,       // The packed data is truncated or does not decode.
    kBadCrc,        // Unpacked, but the CRC-32 does not match (also: wrong password).
    kOutOfMemory,
};

// Unpacks every entry of an archive exactly once, in archive order, handing each result to a
// visitor as soon as it is ready: one pass over a solid archive, so the time to unpack a whole
// archive grows linearly with its size. A failed entry has no data and the walk goes on; in a
// solid archive every entry goes through the unpacker whatever becomes of it, because the
// entries after it need its window. The extractor does not judge names (see Rar2Name).
class Rar2Extractor {
public:
    // `data` is moved from by the visitor if it wants the bytes; it is empty unless kExtracted.
    using Visitor = std::function<void(uint32_t index, const Rar2Entry& entry, Rar2EntryStatus status,
                                       std::vector<uint8_t>& data)>;

    // kSuccess when every entry was visited; kOutOfMemory when the unpacker's window cannot
    // be allocated (nothing is visited then). The password is used for encrypted entries only.
    [[nodiscard]] Result ExtractAll(const Rar2Archive& archive, std::string_view password, const Visitor& visit);

    // One entry on its own: what ExtractAll would produce for it, given that every entry
    // before it has been through this extractor's unpacker (only solid archives need that).
    Rar2EntryStatus ExtractEntry(const Rar2Archive& archive, const Rar2Entry& entry, std::string_view password,
                                 std::vector<uint8_t>& data);

private:
    Rar2Unpacker m_unpacker;
    std::vector<uint8_t> m_decrypted;  // Scratch for an encrypted entry's packed bytes.
};

}  // namespace zen
