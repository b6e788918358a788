#include "engine/core/Crc32.h"

#include <array>

namespace zen {

namespace {

// Four tables for slicing by four bytes: kTables[0] is the classic byte table, kTables[k][i] the
// register after byte i followed by k zero bytes.
using CrcTables = std::array<std::array<uint32_t, 256>, 4>;

constexpr CrcTables BuildTables()
{
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][i] = crc;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 4; ++k)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    return tables;
}

constexpr CrcTables kTables = BuildTables();

}  // namespace

void Crc32::Update(const void* data, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint32_t crc = m_state;
    while (size >= 4) {
        crc ^= static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
               static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        crc = kTables[3][crc & 0xFF] ^ kTables[2][(crc >> 8) & 0xFF] ^ kTables[1][(crc >> 16) & 0xFF] ^
              kTables[0][crc >> 24];
        bytes += 4;
        size -= 4;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes++) & 0xFF];
    m_state = crc;
}

uint32_t Crc32::Compute(const void* data, size_t size)
{
    Crc32 crc;
    crc.Update(data, size);
    return crc.Value();
}

uint32_t Crc32::TableEntry(uint8_t index)
{
    return kTables[0][index];
}

}  // namespace zen
