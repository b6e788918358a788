#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Node.h"

namespace zen {

class File;

// A node that alternates at random between two sound files ("ZEN.SoundNode2"): every interval
// (intervalBase seconds, spread by up to ±intervalRandom) it picks one of the two, plays it from
// its start and stops the other. Neither loops. When positional, the playing one is placed
// relative to the current camera each frame, as SoundNode does.
class SoundNode2 : public Node {
    ZEN_DECLARE_CLASS

public:
    SoundNode2();
    ~SoundNode2() override;

    // Replaces both sounds (Load does this with the stored names). kSuccess even when a file
    // is missing or unplayable (logged; the node is then silent).
    Result SetSounds(const String& fileNameA, const String& fileNameB);
    void SetMinDistance(float distance);
    void SetVolume(int32_t volume);
    void SetPositional(bool positional) { m_positional = positional; }
    void SetInterval(float base, float random)
    {
        m_intervalBase = base;
        m_intervalRandom = random;
    }

    uint32_t ChannelA() const { return m_channelA; }
    uint32_t ChannelB() const { return m_channelB; }
    uint32_t CurrentChannel() const { return m_current; }  // 0 before the first pick.
    float IntervalBase() const { return m_intervalBase; }
    float IntervalRandom() const { return m_intervalRandom; }
    float MinDistance() const { return m_minDistance; }
    int32_t Volume() const { return m_volume; }
    bool IsPositional() const { return m_positional; }
    const String& FileNameA() const { return m_fileNameA; }
    const String& FileNameB() const { return m_fileNameB; }

    void Update(double time) override;

    // Stream: the node's fields, then fileNameA, fileNameB, minDistance, positional, volume,
    // intervalBase, intervalRandom.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    void FreeSounds();
    uint32_t OpenSound(const String& fileName, std::unique_ptr<uint8_t[]>& data);

    String m_fileNameA, m_fileNameB;
    uint32_t m_channelA = 0, m_channelB = 0;        // The library's stream handles; 0 when none.
    std::unique_ptr<uint8_t[]> m_dataA, m_dataB;    // Each file's bytes while its stream lives.
    float m_minDistance;                            // Largest float until set.
    bool m_positional = false;
    int32_t m_volume = 100;
    float m_intervalBase = 1.0f;                    // Seconds.
    float m_intervalRandom = 0.0f;                  // Seconds either way.
    float m_timer = 0;                              // Seconds since the last pick.
    float m_nextInterval = 0;                       // Seconds until the next pick.
    uint32_t m_current = 0;                         // m_channelA, m_channelB or 0.
};

}  // namespace zen
