#include "engine/sound/SoundNode.h"

#include <cfloat>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/sound/SoundManager.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SoundNode, Node, kStartupOtherClasses)

SoundNode::SoundNode() : m_minDistance(FLT_MAX) {}

SoundNode::~SoundNode()
{
    FreeSound();
}

Vector3 SoundNode::RelativeToCamera(const Vector3& world)
{
    Renderer* renderer = Renderer::Current();
    Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    if (!camera)
        return world;
    const Vector3 eye = camera->WorldTransform().translation;
    return Vector3{world.x - eye.x, world.y - eye.y, world.z - eye.z};
}

Result SoundNode::CopyFile(File& file, std::unique_ptr<uint8_t[]>& data, uint32_t& size)
{
    if (file.Open(File::kRead) != kSuccess)
        return kInvalidArgument;
    size = file.GetSize();
    data.reset(new (std::nothrow) uint8_t[size ? size : 1]);
    if (!data) {
        (void)file.Close();
        return kOutOfMemory;
    }
    const Result read = size ? file.Read(data.get(), size) : kSuccess;
    (void)file.Close();
    if (read != kSuccess) {
        data.reset();
        return kInvalidArgument;
    }
    return kSuccess;
}

void SoundNode::FreeSound()
{
    if (m_channel)
        SoundManager::StreamFree(m_channel);
    m_channel = 0;
    m_data.reset();
}

Result SoundNode::SetSound(File* file, bool positional)
{
    FreeSound();
    if (!file)
        return kInvalidArgument;
    std::unique_ptr<uint8_t[]> data;
    uint32_t size = 0;
    const Result read = CopyFile(*file, data, size);
    if (read != kSuccess)
        return read;
    m_data = std::move(data);
    m_positional = positional;
    m_channel = SoundManager::StreamCreate(m_data.get(), size, positional ? SoundManager::kStream3D : 0);
    if (!m_channel) {
        Warning("Невозможно загрузить файл звука [%s]", file->Name().CStr());
        m_data.reset();
    }
    SetLoop(m_loop);
    if (positional)
        SoundManager::Apply3D();
    m_fileName = file->Name();
    SetMinDistance(m_minDistance);
    return kSuccess;
}

void SoundNode::SetLoop(bool loop)
{
    m_loop = loop;
    if (m_channel)
        SoundManager::ChannelSetFlags(m_channel, loop ? SoundManager::kStreamLoop : 0);
}

void SoundNode::SetMinDistance(float distance)
{
    m_minDistance = distance;
    if (m_channel) {
        SoundManager::ChannelSetMinDistance(m_channel, distance);
        SoundManager::Apply3D();
    }
}

void SoundNode::SetVolume(int32_t volume)
{
    m_volume = volume;
    if (m_channel)
        SoundManager::ChannelSetVolume(m_channel, volume);
}

void SoundNode::Update(double time)
{
    Node::Update(time);
    if (!m_playing || !m_channel)
        return;
    m_playTime += static_cast<float>(time);
    if (m_positional) {
        SoundManager::ChannelSetPosition(m_channel, RelativeToCamera(m_world.translation));
        SoundManager::Apply3D();
    }
    SoundManager::ChannelPlay(m_channel, false);
}

void SoundNode::UpdateWorldBound()
{
    if (m_updateWorldBound && m_worldBound)
        (void)SphereBoundingVolume(Vector3{}, m_minDistance).TransformTo(m_world, m_worldBound.Get());
}

Result SoundNode::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteBool(m_loop);
    stream.WriteFloat(m_minDistance);
    stream.WriteFloat(m_reserved);
    stream.WriteBool(m_positional);
    stream.WriteString(m_fileName);
    stream.WriteBool(m_playing);
    if (stream.WriteInt(m_volume) != kSuccess) {
        Error("Невозможно сохранить данные источника звука. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SoundNode::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    bool loop = false, positional = false, playing = true;
    float minDistance = FLT_MAX, reserved = 0;
    String fileName;
    int32_t volume = 100;
    stream.ReadBool(loop);
    stream.ReadFloat(minDistance);
    stream.ReadFloat(reserved);
    stream.ReadBool(positional);
    stream.ReadString(fileName);
    stream.ReadBool(playing);
    if (stream.ReadInt(volume) != kSuccess) {
        Error("Невозможно загрузить данные источника звука. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_loop = loop;
    m_minDistance = minDistance;
    m_reserved = reserved;
    m_positional = positional;
    m_fileName = fileName;
    m_playing = playing;
    m_volume = volume;

    File* file = FileManager::FindFile(m_fileName);
    if (!file) {
        Warning("Невозможно найти файл [%s] для источника звука. ID[%d] Имя[%s]", m_fileName.CStr(), ID(),
                m_name.CStr());
        return kSuccess;
    }
    if (SetSound(file, m_positional) != kSuccess) {
        Error("Невозможно загрузить звук источника звука. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    SetVolume(m_volume);
    SetMinDistance(m_minDistance);
    return kSuccess;
}

}  // namespace zen
