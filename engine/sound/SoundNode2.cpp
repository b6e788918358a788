#include "engine/sound/SoundNode2.h"

#include <cfloat>
#include <cstdlib>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundNode.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SoundNode2, Node, kStartupOtherClasses)

SoundNode2::SoundNode2() : m_minDistance(FLT_MAX) {}

SoundNode2::~SoundNode2()
{
    FreeSounds();
}

void SoundNode2::FreeSounds()
{
    for (uint32_t* channel : {&m_channelA, &m_channelB}) {
        if (*channel)
            SoundManager::StreamFree(*channel);
        *channel = 0;
    }
    m_dataA.reset();
    m_dataB.reset();
    m_current = 0;
}

uint32_t SoundNode2::OpenSound(const String& fileName, std::unique_ptr<uint8_t[]>& data)
{
    File* file = FileManager::FindFile(fileName);
    if (!file) {
        Warning("Невозможно найти файл [%s] для источника звука. ID[%d] Имя[%s]", fileName.CStr(), ID(),
                m_name.CStr());
        return 0;
    }
    uint32_t size = 0;
    if (SoundNode::CopyFile(*file, data, size) != kSuccess)
        return 0;
    const uint32_t channel = SoundManager::StreamCreate(data.get(), size, m_positional ? SoundManager::kStream3D : 0);
    if (!channel) {
        Warning("Невозможно загрузить файл звука [%s]", file->Name().CStr());
        data.reset();
        return 0;
    }
    SoundManager::ChannelSetFlags(channel, 0);
    return channel;
}

Result SoundNode2::SetSounds(const String& fileNameA, const String& fileNameB)
{
    FreeSounds();
    m_fileNameA = fileNameA;
    m_fileNameB = fileNameB;
    m_channelA = OpenSound(m_fileNameA, m_dataA);
    m_channelB = OpenSound(m_fileNameB, m_dataB);
    if (m_positional)
        SoundManager::Apply3D();
    SetVolume(m_volume);
    SetMinDistance(m_minDistance);
    return kSuccess;
}

void SoundNode2::SetMinDistance(float distance)
{
    m_minDistance = distance;
    for (const uint32_t channel : {m_channelA, m_channelB})
        if (channel)
            SoundManager::ChannelSetMinDistance(channel, distance);
    if (m_channelA || m_channelB)
        SoundManager::Apply3D();
}

void SoundNode2::SetVolume(int32_t volume)
{
    m_volume = volume;
    for (const uint32_t channel : {m_channelA, m_channelB})
        if (channel)
            SoundManager::ChannelSetVolume(channel, volume);
}

void SoundNode2::Update(double time)
{
    Node::Update(time);
    if (!m_channelA || !m_channelB)
        return;
    m_timer += static_cast<float>(time);
    while (m_timer >= m_nextInterval) {
        m_timer -= m_nextInterval;
        // u = r / 32767 with r from 0 to 32767, as the particle systems draw theirs.
        const float u = static_cast<float>(std::rand() & 0x7FFF) / 32767.0f;
        m_nextInterval = m_intervalBase + u * 2.0f * m_intervalRandom - m_intervalRandom;
        const bool pickA = (std::rand() & 1) == 0;
        m_current = pickA ? m_channelA : m_channelB;
        SoundManager::ChannelPlay(m_current, true);
        SoundManager::ChannelStop(pickA ? m_channelB : m_channelA);
        // An interval of zero or less would pick for ever within one frame: such a node picks
        // once per frame instead.
        if (m_nextInterval <= 0) {
            m_timer = 0;
            break;
        }
    }
    if (m_current && m_positional) {
        SoundManager::ChannelSetPosition(m_current, SoundNode::RelativeToCamera(m_world.translation));
        SoundManager::Apply3D();
    }
}

Result SoundNode2::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteString(m_fileNameA);
    stream.WriteString(m_fileNameB);
    stream.WriteFloat(m_minDistance);
    stream.WriteBool(m_positional);
    stream.WriteInt(m_volume);
    stream.WriteFloat(m_intervalBase);
    if (stream.WriteFloat(m_intervalRandom) != kSuccess) {
        Error("Невозможно сохранить данные источника звука. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SoundNode2::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    String fileNameA, fileNameB;
    float minDistance = FLT_MAX, intervalBase = 1.0f, intervalRandom = 0;
    bool positional = false;
    int32_t volume = 100;
    stream.ReadString(fileNameA);
    stream.ReadString(fileNameB);
    stream.ReadFloat(minDistance);
    stream.ReadBool(positional);
    stream.ReadInt(volume);
    stream.ReadFloat(intervalBase);
    if (stream.ReadFloat(intervalRandom) != kSuccess) {
        Error("Невозможно загрузить данные источника звука. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_minDistance = minDistance;
    m_positional = positional;
    m_volume = volume;
    m_intervalBase = intervalBase;
    m_intervalRandom = intervalRandom;
    return SetSounds(fileNameA, fileNameB);
}

}  // namespace zen
