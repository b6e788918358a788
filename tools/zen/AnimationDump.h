#pragma once
#include <functional>
#include <string>

namespace zen {
class Object;
}

namespace zen::tool {

// What `zen scene dump` prints of the animation classes: the fields that identify a controller
// or an animation (tracks, frames, targets, sets, bones, chains), and the animations a
// controller owns, below it. Links into the rest of the scene (targets, cameras, bones, other
// controllers) are printed as references, so each object still appears in full where the
// scene holds it.
using ReferenceText = std::function<std::string(Object*)>;
using DumpPart = std::function<void(Object* part, const std::string& label)>;

// " key=value" fields of `object` when it is one of the animation classes; empty otherwise.
std::string AnimationFields(Object* object, const ReferenceText& reference);
// The parts shown in full below an animation object, each through `dump`: an animation
// controller's animations (and those its clips play without listing them), a texture
// animation's pictures, a skin controller's weight, index and bind-pose buffers.
void DumpAnimationParts(Object* object, const DumpPart& dump);

}  // namespace zen::tool
