#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/RecordingAudioOutput.h"
#include "engine/core/String.h"
#include "engine/sound/SoundManager.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "platform/Platform.h"
#include "support/MemoryFiles.h"

namespace zen::test {

// The recording device of the audio library the engine's sound manager loaded (natively the
// library records instead of playing); null when no library is loaded.
inline audio::RecordingAudioOutput* LoadedRecording()
{
    void* library = SoundManager::LibraryHandle();
    if (!library)
        return nullptr;
    using Recording = audio::RecordingAudioOutput* (*)();
    auto entry = reinterpret_cast<Recording>(platform::FindLibrarySymbol(library, "ZenAudioRecording"));
    return entry ? entry() : nullptr;
}

// A file "Sounds\<name>" in the file tree with `bytes` (the directory is made on first use).
inline void AddSoundFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    Directory* root = FileManager::Root();
    Directory* sounds = root->FindDirectory(String("Sounds"));
    if (!sounds)
        sounds = new Directory(String("Sounds"), root);
    AddMemoryFile(sounds, name, std::string(bytes.begin(), bytes.end()));
}

// The recorded calls that start with `prefix`.
inline std::vector<std::string> CallsStarting(const audio::RecordingAudioOutput& device, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& call : device.Calls())
        if (call.rfind(prefix, 0) == 0)
            out.push_back(call);
    return out;
}

}  // namespace zen::test
