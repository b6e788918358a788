#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Result.h"
#include "modules/codecs/Rar2BitReader.h"
#include "modules/codecs/Rar2Format.h"
#include "modules/codecs/Rar2HuffmanDecoder.h"

namespace zen {

// The RAR 2.0 decompressor: LZ blocks (literals, matches, repeats of recent distances) and
// audio blocks (per-channel adaptive delta prediction), each block opened by its code tables.
// All state lives in the object, so several archives can be unpacked at once by separate
// unpackers. A solid archive is unpacked by one unpacker, entry after entry in archive order:
// an entry that continues the solid stream keeps the window, tables and distances of the one
// before it. A corrupt or truncated stream never reads or writes outside the buffers and never
// loops for ever; the entry fails and the unpacker stays usable (a later solid continuation of
// a failed stream simply fails too, or its CRC does not match).
class Rar2Unpacker {
public:
    Rar2Unpacker() = default;
    ~Rar2Unpacker();  // Leaves the window for the next unpacker (see Initialize).
    Rar2Unpacker(const Rar2Unpacker&) = delete;
    Rar2Unpacker& operator=(const Rar2Unpacker&) = delete;

    // Gets the 1 MiB window, all zeros: the one a finished unpacker left (only the part it wrote
    // is cleared again), else a new one, so archive after archive costs no fresh megabyte.
    // kOutOfMemory when it cannot be had. Unpack calls it as needed.
    [[nodiscard]] Result Initialize();

    // Unpacks one entry's packed bytes into `out` (replacing its content) until `size` bytes
    // are produced. With `continueSolid` the stream goes on from the previous entry without
    // reading a table first; otherwise everything starts afresh. kSuccess with exactly `size`
    // bytes; kFailure for a stream that is corrupt or ends early (what `out` then holds is of no
    // use); kOutOfMemory when the window or the output cannot be allocated.
    [[nodiscard]] Result Unpack(const uint8_t* packed, uint32_t packedSize, uint32_t size, bool continueSolid,
                                std::vector<uint8_t>& out);

    // Forgets the stream: the next Unpack starts afresh whatever it is told.
    void Reset();

private:
    // Adaptive predictor of one audio channel.
    struct AudioChannel {
        int32_t k[5];        // Weights of the four previous deltas and of the other channel's delta.
        int32_t d[4];        // Recent deltas and their differences.
        int32_t lastDelta;
        int32_t lastByte;
        uint32_t error[11];  // Accumulated error of each weight's candidate adjustment.
        uint32_t count;      // Bytes decoded; every 32nd adapts the weights.
    };

    enum class Step { kContinue, kFailed };

    void StartStream();
    [[nodiscard]] bool ReadTables(Rar2BitReader& reader);
    uint8_t DecodeAudio(int32_t delta);
    void CopyMatch(uint32_t length, uint32_t distance);
    void Flush(std::vector<uint8_t>& out, uint32_t limit);
    // After an entry's last byte the stream may still switch tables for the next solid entry.
    void ReadTrailingTables(Rar2BitReader& reader);

    std::vector<uint8_t> m_window;  // kWindowSize bytes once initialised.
    uint32_t m_written = 0;         // Leading window bytes that may no longer be zero.
    uint32_t m_position = 0;        // Next write position in the window (masked).
    uint32_t m_flushed = 0;         // Window position up to which output was handed out.

    Rar2HuffmanDecoder m_main;
    Rar2HuffmanDecoder m_distance;
    Rar2HuffmanDecoder m_repeat;
    Rar2HuffmanDecoder m_bitLengths;
    Rar2HuffmanDecoder m_audio[rar2::kMaxChannels];
    uint8_t m_oldLengths[rar2::kMaxTableSize] = {};  // Lengths of the previous table block.
    bool m_tablesReady = false;                      // A table block has been read successfully.
    bool m_started = false;                          // A stream is under way (solid continuation allowed).

    bool m_audioMode = false;
    uint32_t m_channels = 1;
    uint32_t m_channel = 0;
    int32_t m_channelDelta = 0;
    AudioChannel m_audioChannels[rar2::kMaxChannels] = {};

    uint32_t m_oldDistances[4] = {};
    uint32_t m_oldDistanceIndex = 0;  // Where the next distance goes (used modulo 4).
    uint32_t m_lastDistance = 0;
    uint32_t m_lastLength = 0;
};

}  // namespace zen
