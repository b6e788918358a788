#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zen::test {

// Builders of object-stream bytes by hand, for tests that feed the reader records the writer
// would never make: little-endian 32-bit values, and strings as their length then their bytes.
inline void PutInt(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutString(std::vector<uint8_t>& bytes, const std::string& text)
{
    PutInt(bytes, static_cast<uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
}

}  // namespace zen::test
