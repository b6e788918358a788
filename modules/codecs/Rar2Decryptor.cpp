#include "modules/codecs/Rar2Decryptor.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "engine/core/Crc32.h"

namespace zen {

namespace {

constexpr int kRounds = 32;

// The cipher's initial substitution (a permutation of 0..255), fixed by the format.
constexpr uint8_t kInitialSubstitution[256] = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,  232, 1,   177, 233, 14,  88,
    219, 25,  223, 195, 244, 90,  87,  239, 153, 137, 255, 199, 147, 70,  92,  66,  246, 13,  216, 40,  62,  29,
    217, 230, 86,  6,   71,  24,  171, 196, 101, 113, 218, 123, 93,  91,  163, 178, 202, 67,  44,  235, 107, 250,
    75,  234, 49,  167, 125, 211, 83,  114, 157, 144, 32,  193, 143, 36,  158, 124, 247, 187, 89,  214, 141, 47,
    121, 228, 61,  130, 213, 194, 174, 251, 97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245,
    63,  11,  164, 200, 31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,  207, 120, 189, 210,
    8,   226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,   122, 38,  155, 170, 69,  172, 252, 238, 39,  134,
    59,  128, 236, 27,  240, 80,  131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201, 133, 74,  64,  20,  129,
    224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180, 58,  10,  118, 26,  102, 12,  50,  132,
    22,  191, 136, 111, 162, 179, 45,  4,   148, 108, 161, 56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241,
    181, 190, 77,  225, 0,   46,  169, 186, 68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,  116, 184,
    160, 96,  109, 37,  30,  106, 140, 104, 150, 5,   204, 117, 112, 84};

uint32_t Load32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void Store32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace

Rar2Decryptor::Rar2Decryptor(std::string_view password)
    : m_keys{0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u}
{
    std::memcpy(m_substitution, kInitialSubstitution, sizeof(m_substitution));
    const size_t length = std::min(password.size(), kMaxPasswordLength);
    // The password, zero-padded to whole blocks (and one spare byte for odd lengths).
    uint8_t padded[kMaxPasswordLength + 1 + kBlockSize] = {};
    std::memcpy(padded, password.data(), length);

    // Shuffle the substitution: for each round and each pair of password bytes, swap entries
    // from one CRC-derived position up to another.
    for (uint32_t round = 0; round < 256; ++round) {
        for (size_t i = 0; i < length; i += 2) {
            const uint8_t target = static_cast<uint8_t>(Crc32::TableEntry(static_cast<uint8_t>(padded[i + 1] + round)));
            uint8_t from = static_cast<uint8_t>(Crc32::TableEntry(static_cast<uint8_t>(padded[i] - round)));
            for (uint32_t step = 1; from != target; from = static_cast<uint8_t>(from + 1), ++step)
                std::swap(m_substitution[from], m_substitution[(from + i + step) & 0xFF]);
        }
    }
    // The keys absorb the password encrypted block by block.
    for (size_t i = 0; i < length; i += kBlockSize)
        EncryptBlock(padded + i);
    std::memset(padded, 0, sizeof(padded));
}

uint32_t Rar2Decryptor::Substitute(uint32_t value) const
{
    return static_cast<uint32_t>(m_substitution[value & 0xFF]) |
           static_cast<uint32_t>(m_substitution[(value >> 8) & 0xFF]) << 8 |
           static_cast<uint32_t>(m_substitution[(value >> 16) & 0xFF]) << 16 |
           static_cast<uint32_t>(m_substitution[value >> 24]) << 24;
}

void Rar2Decryptor::UpdateKeys(const uint8_t* block)
{
    for (size_t i = 0; i < kBlockSize; ++i)
        m_keys[i & 3] ^= Crc32::TableEntry(block[i]);
}

void Rar2Decryptor::RunRounds(uint8_t* block, bool backwards) const
{
    uint32_t a = Load32(block) ^ m_keys[0];
    uint32_t b = Load32(block + 4) ^ m_keys[1];
    uint32_t c = Load32(block + 8) ^ m_keys[2];
    uint32_t d = Load32(block + 12) ^ m_keys[3];
    for (int step = 0; step < kRounds; ++step) {
        const int round = backwards ? kRounds - 1 - step : step;
        const uint32_t key = m_keys[round & 3];
        const uint32_t nextC = a ^ Substitute((c + std::rotl(d, 11)) ^ key);
        const uint32_t nextD = b ^ Substitute((d ^ std::rotl(c, 17)) + key);
        a = c;
        b = d;
        c = nextC;
        d = nextD;
    }
    Store32(block, c ^ m_keys[0]);
    Store32(block + 4, d ^ m_keys[1]);
    Store32(block + 8, a ^ m_keys[2]);
    Store32(block + 12, b ^ m_keys[3]);
}

void Rar2Decryptor::EncryptBlock(uint8_t* block)
{
    RunRounds(block, false);
    UpdateKeys(block);  // The ciphertext.
}

void Rar2Decryptor::DecryptBlock(uint8_t* block)
{
    uint8_t cipher[kBlockSize];
    std::memcpy(cipher, block, kBlockSize);
    RunRounds(block, true);
    UpdateKeys(cipher);
}

void Rar2Decryptor::Decrypt(uint8_t* data, size_t size)
{
    for (size_t i = 0; i + kBlockSize <= size; i += kBlockSize)
        DecryptBlock(data + i);
}

void Rar2Decryptor::Encrypt(uint8_t* data, size_t size)
{
    for (size_t i = 0; i + kBlockSize <= size; i += kBlockSize)
        EncryptBlock(data + i);
}

}  // namespace zen
