#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zen {

// The published RAR 2.0 cipher: a 32-round Feistel-like network on 16-byte blocks with a
// password-shuffled byte substitution and four 32-bit keys that evolve with every block (after
// each block the keys absorb the CRC-32 table entries of the ciphertext bytes). One object
// serves one entry: the archive sets the keys up afresh from the password for every file.
class Rar2Decryptor {
public:
    static constexpr size_t kBlockSize = 16;
    static constexpr size_t kMaxPasswordLength = 127;  // Longer passwords are cut, as RAR does.

    explicit Rar2Decryptor(std::string_view password);

    // Whole blocks in place; a trailing partial block is left as it is.
    void Decrypt(uint8_t* data, size_t size);
    void Encrypt(uint8_t* data, size_t size);

    void DecryptBlock(uint8_t* block);
    void EncryptBlock(uint8_t* block);

private:
    uint32_t Substitute(uint32_t value) const;
    // The 32 rounds on one block in place: forwards to encrypt, backwards to decrypt. The keys
    // are left as they are (the caller updates them from the ciphertext).
    void RunRounds(uint8_t* block, bool backwards) const;
    void UpdateKeys(const uint8_t* block);

    uint32_t m_keys[4];
    uint8_t m_substitution[256];
};

}  // namespace zen
