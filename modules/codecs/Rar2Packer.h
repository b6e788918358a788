#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Result.h"
#include "modules/codecs/Rar2Format.h"

namespace zen {

class Rar2BitWriter;

// The RAR 2.0 compressor (LZ mode), the counterpart of Rar2Unpacker: a hash-chain match finder
// with one step of lazy evaluation, matches coded as repeats of the last match, of one of the
// four recent distances or as new length/distance pairs, and the symbols of each block of
// kBlockSymbols coded with Huffman tables built for that block (each further block is opened by
// the new-table symbol). Every entry is a stream of its own (no solid continuation).
class Rar2Packer {
public:
    static constexpr uint32_t kBlockSymbols = 0x8000;
    static constexpr uint32_t kDefaultChainDepth = 48;
    static constexpr uint32_t kMaxDistance = rar2::kWindowSize - 1;

    // Longer hash chains find better matches and take longer.
    explicit Rar2Packer(uint32_t chainDepth = kDefaultChainDepth) : m_chainDepth(chainDepth) {}

    // Compresses `size` bytes into `out` (replacing its content). kSuccess; kOutOfMemory.
    [[nodiscard]] Result Pack(const uint8_t* data, uint32_t size, std::vector<uint8_t>& out);

private:
    // One coded symbol of the main table with what follows it: extra bits, and for matches a
    // symbol of the distance or repeat-length table with its own extra bits.
    struct Code {
        uint16_t symbol;
        uint8_t extraBits;
        uint8_t secondTable;  // 0 none, 1 distance table, 2 repeat-length table.
        uint16_t extra;
        uint8_t second;
        uint8_t secondBits;
        uint32_t secondExtra;
    };
    struct Match {
        uint32_t length = 0;
        uint32_t distance = 0;
        int32_t gain = 0;  // Estimated bits saved against literals; <= 0 means no match.
    };

    void InsertHash(uint32_t position);
    Match FindMatch(uint32_t position) const;
    int32_t EstimateGain(uint32_t length, uint32_t distance) const;
    bool CanCode(uint32_t length, uint32_t distance) const;
    void AddLiteral(uint8_t value);
    void AddMatch(uint32_t length, uint32_t distance);
    void AddCode(const Code& code);
    void WriteBlock(Rar2BitWriter& writer, bool switchesTable);
    void WriteTables(Rar2BitWriter& writer, const uint8_t* lengths);

    uint32_t m_chainDepth;
    const uint8_t* m_data = nullptr;  // Input of the current Pack call; not owned.
    uint32_t m_size = 0;
    std::vector<uint32_t> m_head;     // Hash of three bytes -> latest position + 1 (0 = none).
    std::vector<uint32_t> m_previous; // Position & mask -> earlier position + 1 with the same hash.
    uint32_t m_previousMask = 0;

    // Decoder state the coder mirrors.
    uint32_t m_oldDistances[4] = {};
    uint32_t m_oldDistanceIndex = 0;
    uint32_t m_lastDistance = 0;
    uint32_t m_lastLength = 0;

    std::vector<Code> m_codes;  // Symbols of the current block.
    uint32_t m_mainFrequencies[rar2::kMainCodes] = {};
    uint32_t m_distanceFrequencies[rar2::kDistanceCodes] = {};
    uint32_t m_repeatFrequencies[rar2::kRepeatCodes] = {};
};

}  // namespace zen
