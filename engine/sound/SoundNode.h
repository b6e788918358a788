#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Node.h"

namespace zen {

class File;

// A node that plays one sound file of the file tree ("ZEN.SoundNode"), looped or once, either
// everywhere alike or, when positional, as a 3D sound placed relative to the current camera
// each frame. It keeps a private copy of the whole file for as long as its stream exists (the
// library decodes from it as it plays). Its world bound is the sphere of radius minDistance.
class SoundNode : public Node {
    ZEN_DECLARE_CLASS

public:
    SoundNode();
    ~SoundNode() override;

    // Frees the old stream and copy, copies `file` whole, opens it as a stream (3D when
    // `positional`), then applies loop and minDistance. kInvalidArgument without a file or when
    // it cannot be opened, kOutOfMemory when the copy cannot be made. A file the library cannot
    // play is logged and leaves the node silent: the result is still kSuccess.
    Result SetSound(File* file, bool positional);
    void SetLoop(bool loop);
    void SetMinDistance(float distance);
    void SetVolume(int32_t volume);  // 0 to 100.

    const String& FileName() const { return m_fileName; }
    bool IsPositional() const { return m_positional; }
    bool IsPlaying() const { return m_playing; }
    void SetPlaying(bool playing) { m_playing = playing; }
    bool Loops() const { return m_loop; }
    float MinDistance() const { return m_minDistance; }
    int32_t Volume() const { return m_volume; }
    uint32_t Channel() const { return m_channel; }  // 0: no stream.
    float PlayTime() const { return m_playTime; }

    // Controllers and world transform, then (playing, with a stream) placement relative to the
    // camera when positional, and play without restart.
    void Update(double time) override;
    void UpdateWorldBound() override;

    // Stream: the node's fields, then loop, minDistance, reserved, positional, fileName,
    // playing, volume. Load then opens the named file; a file missing from the tree leaves
    // the node silent (a warning, result kSuccess).
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    // Where a sound at `world` is heard: relative to the renderer's current camera (the
    // listener stays at the origin and only turns). Unchanged without a camera.
    static Vector3 RelativeToCamera(const Vector3& world);
    // Opens `file` and copies its whole content into `data`. kInvalidArgument when it cannot
    // be opened or read, kOutOfMemory.
    static Result CopyFile(File& file, std::unique_ptr<uint8_t[]>& data, uint32_t& size);

private:
    void FreeSound();

    String m_fileName;
    bool m_positional = false;
    bool m_playing = true;
    uint32_t m_channel = 0;           // The library's stream handle; 0 when none.
    std::unique_ptr<uint8_t[]> m_data; // The file's bytes, read by the library while m_channel lives.
    bool m_loop = false;
    float m_minDistance;              // Largest float until set.
    float m_reserved = 0;             // Streamed and otherwise unused.
    int32_t m_volume = 100;
    float m_playTime = 0;             // Seconds played.
};

}  // namespace zen
