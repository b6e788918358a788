#pragma once
#include <cstdint>

#include "modules/codecs/Rar2BitReader.h"

namespace zen {

// One canonical prefix code of a RAR 2.0 stream, built from code lengths (0 = unused, 1..15):
// shorter codes come first, and within a length the smaller symbol gets the smaller code. A
// table of the first kQuickBits bits decodes short codes in one step; longer ones are found by
// comparing against the left-aligned limit of each length. An incomplete set of lengths is
// accepted (its unused codes decode as errors); an over-full one is refused at Build.
class Rar2HuffmanDecoder {
public:
    static constexpr uint32_t kMaxSymbols = 298;
    static constexpr int kInvalid = -1;

    // False when the lengths describe more codes than fit (the table is then empty).
    [[nodiscard]] bool Build(const uint8_t* lengths, uint32_t count);
    void Clear();

    // The next symbol, or kInvalid when the bits are no code of this table (including an empty one).
    int Decode(Rar2BitReader& reader) const
    {
        const uint32_t bits = reader.Peek16();
        const uint16_t quick = m_quick[bits >> (16 - kQuickBits)];
        if (quick != 0) {
            reader.Skip(quick >> 9);
            return quick & 0x1FF;
        }
        return DecodeLong(reader, bits);
    }

private:
    static constexpr uint32_t kQuickBits = 10;

    int DecodeLong(Rar2BitReader& reader, uint32_t bits) const;

    uint16_t m_quick[1u << kQuickBits] = {};  // (length << 9) | symbol; 0 = not a short code.
    uint32_t m_first[16] = {};   // First code of each length, left-aligned to 16 bits.
    uint32_t m_limit[16] = {};   // One past the last code of each length, left-aligned.
    uint16_t m_index[16] = {};   // Position in m_symbols of the first code of each length.
    uint16_t m_symbols[kMaxSymbols] = {};  // Symbols in code order.
};

}  // namespace zen
