#pragma once
#include <cstdint>

namespace zen::rar2 {

// Constants of the RAR 1.5-2.0 archive layout and of the RAR 2.0 compressed stream, shared by
// the archive reader, the unpacker, the packer and the writer.

// Block layout: every block starts with CRC16 (low half of the CRC-32 of the header from the
// type byte on), type, flags, header size; flag kLongBlock adds a 32-bit data size after them.
constexpr uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};  // "Rar!" 1A 07 00
constexpr uint32_t kBlockHeaderSize = 7;
constexpr uint32_t kMainHeaderSize = 13;
constexpr uint32_t kFileHeaderSize = 32;  // Fixed fields; the name follows.

constexpr uint8_t kBlockMain = 0x73;
constexpr uint8_t kBlockFile = 0x74;
constexpr uint8_t kBlockOldSub = 0x77;  // Old-style sub-block (owner, extended attributes).
constexpr uint8_t kBlockEnd = 0x7B;

constexpr uint16_t kLongBlock = 0x8000;

// Main header flags.
constexpr uint16_t kMainVolume = 0x0001;
constexpr uint16_t kMainSolid = 0x0008;

// File header flags.
constexpr uint16_t kFileSplitBefore = 0x0001;
constexpr uint16_t kFileSplitAfter = 0x0002;
constexpr uint16_t kFileEncrypted = 0x0004;
constexpr uint16_t kFileSolid = 0x0010;  // Continues the solid stream of the entries before it.
constexpr uint16_t kFileWindowMask = 0x00E0;
constexpr uint16_t kFileWindow1024 = 0x0080;
constexpr uint16_t kFileDirectory = 0x00E0;  // All window bits set marks a directory entry.
constexpr uint16_t kFileLarge = 0x0100;      // 64-bit sizes follow the fixed fields.
constexpr uint16_t kFileUnicode = 0x0200;    // Name field: OEM name, zero, encoded Unicode name.

constexpr uint8_t kHostMsDos = 0;
constexpr uint8_t kHostWin32 = 2;
constexpr uint8_t kHostUnix = 3;

constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kUnixTypeMask = 0xF000;
constexpr uint32_t kUnixSymbolicLink = 0xA000;

constexpr uint8_t kMethodStore = 0x30;
constexpr uint8_t kMethodFastest = 0x31;
constexpr uint8_t kMethodNormal = 0x33;
constexpr uint8_t kMethodBest = 0x35;

constexpr uint8_t kMinUnpackVersion = 13;
constexpr uint8_t kMaxUnpackVersion = 20;
constexpr uint8_t kUnpackVersion = 20;

constexpr uint32_t kMaxNameLength = 259;  // Longer stored names are cut to this many bytes.

// Compressed stream.
constexpr uint32_t kWindowSize = 0x100000;  // 1 MiB sliding window.
constexpr uint32_t kWindowMask = kWindowSize - 1;

constexpr uint32_t kMainCodes = 298;       // 256 literals, 256 repeat, 257-260 old distances,
                                           // 261-268 short matches, 269 new table, 270+ lengths.
constexpr uint32_t kDistanceCodes = 48;
constexpr uint32_t kRepeatCodes = 28;      // Lengths of matches at an old distance.
constexpr uint32_t kBitLengthCodes = 19;   // 0-15 lengths, 16 repeat, 17/18 zero runs.
constexpr uint32_t kAudioCodes = 257;      // 256 deltas and 256 = new table.
constexpr uint32_t kMaxChannels = 4;
constexpr uint32_t kLzTableSize = kMainCodes + kDistanceCodes + kRepeatCodes;  // 374
constexpr uint32_t kMaxTableSize = kAudioCodes * kMaxChannels;                  // 1028
constexpr uint32_t kMaxCodeLength = 15;

constexpr uint32_t kSymbolRepeatLast = 256;
constexpr uint32_t kSymbolOldDistance = 257;  // 257..260: the 1st..4th most recent distance.
constexpr uint32_t kSymbolShortMatch = 261;   // 261..268: length 2 at a short distance.
constexpr uint32_t kSymbolNewTable = 269;
constexpr uint32_t kSymbolMatch = 270;        // 270..297: length code, a distance code follows.
constexpr uint32_t kAudioNewTable = 256;

constexpr uint32_t kMaxMatchLength = 260;  // Longest single copy any code can ask for.

// Length codes (main symbols 270+ with base 3, repeat-table codes with base 2).
constexpr uint32_t kLengthCount = 28;
constexpr uint8_t kLengthBase[kLengthCount] = {0,  1,  2,  3,  4,  5,  6,  7,  8,   10,  12,  14,  16,  20,
                                               24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLengthBits[kLengthCount] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                               2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

// Distance codes: distance = base + 1 + extra bits.
constexpr uint32_t kDistanceBase[kDistanceCodes] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t kDistanceBits[kDistanceCodes] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,
                                                   5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
                                                   11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16,
                                                   16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

// Short matches (symbols 261-268): length 2, distance = base + 1 + extra bits (1..256).
constexpr uint32_t kShortCount = 8;
constexpr uint8_t kShortBase[kShortCount] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[kShortCount] = {2, 2, 3, 4, 5, 6, 6, 6};

// A match of a main length code grows by one at each of these distances.
constexpr uint32_t kLongDistance1 = 0x2000;
constexpr uint32_t kLongDistance2 = 0x40000;
// A match at an old distance also grows by one from this distance on.
constexpr uint32_t kOldDistanceBonus = 0x101;

}  // namespace zen::rar2
