#include "modules/codecs/Rar2HuffmanDecoder.h"

#include <cstring>

#include "modules/codecs/Rar2Format.h"

namespace zen {

void Rar2HuffmanDecoder::Clear()
{
    std::memset(m_quick, 0, sizeof(m_quick));
    std::memset(m_first, 0, sizeof(m_first));
    std::memset(m_limit, 0, sizeof(m_limit));
    std::memset(m_index, 0, sizeof(m_index));
}

bool Rar2HuffmanDecoder::Build(const uint8_t* lengths, uint32_t count)
{
    Clear();
    if (count > kMaxSymbols)
        return false;

    uint32_t perLength[16] = {};
    for (uint32_t i = 0; i < count; ++i)
        ++perLength[lengths[i] & 0x0F];
    perLength[0] = 0;

    // Canonical codes: each length starts where the previous one ended, doubled.
    uint32_t code = 0;
    uint32_t position = 0;
    for (uint32_t length = 1; length <= rar2::kMaxCodeLength; ++length) {
        code = (code + perLength[length - 1]) << 1;
        if (code + perLength[length] > (1u << length)) {
            Clear();
            return false;  // More codes than a prefix code can hold.
        }
        m_first[length] = code << (16 - length);
        m_limit[length] = (code + perLength[length]) << (16 - length);
        m_index[length] = static_cast<uint16_t>(position);
        position += perLength[length];
    }

    uint16_t next[16];
    std::memcpy(next, m_index, sizeof(next));
    for (uint32_t symbol = 0; symbol < count; ++symbol) {
        const uint32_t length = lengths[symbol] & 0x0F;
        if (length != 0)
            m_symbols[next[length]++] = static_cast<uint16_t>(symbol);
    }

    // Short codes fill every quick slot that starts with them.
    for (uint32_t length = 1; length <= kQuickBits; ++length) {
        for (uint32_t i = 0; i < perLength[length]; ++i) {
            const uint32_t symbol = m_symbols[m_index[length] + i];
            const uint32_t first = (m_first[length] >> (16 - kQuickBits)) + (i << (kQuickBits - length));
            const uint32_t span = 1u << (kQuickBits - length);
            const uint16_t entry = static_cast<uint16_t>((length << 9) | symbol);
            for (uint32_t slot = 0; slot < span; ++slot)
                m_quick[first + slot] = entry;
        }
    }
    return true;
}

int Rar2HuffmanDecoder::DecodeLong(Rar2BitReader& reader, uint32_t bits) const
{
    // Codes of a length occupy [m_first, m_limit) in left-aligned order, rising with the length,
    // so the first length whose limit lies above the bits is the code's length.
    for (uint32_t length = kQuickBits + 1; length <= rar2::kMaxCodeLength; ++length) {
        if (bits < m_limit[length]) {
            if (bits < m_first[length])
                return kInvalid;
            reader.Skip(length);
            return m_symbols[m_index[length] + ((bits - m_first[length]) >> (16 - length))];
        }
    }
    return kInvalid;
}

}  // namespace zen
