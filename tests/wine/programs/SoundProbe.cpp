// Plays one sound file through the engine's sound manager, which loads our audio library from
// this program's own BASS resource exactly as the saver does: positional at a given place
// (the listener at the origin facing +Z, top +Y, as the camera's axes give it) or flat, at a
// given global volume, for a given time. The Wine stage captures what reaches the device.
//
//     SoundProbe OUT LOG FILE flat|X,Y,Z VOLUME MILLISECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProbeEngine.h"
#include "engine/sound/SoundManager.h"

namespace {

using probe::Line;

int Play(const char* path, const std::string& place, uint32_t volume, uint32_t milliseconds)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return Line("no file"), 1;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);

    const bool positional = place != "flat";
    zen::SoundManager::SetVolume(volume);
    zen::SoundManager::SetListener(zen::Vector3{0, 0, 1}, zen::Vector3{0, 1, 0});
    const uint32_t channel = zen::SoundManager::StreamCreate(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                                             positional ? zen::SoundManager::kStream3D : 0);
    Line("stream %u error %d", channel, zen::SoundManager::ErrorCode());
    if (!channel)
        return 1;
    zen::SoundManager::ChannelSetFlags(channel, zen::SoundManager::kStreamLoop);
    if (positional) {
        zen::Vector3 at{};
        std::sscanf(place.c_str(), "%f,%f,%f", &at.x, &at.y, &at.z);
        zen::SoundManager::ChannelSetMinDistance(channel, 1.0f);
        zen::SoundManager::ChannelSetPosition(channel, at);
        zen::SoundManager::Apply3D();
    }
    zen::SoundManager::ChannelPlay(channel, true);
    Line("playing %d", zen::SoundManager::ChannelIsActive(channel) ? 1 : 0);
    Sleep(milliseconds);
    zen::SoundManager::ChannelStop(channel);
    zen::SoundManager::StreamFree(channel);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return probe::WithEngine(
        argc, argv, 7, "SoundProbe OUT LOG FILE flat|X,Y,Z VOLUME MILLISECONDS",
        [&] {
            Line("loaded %d", zen::SoundManager::IsLoaded() ? 1 : 0);
            return Play(argv[3], argv[4], static_cast<uint32_t>(std::atoi(argv[5])),
                        static_cast<uint32_t>(std::atoi(argv[6])));
        },
        "engine failed");
}
