#pragma once
#include <cstdint>
#include <vector>

namespace zen {

// Writes a RAR compressed stream bit by bit, most significant bit of each byte first (the
// order Rar2BitReader reads). Finish pads the last byte with zero bits and appends
// kReadAheadBytes zero bytes: readers fetch whole bytes (or words) ahead of the code they decode,
// and one that finds the stream ending inside such a fetch refuses the entry.
class Rar2BitWriter {
public:
    static constexpr uint32_t kReadAheadBytes = 4;

    explicit Rar2BitWriter(std::vector<uint8_t>& out) : m_out(out) {}

    // The low `count` bits of `value` (count 0..24), most significant first.
    void Write(uint32_t value, uint32_t count)
    {
        m_bits = (m_bits << count) | (value & ((1u << count) - 1));
        m_count += count;
        while (m_count >= 8) {
            m_count -= 8;
            m_out.push_back(static_cast<uint8_t>(m_bits >> m_count));
        }
        m_bits &= (1u << m_count) - 1;
    }
    void Finish()
    {
        if (m_count > 0)
            m_out.push_back(static_cast<uint8_t>(m_bits << (8 - m_count)));
        m_out.insert(m_out.end(), kReadAheadBytes, 0);
        m_bits = 0;
        m_count = 0;
    }

private:
    std::vector<uint8_t>& m_out;  // Not owned; bytes are appended.
    uint64_t m_bits = 0;          // Pending bits, the oldest highest.
    uint32_t m_count = 0;         // Number of pending bits (below 8 between calls).
};

}  // namespace zen
