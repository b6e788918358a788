#include "modules/codecs/Rar2Unpacker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace zen {

using namespace rar2;

namespace {

// Output is reserved up front only up to this size; larger entries grow as they are produced,
// so a header that lies about the size costs nothing before the data proves it.
constexpr uint32_t kMaxReserve = 16u << 20;
// Unflushed window bytes that force a flush before the next code (one code adds at most
// kMaxMatchLength bytes, so the unflushed span never wraps the window).
constexpr uint32_t kFlushThreshold = kWindowSize - 4 * kMaxMatchLength;

// The window of the last unpacker that finished, kept for the next one (one at a time is the
// common case: archive after archive, entry after entry). Guarded, as unpackers may run on
// several threads.
struct SpareWindow {
    std::mutex lock;
    std::vector<uint8_t> window;
    uint32_t written = 0;  // Leading bytes that may no longer be zero.
};

SpareWindow& Spare()
{
    static SpareWindow spare;
    return spare;
}

}  // namespace

Rar2Unpacker::~Rar2Unpacker()
{
    if (m_window.empty())
        return;
    SpareWindow& spare = Spare();
    const std::lock_guard<std::mutex> hold(spare.lock);
    if (!spare.window.empty())
        return;
    spare.window.swap(m_window);
    spare.written = m_written;
}

Result Rar2Unpacker::Initialize()
{
    if (!m_window.empty())
        return kSuccess;
    {
        SpareWindow& spare = Spare();
        const std::lock_guard<std::mutex> hold(spare.lock);
        if (!spare.window.empty()) {
            m_window.swap(spare.window);
            std::memset(m_window.data(), 0, spare.written);
            spare.written = 0;
            m_written = 0;
            return kSuccess;
        }
    }
    try {
        m_window.assign(kWindowSize, 0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_written = 0;
    return kSuccess;
}

void Rar2Unpacker::Reset()
{
    m_started = false;
    m_tablesReady = false;
}

void Rar2Unpacker::StartStream()
{
    m_started = true;
    m_tablesReady = false;
    m_position = 0;
    m_flushed = 0;
    std::memset(m_oldLengths, 0, sizeof(m_oldLengths));
    m_audioMode = false;
    m_channels = 1;
    m_channel = 0;
    m_channelDelta = 0;
    std::memset(m_audioChannels, 0, sizeof(m_audioChannels));
    std::memset(m_oldDistances, 0, sizeof(m_oldDistances));
    m_oldDistanceIndex = 0;
    m_lastDistance = 0;
    m_lastLength = 0;
}

bool Rar2Unpacker::ReadTables(Rar2BitReader& reader)
{
    m_tablesReady = false;
    const uint32_t header = reader.Peek16();
    m_audioMode = (header & 0x8000) != 0;
    if ((header & 0x4000) == 0)
        std::memset(m_oldLengths, 0, sizeof(m_oldLengths));  // Lengths are coded as deltas from these.
    reader.Skip(2);

    uint32_t tableSize = kLzTableSize;
    if (m_audioMode) {
        m_channels = ((header >> 12) & 3) + 1;
        if (m_channel >= m_channels)
            m_channel = 0;
        reader.Skip(2);
        tableSize = kAudioCodes * m_channels;
    }

    uint8_t bitLengths[kBitLengthCodes];
    for (uint32_t i = 0; i < kBitLengthCodes; ++i)
        bitLengths[i] = static_cast<uint8_t>(reader.Read(4));
    if (!m_bitLengths.Build(bitLengths, kBitLengthCodes))
        return false;

    uint8_t lengths[kMaxTableSize] = {};
    for (uint32_t i = 0; i < tableSize;) {
        if (reader.Overrun())
            return false;
        const int code = m_bitLengths.Decode(reader);
        if (code < 0)
            return false;
        if (code < 16) {
            lengths[i] = static_cast<uint8_t>((code + m_oldLengths[i]) & 0x0F);
            ++i;
        } else if (code == 16) {
            if (i == 0)
                return false;  // Nothing to repeat.
            uint32_t run = reader.Read(2) + 3;
            for (; run > 0 && i < tableSize; --run, ++i)
                lengths[i] = lengths[i - 1];
        } else {
            uint32_t run = code == 17 ? reader.Read(3) + 3 : reader.Read(7) + 11;
            for (; run > 0 && i < tableSize; --run)
                lengths[i++] = 0;
        }
    }
    if (reader.Overrun())
        return false;

    if (m_audioMode) {
        for (uint32_t channel = 0; channel < m_channels; ++channel)
            if (!m_audio[channel].Build(lengths + channel * kAudioCodes, kAudioCodes))
                return false;
    } else {
        if (!m_main.Build(lengths, kMainCodes) || !m_distance.Build(lengths + kMainCodes, kDistanceCodes) ||
            !m_repeat.Build(lengths + kMainCodes + kDistanceCodes, kRepeatCodes))
            return false;
    }
    std::memcpy(m_oldLengths, lengths, sizeof(m_oldLengths));
    m_tablesReady = true;
    return true;
}

uint8_t Rar2Unpacker::DecodeAudio(int32_t delta)
{
    AudioChannel& c = m_audioChannels[m_channel];
    ++c.count;
    c.d[3] = c.d[2];
    c.d[2] = c.d[1];
    c.d[1] = c.lastDelta - c.d[0];
    c.d[0] = c.lastDelta;
    // Only the low 8 bits of the prediction matter; unsigned arithmetic keeps the wrap defined.
    const uint32_t predicted =
        (static_cast<uint32_t>(8 * c.lastByte + c.k[0] * c.d[0] + c.k[1] * c.d[1] + c.k[2] * c.d[2] +
                               c.k[3] * c.d[3] + c.k[4] * m_channelDelta) >>
         3) &
        0xFF;
    const uint8_t value = static_cast<uint8_t>(predicted - static_cast<uint32_t>(delta));

    const int32_t scaled = static_cast<int32_t>(static_cast<int8_t>(delta)) * 8;
    c.error[0] += static_cast<uint32_t>(std::abs(scaled));
    c.error[1] += static_cast<uint32_t>(std::abs(scaled - c.d[0]));
    c.error[2] += static_cast<uint32_t>(std::abs(scaled + c.d[0]));
    c.error[3] += static_cast<uint32_t>(std::abs(scaled - c.d[1]));
    c.error[4] += static_cast<uint32_t>(std::abs(scaled + c.d[1]));
    c.error[5] += static_cast<uint32_t>(std::abs(scaled - c.d[2]));
    c.error[6] += static_cast<uint32_t>(std::abs(scaled + c.d[2]));
    c.error[7] += static_cast<uint32_t>(std::abs(scaled - c.d[3]));
    c.error[8] += static_cast<uint32_t>(std::abs(scaled + c.d[3]));
    c.error[9] += static_cast<uint32_t>(std::abs(scaled - m_channelDelta));
    c.error[10] += static_cast<uint32_t>(std::abs(scaled + m_channelDelta));

    c.lastDelta = static_cast<int8_t>(static_cast<uint8_t>(value - c.lastByte));
    m_channelDelta = c.lastDelta;
    c.lastByte = value;

    if ((c.count & 0x1F) == 0) {
        // Every 32 bytes, nudge the weight whose adjustment would have erred least.
        uint32_t best = c.error[0];
        uint32_t bestIndex = 0;
        c.error[0] = 0;
        for (uint32_t i = 1; i < 11; ++i) {
            if (c.error[i] < best) {
                best = c.error[i];
                bestIndex = i;
            }
            c.error[i] = 0;
        }
        if (bestIndex != 0) {
            int32_t& k = c.k[(bestIndex - 1) / 2];
            if ((bestIndex & 1) != 0) {
                if (k >= -16)
                    --k;
            } else if (k < 16) {
                ++k;
            }
        }
    }
    return value;
}

void Rar2Unpacker::CopyMatch(uint32_t length, uint32_t distance)
{
    m_oldDistances[m_oldDistanceIndex++ & 3] = distance;
    m_lastDistance = distance;
    m_lastLength = length;

    uint8_t* window = m_window.data();
    uint32_t source = (m_position - distance) & kWindowMask;
    if (source + length <= kWindowSize && m_position + length <= kWindowSize) {
        // Neither end wraps: copy forward byte by byte (the ranges may overlap on purpose).
        uint8_t* to = window + m_position;
        const uint8_t* from = window + source;
        for (uint32_t i = 0; i < length; ++i)
            to[i] = from[i];
        m_position = (m_position + length) & kWindowMask;
        return;
    }
    for (uint32_t i = 0; i < length; ++i) {
        window[m_position] = window[source];
        m_position = (m_position + 1) & kWindowMask;
        source = (source + 1) & kWindowMask;
    }
}

void Rar2Unpacker::Flush(std::vector<uint8_t>& out, uint32_t limit)
{
    uint32_t pending = (m_position - m_flushed) & kWindowMask;
    const uint32_t room = limit - static_cast<uint32_t>(out.size());
    pending = std::min(pending, room);
    // Two pieces when the span wraps the window's end.
    const uint32_t first = std::min(pending, kWindowSize - m_flushed);
    out.insert(out.end(), m_window.begin() + m_flushed, m_window.begin() + m_flushed + first);
    out.insert(out.end(), m_window.begin(), m_window.begin() + (pending - first));
    m_flushed = m_position;
}

void Rar2Unpacker::ReadTrailingTables(Rar2BitReader& reader)
{
    // A stream that goes on into the next solid entry with new tables switches them right after
    // this entry's last code; at least five bytes are left in that case.
    if (reader.BytesLeft() < 5)
        return;
    int code;
    if (m_audioMode)
        code = m_audio[m_channel].Decode(reader);
    else
        code = m_main.Decode(reader);
    if ((m_audioMode && code == static_cast<int>(kAudioNewTable)) ||
        (!m_audioMode && code == static_cast<int>(kSymbolNewTable))) {
        if (!ReadTables(reader))
            m_started = false;
    }
}

Result Rar2Unpacker::Unpack(const uint8_t* packed, uint32_t packedSize, uint32_t size, bool continueSolid,
                            std::vector<uint8_t>& out)
{
    out.clear();
    if (size == 0 && packedSize == 0) {
        // An empty file may come without any stream at all; nothing changes for the next entry.
        if (!continueSolid)
            Reset();
        return kSuccess;
    }
    if (Initialize() != kSuccess)
        return kOutOfMemory;

    // Every code takes at least one bit and yields at most kMaxMatchLength bytes: a size beyond
    // that cannot be in the data.
    const uint64_t reachable =
        (static_cast<uint64_t>(packedSize) * 8 + Rar2BitReader::kSlackBits) * kMaxMatchLength;
    if (size > reachable || packed == nullptr) {
        m_started = false;
        return kFailure;
    }
    try {
        out.reserve(std::min(size, kMaxReserve));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }

    Rar2BitReader reader(packed, packedSize);
    if (!continueSolid || !m_started) {
        if (continueSolid) {
            return kFailure;  // The stream this entry continues is not there.
        }
        StartStream();
        if (!ReadTables(reader)) {
            m_started = false;
            return kFailure;
        }
    } else if (!m_tablesReady) {
        m_started = false;
        return kFailure;
    }

    m_flushed = m_position;
    const uint32_t start = m_position;
    uint64_t produced = 0;
    bool failed = false;
    Result caught = kSuccess;
    try {
        while (produced < size) {
            if (((m_position - m_flushed) & kWindowMask) >= kFlushThreshold)
                Flush(out, size);
            if (reader.Overrun()) {
                failed = true;
                break;
            }

            if (m_audioMode) {
                const int code = m_audio[m_channel].Decode(reader);
                if (code < 0) {
                    failed = true;
                    break;
                }
                if (code == static_cast<int>(kAudioNewTable)) {
                    if (!ReadTables(reader)) {
                        failed = true;
                        break;
                    }
                    continue;
                }
                m_window[m_position] = DecodeAudio(code);
                m_position = (m_position + 1) & kWindowMask;
                ++produced;
                if (++m_channel == m_channels)
                    m_channel = 0;
                continue;
            }

            const int code = m_main.Decode(reader);
            if (code < 0) {
                failed = true;
                break;
            }
            const uint32_t symbol = static_cast<uint32_t>(code);
            if (symbol < 256) {
                m_window[m_position] = static_cast<uint8_t>(symbol);
                m_position = (m_position + 1) & kWindowMask;
                ++produced;
                continue;
            }
            if (symbol >= kSymbolMatch) {
                const uint32_t lengthCode = symbol - kSymbolMatch;
                uint32_t length = kLengthBase[lengthCode] + 3 + reader.Read(kLengthBits[lengthCode]);
                const int distanceCode = m_distance.Decode(reader);
                if (distanceCode < 0) {
                    failed = true;
                    break;
                }
                const uint32_t distance = kDistanceBase[distanceCode] + 1 +
                                          reader.Read(kDistanceBits[distanceCode]);
                if (distance >= kLongDistance1) {
                    ++length;
                    if (distance >= kLongDistance2)
                        ++length;
                }
                CopyMatch(length, distance);
                produced += length;
                continue;
            }
            if (symbol == kSymbolNewTable) {
                if (!ReadTables(reader)) {
                    failed = true;
                    break;
                }
                continue;
            }
            if (symbol == kSymbolRepeatLast) {
                CopyMatch(m_lastLength, m_lastDistance);
                produced += m_lastLength;
                continue;
            }
            if (symbol < kSymbolShortMatch) {
                const uint32_t distance = m_oldDistances[(m_oldDistanceIndex - (symbol - 256)) & 3];
                const int lengthCode = m_repeat.Decode(reader);
                if (lengthCode < 0) {
                    failed = true;
                    break;
                }
                uint32_t length = kLengthBase[lengthCode] + 2 + reader.Read(kLengthBits[lengthCode]);
                if (distance >= kOldDistanceBonus) {
                    ++length;
                    if (distance >= kLongDistance1) {
                        ++length;
                        if (distance >= kLongDistance2)
                            ++length;
                    }
                }
                CopyMatch(length, distance);
                produced += length;
                continue;
            }
            // 261..268: a two-byte match at a short distance.
            const uint32_t shortCode = symbol - kSymbolShortMatch;
            const uint32_t distance = kShortBase[shortCode] + 1 + reader.Read(kShortBits[shortCode]);
            CopyMatch(2, distance);
            produced += 2;
        }
        Flush(out, size);
    } catch (const std::bad_alloc&) {
        caught = kOutOfMemory;
    }
    // Every byte produced went into the window from `start` on.
    if (start + produced > kWindowSize)
        m_written = kWindowSize;
    else
        m_written = std::max(m_written, static_cast<uint32_t>(start + produced));
    if (caught != kSuccess) {
        m_started = false;
        return caught;
    }

    if (failed || out.size() != size) {
        m_started = false;
        return kFailure;
    }
    ReadTrailingTables(reader);
    return kSuccess;
}

}  // namespace zen
