#pragma once
#include <cstdint>

namespace zen {

// Code lengths and canonical codes for the packer's prefix codes. Lengths come from symbol
// frequencies (a Huffman tree, flattened until no code is longer than the limit); codes are
// assigned the way Rar2HuffmanDecoder reads them: by length, then by symbol.
class Rar2HuffmanEncoder {
public:
    static constexpr uint32_t kMaxSymbols = 298;

    // Lengths (0 for unused symbols) of at most `maxLength` bits. At least two symbols always
    // get a code (unused ones are added with the lowest numbers), so every table is a complete
    // prefix code that any reader accepts.
    static void BuildLengths(const uint32_t* frequencies, uint32_t count, uint32_t maxLength, uint8_t* lengths);

    // Canonical codes for the lengths (codes of unused symbols are left 0).
    static void AssignCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes);
};

}  // namespace zen
