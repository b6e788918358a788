#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "engine/anim/Animation.h"
#include "engine/anim/AnimationController.h"
#include "engine/anim/BoolAnimation.h"
#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/ColorKeyframe.h"
#include "engine/anim/FloatAnimation.h"
#include "engine/anim/FloatKeyframe.h"
#include "engine/anim/NodeKeyframe.h"
#include "engine/anim/TextureAnimation.h"
#include "engine/anim/TextureKeyframe.h"
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

inline Ptr<FloatAnimation> FloatKeys(const char* name, std::initializer_list<std::pair<double, float>> keys)
{
    return MakeAnimation<FloatAnimation, FloatKeyframe, float>(
        name, keys, [](FloatKeyframe& k, float v) { k.value = v; });
}

inline Ptr<BoolAnimation> BoolKeys(const char* name, std::initializer_list<std::pair<double, bool>> keys)
{
    return MakeAnimation<BoolAnimation, BoolKeyframe, bool>(name, keys, [](BoolKeyframe& k, bool v) { k.value = v; });
}

inline Ptr<ColorAnimation> ColorKeys(const char* name, std::initializer_list<std::pair<double, Vector4>> keys)
{
    return MakeAnimation<ColorAnimation, ColorKeyframe, Vector4>(
        name, keys, [](ColorKeyframe& k, const Vector4& v) { k.color = v; });
}

// A flip-book of three pictures keyed at 0, 1/3 and 2/3 (times in order: every key is taken).
struct FlipBook {
    Ptr<Texture> pictures[3] = {new Texture(), new Texture(), new Texture()};
    Ptr<TextureAnimation> animation{new TextureAnimation()};
    FlipBook()
    {
        for (int i = 0; i < 3; ++i) {
            auto* key = static_cast<TextureKeyframe*>(animation->NewKeyframe());
            key->time = i / 3.0;
            key->texture = pictures[i].Get();
            (void)animation->AppendKeyframe(key);
        }
    }
};

// The block every controller's fields follow: the object's name, no controllers of its own,
// then the active flag.
inline void PutControllerBlock(Bytes& bytes, const std::string& name, bool active = true)
{
    PutString(bytes, name);
    PutInt(bytes, 0);
    bytes.push_back(active ? 1 : 0);
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
