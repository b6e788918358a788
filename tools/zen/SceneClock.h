#pragma once
#include <cstdint>

namespace zen {
class Node;
class Renderer;
}

namespace zen::tool {

// Scene time for the tools that show a scene at a chosen moment (`zen render --start/--step`,
// `zen scene dump --at`): frames of a fixed length, so the same command gives the same picture.
// Longest stretch a tool advances a scene by, and the most frames it takes to do so.
constexpr double kMaxSceneSeconds = 1000000.0;
constexpr uint32_t kMaxAdvanceFrames = 100000;

// Parses a number of seconds from 0 to kMaxSceneSeconds (a plain decimal, no exponent); false
// otherwise.
bool ParseSeconds(const char* text, double& out);

// The random choices of scene controllers (the director's shots) start from the same seed.
void FixRandomSeed();

// Runs `seconds` of scene time as frames of at most `frame` seconds (the last one shorter; more
// when there would be over kMaxAdvanceFrames): each frame updates the scene and, with a
// renderer, starts and finishes a frame without drawing, so post-update controllers take
// their step per frame as when the saver runs.
void AdvanceScene(Node& root, Renderer* renderer, double seconds, double frame);

}  // namespace zen::tool
