#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zen {

// What one camera shows (part of ZEN.LearnSystem): its candidate messages, of which one is
// picked at random, faded in, shown, faded out, followed by a pause, and then the next pick.
// Times in seconds.
struct LearnActivator {
    std::string camera;              // Name of the camera that activates it.
    std::vector<uint32_t> messages;  // Indices into the learn system's messages.
    float inTime = 0;                // Delay after activation before the first fade-in.
    float fadeTime = 0;              // Length of the fade-in and of the fade-out.
    float showTime = 0;              // Time at full opacity.
    float outTime = 0;               // Pause after a fade-out before the next pick.
    int32_t message = -1;            // Index into `messages` being shown; -1 none.
    float time = 0;                  // Since activation or since the last pick.

    // Starts over with a random pick (rand() mod the count); an activator without messages
    // makes none and stays silent.
    void Activate();
    // The opacity the current message is drawn with now, or -1 when nothing is drawn. Once the
    // pause after a fade-out is over, a new message is picked and nothing is drawn this time.
    float Opacity();
};

}  // namespace zen
