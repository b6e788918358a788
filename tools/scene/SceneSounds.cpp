#include "tools/scene/SceneSounds.h"

#include <cstdint>
#include <memory>
#include <utility>

#include "engine/anim/AnimationFrame.h"
#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/SoundNodeAnimation.h"
#include "engine/core/MessageLog.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "engine/sound/SoundNodeAnimationController.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "tools/scene/Headland.h"

namespace zen::scene {
namespace {

const SceneSounds::Sound* Find(const std::vector<SceneSounds::Sound>& sounds, const char* name)
{
    for (const SceneSounds::Sound& sound : sounds)
        if (sound.name == name)
            return &sound;
    return nullptr;
}

// A made sound as the file a sound node reads, named after the sound; null on failure (a sound
// that was not made is logged with the node that asked for it).
std::unique_ptr<MemoryFile> SoundFile(const std::vector<SceneSounds::Sound>& sounds, const char* file,
                                      const char* node)
{
    const SceneSounds::Sound* sound = Find(sounds, file);
    if (!sound) {
        Error("Звук [%s] для узла [%s] не сделан.", file, node);
        return nullptr;
    }
    auto data = std::make_unique<MemoryFile>(String(file));
    if (sound->bytes.size() > UINT32_MAX ||
        data->CopyData(sound->bytes.data(), static_cast<uint32_t>(sound->bytes.size())) != kSuccess)
        return nullptr;
    return data;
}

Ptr<SoundNode> MakeNode(const std::vector<SceneSounds::Sound>& sounds, const char* node, const char* file,
                        bool positional, bool loop, int32_t volume, float minDistance, const Vector3& where)
{
    const std::unique_ptr<MemoryFile> data = SoundFile(sounds, file, node);
    if (!data)
        return nullptr;
    Ptr<SoundNode> result = new SoundNode();
    result->SetName(String(node));
    if (result->SetSound(data.get(), positional) != kSuccess)
        return nullptr;
    result->SetLoop(loop);
    result->SetVolume(volume);
    result->SetMinDistance(minDistance);
    result->LocalTransform().SetTranslation(where);
    return result;
}

// The alternating node looks its two calls up by name in the file system, as it does when a scene
// loads; the calls exist only in memory here, so they are lent to the file system's root meanwhile.
Result LendAndSetSounds(SoundNode2& node, const std::vector<SceneSounds::Sound>& sounds, const char* fileA,
                        const char* fileB)
{
    Directory* root = FileManager::Root();
    if (!root)
        return kFailure;
    // Every lent file is detached before the list frees it.
    std::vector<std::unique_ptr<MemoryFile>> lent;
    Result result = kSuccess;
    for (const char* file : {fileA, fileB}) {
        std::unique_ptr<MemoryFile> data = SoundFile(sounds, file, node.Name().CStr());
        if (!data || root->AttachFile(data.get()) != kSuccess) {
            result = kFailure;
            break;
        }
        lent.push_back(std::move(data));
    }
    if (result == kSuccess)
        result = node.SetSounds(String(fileA), String(fileB));
    for (const std::unique_ptr<MemoryFile>& data : lent)
        (void)root->DetachFile(data.get());
    return result;
}

}  // namespace

Result SceneSounds::Add(SceneNode& root, const std::vector<Sound>& sounds)
{
    const Vector3 tower = Headland::TowerBase();
    // Surf where the cliffs meet the sea: off the tip and along the western side.
    Ptr<SoundNode> nodes[] = {
        MakeNode(sounds, "SurfTip", "surf.ogg", true, true, 100, 14.0f, tower + Vector3{6, -23, 68}),
        MakeNode(sounds, "SurfWest", "surf.ogg", true, true, 85, 12.0f, tower + Vector3{-58, -23, -20}),
        MakeNode(sounds, "Wind", "wind.ogg", false, true, 38, 1.0f, tower),
        MakeNode(sounds, "Foghorn", "foghorn.ogg", true, false, 100, 60.0f, tower + Vector3{0, 18, 0}),
        MakeNode(sounds, "Music", "music.ogg", false, true, 70, 1.0f, tower),
    };
    for (const Ptr<SoundNode>& node : nodes)
        if (!node)
            return kFailure;

    // The foghorn sounds once at the start of every 50 seconds.
    Ptr<SoundNodeAnimation> blasts = new SoundNodeAnimation();
    blasts->SetName(String("FoghornBlasts"));
    for (const auto& [time, on] : {std::pair{0.0, true}, std::pair{0.2, false}}) {
        auto* key = static_cast<BoolKeyframe*>(blasts->NewKeyframe());
        key->time = time;
        key->value = on;
        if (blasts->AppendKeyframe(key) != kSuccess)
            return kFailure;
    }
    Ptr<SoundNodeAnimationController> horn = new SoundNodeAnimationController();
    horn->SetName(String("FoghornSwitch"));
    (void)horn->AddAnimation(blasts.Get());
    AnimationFrame frame;
    frame.animation = blasts;
    frame.start = 0;
    frame.end = 1;
    frame.mode = AnimationFrame::kRepeat;
    if (horn->AddFrame(frame) != kSuccess)
        return kFailure;
    horn->SetTrackPeriod(50.0);
    nodes[3]->SetPlaying(false);
    if (nodes[3]->SetController(horn.Get()) != kSuccess)
        return kFailure;

    // Gulls over the western cliffs, one of two calls every few seconds.
    Ptr<SoundNode2> gulls = new SoundNode2();
    gulls->SetName(String("Gulls"));
    gulls->SetPositional(true);
    if (LendAndSetSounds(*gulls, sounds, "gull1.ogg", "gull2.ogg") != kSuccess)
        return kFailure;
    gulls->SetMinDistance(18.0f);
    gulls->SetVolume(80);
    gulls->SetInterval(7.0f, 3.0f);
    gulls->LocalTransform().SetTranslation(tower + Vector3{-45, 8, 20});

    for (const Ptr<SoundNode>& node : nodes)
        (void)root.AttachChild(node.Get());
    (void)root.AttachChild(gulls.Get());
    return kSuccess;
}

}  // namespace zen::scene
