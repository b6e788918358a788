#pragma once
#include <cstddef>
#include <cstdint>

namespace zen {

// CRC-32 as used by archives and image files: reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement (the value of "123456789" is 0xCBF43926). Feed bytes in any
// number of Update calls; Value reads the checksum so far without ending the computation.
class Crc32 {
public:
    Crc32() = default;

    // Computation
    void Update(const void* data, size_t size);
    uint32_t Value() const { return ~m_state; }
    void Reset() { m_state = 0xFFFFFFFFu; }

    // One-shot checksum of a block.
    static uint32_t Compute(const void* data, size_t size);

    // The table entry for one byte (the CRC register after shifting that byte through it);
    // some formats derive keys and substitutions from it.
    static uint32_t TableEntry(uint8_t index);

private:
    uint32_t m_state = 0xFFFFFFFFu;  // The register before the final complement.
};

}  // namespace zen
