#include "modules/codecs/Rar2Packer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "modules/codecs/Rar2BitWriter.h"
#include "modules/codecs/Rar2HuffmanEncoder.h"

namespace zen {

using namespace rar2;

namespace {

constexpr uint32_t kHashBits = 16;
constexpr uint32_t kMaxLength = 257;  // Codable by every kind of match code.
constexpr int32_t kLiteralBits = 8;    // Rough cost of a literal, for comparing choices.
constexpr uint32_t kNiceLength = 96;   // A match this long ends the search and the lazy look-ahead.

uint32_t Hash3(const uint8_t* p)
{
    const uint32_t value = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
    return (value * 2654435761u) >> (32 - kHashBits);
}

// Length code for a coded length value 0..255 (the largest base not above it).
constexpr std::array<uint8_t, 256> BuildLengthCodes()
{
    std::array<uint8_t, 256> codes{};
    uint32_t code = 0;
    for (uint32_t value = 0; value < 256; ++value) {
        while (code + 1 < kLengthCount && kLengthBase[code + 1] <= value)
            ++code;
        codes[value] = static_cast<uint8_t>(code);
    }
    return codes;
}
constexpr std::array<uint8_t, 256> kLengthCodes = BuildLengthCodes();

uint32_t LengthCode(uint32_t value)
{
    return kLengthCodes[value];
}

// Distance code for distance - 1 (0..0xFFFFF).
uint32_t DistanceCode(uint32_t value)
{
    if (value < 4)
        return value;
    if (value >= 0x20000)
        return 32 + (value >> 16);
    const uint32_t top = static_cast<uint32_t>(std::bit_width(value)) - 1;
    return 2 * top + ((value >> (top - 1)) & 1);
}

uint32_t ShortCode(uint32_t value)
{
    uint32_t code = 0;
    while (code + 1 < kShortCount && kShortBase[code + 1] <= value)
        ++code;
    return code;
}

// Extra length of a new match at this distance, and of a match at a recent distance.
uint32_t MatchBonus(uint32_t distance)
{
    return (distance >= kLongDistance1 ? 1 : 0) + (distance >= kLongDistance2 ? 1 : 0);
}
uint32_t OldDistanceBonus(uint32_t distance)
{
    return (distance >= kOldDistanceBonus ? 1 : 0) + MatchBonus(distance);
}

uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t limit)
{
    uint32_t length = 0;
    while (length + 8 <= limit) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y)
            return length + static_cast<uint32_t>(std::countr_zero(x ^ y)) / 8;
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// Which of the four recent distances (0 the latest) equals `distance`, or -1.
int OldDistanceSlot(const uint32_t* ring, uint32_t index, uint32_t distance)
{
    for (uint32_t k = 0; k < 4; ++k)
        if (ring[(index - 1 - k) & 3] == distance)
            return static_cast<int>(k);
    return -1;
}

}  // namespace

void Rar2Packer::InsertHash(uint32_t position)
{
    if (position + 3 > m_size)
        return;
    const uint32_t hash = Hash3(m_data + position);
    m_previous[position & m_previousMask] = m_head[hash];
    m_head[hash] = position + 1;
}

bool Rar2Packer::CanCode(uint32_t length, uint32_t distance) const
{
    if (distance == m_lastDistance && length == m_lastLength)
        return true;
    if (OldDistanceSlot(m_oldDistances, m_oldDistanceIndex, distance) >= 0 &&
        length >= 2 + OldDistanceBonus(distance))
        return true;
    if (length == 2 && distance <= 256)
        return true;
    return length >= 3 + MatchBonus(distance);
}

int32_t Rar2Packer::EstimateGain(uint32_t length, uint32_t distance) const
{
    int32_t cost;
    if (distance == m_lastDistance && length == m_lastLength) {
        cost = 6;
    } else if (OldDistanceSlot(m_oldDistances, m_oldDistanceIndex, distance) >= 0 &&
               length >= 2 + OldDistanceBonus(distance)) {
        cost = 10 + kLengthBits[LengthCode(length - 2 - OldDistanceBonus(distance))];
    } else if (length == 2 && distance <= 256) {
        cost = 8 + kShortBits[ShortCode(distance - 1)];
    } else {
        cost = 8 + kLengthBits[LengthCode(length - 3 - MatchBonus(distance))] + 5 +
               kDistanceBits[DistanceCode(distance - 1)];
    }
    return static_cast<int32_t>(length) * kLiteralBits - cost;
}

Rar2Packer::Match Rar2Packer::FindMatch(uint32_t position) const
{
    Match best;
    const uint32_t limit = std::min(kMaxLength, m_size - position);
    if (limit < 2)
        return best;
    const uint8_t* here = m_data + position;

    // Recent distances first: they are the cheapest to code.
    for (uint32_t k = 0; k < 4; ++k) {
        const uint32_t distance = m_oldDistances[(m_oldDistanceIndex - 1 - k) & 3];
        if (distance == 0 || distance > position)
            continue;
        const uint32_t length = MatchLength(here, here - distance, limit);
        if (length < 2 || !CanCode(length, distance))
            continue;
        const int32_t gain = EstimateGain(length, distance);
        if (gain > best.gain)
            best = Match{length, distance, gain};
    }

    if (limit < 3)
        return best;
    uint32_t candidate = m_head[Hash3(here)];
    uint32_t previous = position;
    for (uint32_t depth = m_chainDepth; candidate != 0 && depth > 0; --depth) {
        const uint32_t at = candidate - 1;
        if (at >= previous)
            break;  // The chain slot was reused by a later position: the rest is gone.
        const uint32_t distance = position - at;
        if (distance > kMaxDistance)
            break;
        previous = at;
        candidate = m_previous[at & m_previousMask];
        if (best.length >= 3 && (best.length >= limit || m_data[at + best.length] != here[best.length]))
            continue;
        const uint32_t length = MatchLength(here, m_data + at, limit);
        if (length < 3 || length <= best.length || !CanCode(length, distance))
            continue;  // Not longer than what a nearer candidate already gave.
        const int32_t gain = EstimateGain(length, distance);
        if (gain > best.gain) {
            best = Match{length, distance, gain};
            if (length >= std::min(limit, kNiceLength))
                break;
        }
    }
    return best;
}

void Rar2Packer::AddCode(const Code& code)
{
    m_codes.push_back(code);
    ++m_mainFrequencies[code.symbol];
    if (code.secondTable == 1)
        ++m_distanceFrequencies[code.second];
    else if (code.secondTable == 2)
        ++m_repeatFrequencies[code.second];
}

void Rar2Packer::AddLiteral(uint8_t value)
{
    AddCode(Code{value, 0, 0, 0, 0, 0, 0});
}

void Rar2Packer::AddMatch(uint32_t length, uint32_t distance)
{
    // The same choices, in the same order, as CanCode allows.
    const int slot = OldDistanceSlot(m_oldDistances, m_oldDistanceIndex, distance);
    Code code{};
    if (distance == m_lastDistance && length == m_lastLength) {
        code.symbol = static_cast<uint16_t>(kSymbolRepeatLast);
    } else if (slot >= 0 && length >= 2 + OldDistanceBonus(distance)) {
        const uint32_t value = length - 2 - OldDistanceBonus(distance);
        const uint32_t lengthCode = LengthCode(value);
        code.symbol = static_cast<uint16_t>(kSymbolOldDistance + slot);
        code.secondTable = 2;
        code.second = static_cast<uint8_t>(lengthCode);
        code.secondBits = kLengthBits[lengthCode];
        code.secondExtra = value - kLengthBase[lengthCode];
    } else if (length == 2 && distance <= 256) {
        const uint32_t shortCode = ShortCode(distance - 1);
        code.symbol = static_cast<uint16_t>(kSymbolShortMatch + shortCode);
        code.extraBits = kShortBits[shortCode];
        code.extra = static_cast<uint16_t>(distance - 1 - kShortBase[shortCode]);
    } else {
        const uint32_t value = length - 3 - MatchBonus(distance);
        const uint32_t lengthCode = LengthCode(value);
        const uint32_t distanceCode = DistanceCode(distance - 1);
        code.symbol = static_cast<uint16_t>(kSymbolMatch + lengthCode);
        code.extraBits = kLengthBits[lengthCode];
        code.extra = static_cast<uint16_t>(value - kLengthBase[lengthCode]);
        code.secondTable = 1;
        code.second = static_cast<uint8_t>(distanceCode);
        code.secondBits = kDistanceBits[distanceCode];
        code.secondExtra = distance - 1 - kDistanceBase[distanceCode];
    }
    AddCode(code);
    m_oldDistances[m_oldDistanceIndex++ & 3] = distance;
    m_lastDistance = distance;
    m_lastLength = length;
}

void Rar2Packer::WriteTables(Rar2BitWriter& writer, const uint8_t* lengths)
{
    // Run-length code the lengths: 0..15 as such, 16 repeats the previous length 3..6 times,
    // 17 and 18 write 3..10 and 11..138 zeros.
    struct Run {
        uint8_t symbol;
        uint8_t bits;
        uint8_t value;
    };
    Run runs[kLzTableSize];
    uint32_t runCount = 0;
    uint32_t frequencies[kBitLengthCodes] = {};
    for (uint32_t i = 0; i < kLzTableSize;) {
        const uint8_t length = lengths[i];
        uint32_t same = 1;
        while (i + same < kLzTableSize && lengths[i + same] == length)
            ++same;
        if (length == 0 && same >= 3) {
            const uint32_t take = std::min(same, 138u);
            runs[runCount++] = take >= 11 ? Run{18, 7, static_cast<uint8_t>(take - 11)}
                                          : Run{17, 3, static_cast<uint8_t>(take - 3)};
            i += take;
            continue;
        }
        runs[runCount++] = Run{length, 0, 0};
        ++i;
        uint32_t repeat = same - 1;
        if (length != 0) {
            while (repeat >= 3) {
                const uint32_t take = std::min(repeat, 6u);
                runs[runCount++] = Run{16, 2, static_cast<uint8_t>(take - 3)};
                i += take;
                repeat -= take;
            }
        }
    }
    for (uint32_t r = 0; r < runCount; ++r)
        ++frequencies[runs[r].symbol];

    uint8_t bitLengths[kBitLengthCodes];
    uint16_t bitCodes[kBitLengthCodes];
    Rar2HuffmanEncoder::BuildLengths(frequencies, kBitLengthCodes, kMaxCodeLength, bitLengths);
    Rar2HuffmanEncoder::AssignCodes(bitLengths, kBitLengthCodes, bitCodes);

    writer.Write(0, 2);  // LZ block, lengths not relative to the previous table.
    for (uint32_t i = 0; i < kBitLengthCodes; ++i)
        writer.Write(bitLengths[i], 4);
    for (uint32_t r = 0; r < runCount; ++r) {
        writer.Write(bitCodes[runs[r].symbol], bitLengths[runs[r].symbol]);
        writer.Write(runs[r].value, runs[r].bits);
    }
}

void Rar2Packer::WriteBlock(Rar2BitWriter& writer, bool switchesTable)
{
    if (switchesTable)
        ++m_mainFrequencies[kSymbolNewTable];

    uint8_t lengths[kLzTableSize];
    Rar2HuffmanEncoder::BuildLengths(m_mainFrequencies, kMainCodes, kMaxCodeLength, lengths);
    Rar2HuffmanEncoder::BuildLengths(m_distanceFrequencies, kDistanceCodes, kMaxCodeLength, lengths + kMainCodes);
    Rar2HuffmanEncoder::BuildLengths(m_repeatFrequencies, kRepeatCodes, kMaxCodeLength,
                                     lengths + kMainCodes + kDistanceCodes);
    WriteTables(writer, lengths);

    uint16_t mainCodes[kMainCodes];
    uint16_t distanceCodes[kDistanceCodes];
    uint16_t repeatCodes[kRepeatCodes];
    const uint8_t* mainLengths = lengths;
    const uint8_t* distanceLengths = lengths + kMainCodes;
    const uint8_t* repeatLengths = lengths + kMainCodes + kDistanceCodes;
    Rar2HuffmanEncoder::AssignCodes(mainLengths, kMainCodes, mainCodes);
    Rar2HuffmanEncoder::AssignCodes(distanceLengths, kDistanceCodes, distanceCodes);
    Rar2HuffmanEncoder::AssignCodes(repeatLengths, kRepeatCodes, repeatCodes);

    for (const Code& code : m_codes) {
        writer.Write(mainCodes[code.symbol], mainLengths[code.symbol]);
        writer.Write(code.extra, code.extraBits);
        if (code.secondTable == 1)
            writer.Write(distanceCodes[code.second], distanceLengths[code.second]);
        else if (code.secondTable == 2)
            writer.Write(repeatCodes[code.second], repeatLengths[code.second]);
        writer.Write(code.secondExtra, code.secondBits);
    }
    if (switchesTable)
        writer.Write(mainCodes[kSymbolNewTable], mainLengths[kSymbolNewTable]);

    m_codes.clear();
    std::memset(m_mainFrequencies, 0, sizeof(m_mainFrequencies));
    std::memset(m_distanceFrequencies, 0, sizeof(m_distanceFrequencies));
    std::memset(m_repeatFrequencies, 0, sizeof(m_repeatFrequencies));
}

Result Rar2Packer::Pack(const uint8_t* data, uint32_t size, std::vector<uint8_t>& out)
{
    out.clear();
    m_data = data;
    m_size = size;
    std::memset(m_oldDistances, 0, sizeof(m_oldDistances));
    m_oldDistanceIndex = 0;
    m_lastDistance = 0;
    m_lastLength = 0;
    m_codes.clear();
    std::memset(m_mainFrequencies, 0, sizeof(m_mainFrequencies));
    std::memset(m_distanceFrequencies, 0, sizeof(m_distanceFrequencies));
    std::memset(m_repeatFrequencies, 0, sizeof(m_repeatFrequencies));

    try {
        const uint32_t chainSize = std::min<uint32_t>(std::bit_ceil(std::max<uint32_t>(size, 1)), kWindowSize);
        m_head.assign(1u << kHashBits, 0);
        m_previous.assign(chainSize, 0);
        m_previousMask = chainSize - 1;
        m_codes.reserve(kBlockSymbols + 1);
        out.reserve(size / 2 + 256);

        Rar2BitWriter writer(out);
        uint32_t position = 0;
        Match pending;
        bool havePending = false;
        while (position < size) {
            const Match match = havePending ? pending : FindMatch(position);
            havePending = false;
            InsertHash(position);
            if (match.gain > 0 && match.length < kNiceLength && position + 1 < size) {
                // One step of lazy evaluation: a clearly better match one byte on wins.
                const Match next = FindMatch(position + 1);
                if (next.gain > match.gain + kLiteralBits) {
                    AddLiteral(data[position]);
                    ++position;
                    pending = next;
                    havePending = true;
                    continue;
                }
            }
            if (match.gain > 0) {
                AddMatch(match.length, match.distance);
                for (uint32_t i = 1; i < match.length; ++i)
                    InsertHash(position + i);
                position += match.length;
            } else {
                AddLiteral(data[position]);
                ++position;
            }
            if (m_codes.size() >= kBlockSymbols && position < size)
                WriteBlock(writer, true);
        }
        WriteBlock(writer, false);
        writer.Finish();
    } catch (const std::bad_alloc&) {
        out.clear();
        return kOutOfMemory;
    }
    m_data = nullptr;
    return kSuccess;
}

}  // namespace zen
