#pragma once
#include <cstdint>

namespace zen {

// Reads a RAR compressed stream bit by bit, most significant bit of each byte first. Bits past
// the end of the data read as zeros (real archives end their last code inside the final byte,
// and the decoder peeks 16 bits at a time), but the reader counts how far it has gone: once the
// bits taken run more than kSlackBits past the end, Overrun() reports a truncated or corrupt
// stream so that no decoding loop can go on for ever on made-up zeros.
class Rar2BitReader {
public:
    static constexpr uint64_t kSlackBits = 64;

    Rar2BitReader(const uint8_t* data, uint32_t size) : m_data(data), m_size(size) {}

    // The next 16 bits, left-aligned in the low 16 bits of the result; nothing is taken.
    uint32_t Peek16()
    {
        if (m_count < 16)
            Refill();
        return static_cast<uint32_t>(m_bits >> 48);
    }
    // Takes `count` bits (0..16) that Peek16 has shown.
    void Skip(uint32_t count)
    {
        m_bits <<= count;
        m_count -= count;
    }
    // Takes and returns the next `count` bits (0..16).
    uint32_t Read(uint32_t count)
    {
        if (count == 0)
            return 0;
        const uint32_t value = Peek16() >> (16 - count);
        Skip(count);
        return value;
    }

    // Bits taken so far, and whether they run beyond the data by more than the slack.
    uint64_t BitPosition() const { return static_cast<uint64_t>(m_next) * 8 - m_count; }
    bool Overrun() const { return BitPosition() > static_cast<uint64_t>(m_size) * 8 + kSlackBits; }
    // Whole bytes not yet touched by the bits taken.
    uint32_t BytesLeft() const
    {
        const uint64_t used = (BitPosition() + 7) / 8;
        return used >= m_size ? 0 : m_size - static_cast<uint32_t>(used);
    }

private:
    void Refill()
    {
        while (m_count <= 56) {
            const uint64_t byte = m_next < m_size ? m_data[m_next] : 0;
            m_bits |= byte << (56 - m_count);
            m_count += 8;
            ++m_next;  // Counts past the end too, so BitPosition stays exact.
        }
    }

    const uint8_t* m_data;  // Not owned.
    uint32_t m_size;
    uint64_t m_bits = 0;    // Unread bits, left-aligned.
    uint32_t m_count = 0;   // Number of valid bits in m_bits.
    uint32_t m_next = 0;    // Index of the next byte to load (may pass m_size).
};

}  // namespace zen
