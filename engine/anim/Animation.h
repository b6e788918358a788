#pragma once
#include <cstdint>

#include "engine/anim/Keyframe.h"
#include "engine/core/Object.h"

namespace zen {

// A keyframe animation ("ZEN.Animation"): keys over one normalised cycle, times ascending, the
// cycle wrapping from the last key back to the first. The kinds (ZEN.NodeAnimation,
// ZEN.ColorAnimation, ...) differ only in the keyframe kind they hold: NewKeyframe and
// KeyframeKind. Animation controllers play animations on their tracks.
// Stream form: the object fields, the key count (uint32), each key.
class Animation : public Object {
    ZEN_DECLARE_CLASS

public:
    Animation() = default;
    ~Animation() override;

    // A fresh key of this animation's kind (not yet added); null when out of memory.
    virtual Keyframe* NewKeyframe() const;
    virtual Keyframe::Kind KeyframeKind() const { return Keyframe::kPlain; }

    // Takes ownership of `key` and appends it. kInvalidArgument (key deleted) for null, a key
    // of another kind, a time that is not finite or one before the last key's; kOutOfMemory
    // (key deleted) when the list cannot grow.
    Result AppendKeyframe(Keyframe* key);
    uint32_t KeyframeCount() const { return m_keyframes.Count(); }
    Keyframe* GetKeyframe(uint32_t index) const { return index < m_keyframes.Count() ? m_keyframes[index] : nullptr; }
    // Index of the key in force at local time `t`: the last key whose time is <= t, or the last
    // key of all when t lies before the first (the cycle wraps). 0 for an empty animation.
    // `hint` (the answer for the previous time, as a rule) is checked first, then the key
    // after it, before the bisection: playing, the answer seldom moves by more.
    uint32_t FindKeyframe(double t, uint32_t hint = 0) const;

    // Search continues into the keys (a texture key's texture).
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Load refuses keys out of time order or with a time that is not finite, so every loaded
    // animation can be searched by bisection. kOutOfMemory when a key cannot be allocated.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    void DeleteKeyframes();

    Array<Keyframe*> m_keyframes;  // Owned; deleted with the animation.
};

}  // namespace zen
