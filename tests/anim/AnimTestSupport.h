#pragma once
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/anim/Animation.h"
#include "engine/anim/AnimationController.h"
#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/ColorKeyframe.h"
#include "engine/anim/FloatKeyframe.h"
#include "engine/anim/NodeKeyframe.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "support/RecordBytes.h"

// Animations, tracks and object records made in code for the animation tests and benchmarks.
namespace zen::test {

// An animation of kind A with one key per (time, value) pair; `fill(key, value)` sets a key.
template <class A, class K, class V, class Fill>
Ptr<A> MakeAnimation(const char* name, std::initializer_list<std::pair<double, V>> keys, Fill&& fill)
{
    Ptr<A> animation(new A());
    animation->SetName(String(name));
    for (const auto& [time, value] : keys) {
        K* key = static_cast<K*>(animation->NewKeyframe());
        key->time = time;
        fill(*key, value);
        if (animation->AppendKeyframe(key) != kSuccess)
            return nullptr;
    }
    return animation;
}

inline AnimationFrame Frame(Animation* animation, double start, double end, uint32_t mode = AnimationFrame::kRepeat,
                            double scale = 1.0, double offset = 0)
{
    AnimationFrame frame;
    frame.animation = animation;
    frame.start = start;
    frame.end = end;
    frame.mode = mode;
    frame.scale = scale;
    frame.offset = offset;
    return frame;
}

// Accepts writes until `budget` bytes have gone, then refuses every write.
class ShortStream : public Stream {
public:
    explicit ShortStream(uint32_t budget) : m_budget(budget) {}
    Result Write(const void* data, uint32_t size) override
    {
        if (size > m_budget) {
            SetState(kFailure);
            return kFailure;
        }
        m_budget -= size;
        return Stream::Write(data, size);
    }

private:
    uint32_t m_budget;
};

}  // namespace zen::test
