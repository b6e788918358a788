#pragma once
#include <cstdint>
#include <cstring>

namespace zen {

// A bounded little-endian reader over a block of memory for the picture decoders. Reading past
// the end yields zeros and sets a sticky flag instead of touching memory outside the block, so a
// decoder reads a whole header and checks once. Offsets and counts are 64-bit wide, so no sum
// of a position and a size taken from a file can wrap.
class ByteReader {
public:
    ByteReader(const uint8_t* data, uint64_t size) : m_data(data), m_size(data ? size : 0) {}

    // Values
    uint8_t ReadByte()
    {
        uint8_t value = 0;
        ReadBytes(&value, 1);
        return value;
    }
    uint16_t ReadWord()
    {
        uint8_t bytes[2] = {};
        ReadBytes(bytes, 2);
        return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    }
    uint32_t ReadUInt()
    {
        uint8_t bytes[4] = {};
        ReadBytes(bytes, 4);
        return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
    }
    int32_t ReadInt() { return static_cast<int32_t>(ReadUInt()); }

    // Copies `count` bytes; past the end the copy is zeros, the flag is set and the position
    // moves to the end.
    void ReadBytes(void* out, uint64_t count)
    {
        if (count > Remaining()) {
            std::memset(out, 0, static_cast<size_t>(count));
            Fail();
            return;
        }
        std::memcpy(out, m_data + m_position, static_cast<size_t>(count));
        m_position += count;
    }
    // The next `count` bytes in place, advancing past them; null (and the flag) when fewer remain.
    const uint8_t* Take(uint64_t count)
    {
        if (count > Remaining()) {
            Fail();
            return nullptr;
        }
        const uint8_t* bytes = m_data + m_position;
        m_position += count;
        return bytes;
    }
    void Skip(uint64_t count)
    {
        if (count > Remaining())
            Fail();
        else
            m_position += count;
    }
    // Moves to `offset`; past the end fails.
    void Seek(uint64_t offset)
    {
        if (offset > m_size)
            Fail();
        else
            m_position = offset;
    }

    // State
    bool Failed() const { return m_failed; }
    uint64_t Position() const { return m_position; }
    uint64_t Size() const { return m_size; }
    uint64_t Remaining() const { return m_size - m_position; }

private:
    void Fail()
    {
        m_failed = true;
        m_position = m_size;
    }

    const uint8_t* m_data;      // Not owned.
    uint64_t m_size;            // Bytes.
    uint64_t m_position = 0;    // Never beyond m_size.
    bool m_failed = false;
};

}  // namespace zen
