#pragma once
#include <cstdint>
#include <cstring>
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

// Animations, tracks and object records made in code for the animation tests and benchmarks.
namespace zen::test {

using Bytes = std::vector<uint8_t>;

class ByteStream : public Stream {
public:
    explicit ByteStream(const Bytes& bytes) { AdoptBuffer(Bytes(bytes)); }
};

// The record WriteObject makes of `object`.
inline Bytes SavedRecord(Object* object)
{
    Stream stream;
    if (stream.WriteObject(object) != kSuccess)
        return {};
    return Bytes(stream.Data(), stream.Data() + stream.Position());
}

// The object ReadObject makes of `bytes` when it is a T; null otherwise.
template <class T>
Ptr<T> LoadedRecord(const Bytes& bytes)
{
    ByteStream stream(bytes);
    Object* object = nullptr;
    if (stream.ReadObject(&object) != kSuccess || !object)
        return nullptr;
    Ptr<Object> keep(object);
    if (!object->IsDerivedFrom(&T::TYPE))
        return nullptr;
    return Ptr<T>(static_cast<T*>(object));
}

inline void PutDouble(Bytes& bytes, double value)
{
    uint8_t raw[8];
    std::memcpy(raw, &value, 8);
    bytes.insert(bytes.end(), raw, raw + 8);
}

inline void PutFloat(Bytes& bytes, float value)
{
    uint8_t raw[4];
    std::memcpy(raw, &value, 4);
    bytes.insert(bytes.end(), raw, raw + 4);
}

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

}  // namespace zen::test
