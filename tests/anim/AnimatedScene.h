#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/SceneNode.h"

// A scene that holds one object of every animation class, wired as a real scene wires them,
// for the stream round trip and the fuzzers' seeds:
//   Root (director over two shots; clock hands)
//     Mover      node animation controller, two overlapping clips
//     Eye        camera: flight, target controller on Mover, camera-activate switch
//     Side       second camera of the director
//     Sun        light: target controller, ambient/diffuse/specular colour tracks
//     Glow       quad: colour effect with a colour track
//     Screen     quad: texture effect with a texture flip-book; its textures fill themselves
//                (sine, cosine)
//     Bone0, Bone1, Skin   a skinned mesh with a skeleton controller over two bone tracks
//     Joint0..2, Tip, Goal an IK chain (150 long, starting 106 from Goal) reaching for Goal
namespace zen::test {

Ptr<SceneNode> BuildAnimatedScene();

}  // namespace zen::test
