#include "tools/model/KeyframePath.h"

#include <algorithm>
#include <cmath>

#include "engine/anim/AnimationFrame.h"
#include "engine/anim/NodeKeyframe.h"
#include "engine/core/String.h"
#include "engine/scene/Transform.h"

namespace zen::model {
namespace {

Vector3 CatmullRom(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, float t)
{
    const float t2 = t * t, t3 = t2 * t;
    return (p1 * 2.0f + (p2 - p0) * t + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * t2 +
            (p1 * 3.0f - p0 - p2 * 3.0f + p3) * t3) *
           0.5f;
}

}  // namespace

Vector3 KeyframePath::PointAt(const std::vector<Vector3>& points, float t, bool closed)
{
    const int n = static_cast<int>(points.size());
    if (n == 0)
        return {0, 0, 0};
    if (n == 1)
        return points[0];
    const int spans = closed ? n : n - 1;
    const float at = std::clamp(t, 0.0f, 1.0f) * static_cast<float>(spans);
    const int span = std::min(static_cast<int>(at), spans - 1);
    const float local = at - static_cast<float>(span);
    auto point = [&](int i) {
        if (closed)
            return points[static_cast<size_t>(((i % n) + n) % n)];
        return points[static_cast<size_t>(std::clamp(i, 0, n - 1))];
    };
    // The ends of an open path are mirrored so the curve leaves and arrives straight.
    Vector3 before = point(span - 1), after = point(span + 2);
    if (!closed && span == 0)
        before = points[0] * 2.0f - points[1];
    if (!closed && span + 2 > n - 1)
        after = points[static_cast<size_t>(n - 1)] * 2.0f - points[static_cast<size_t>(n - 2)];
    return CatmullRom(before, point(span), point(span + 1), after, local);
}

Ptr<NodeAnimation> KeyframePath::Path(const char* name, const std::vector<Vector3>& points, bool closed, int keys,
                                      bool faceAlong)
{
    Ptr<NodeAnimation> animation = new NodeAnimation();
    animation->SetName(String(name));
    keys = std::max(keys, 2);
    for (int i = 0; i < keys; ++i) {
        // An open path ends exactly at 1; a closed one's keys stop short so that the wrap from
        // the last key to the first (at 1 again) is one more even step.
        const double time = closed ? static_cast<double>(i) / keys : static_cast<double>(i) / (keys - 1);
        auto* key = static_cast<NodeKeyframe*>(animation->NewKeyframe());
        key->time = std::min(time, 0.999999);
        key->translation = PointAt(points, static_cast<float>(time), closed);
        if (faceAlong) {
            // The heading from a little behind to a little ahead; the bank from how fast it turns.
            const float dt = 0.5f / static_cast<float>(keys);
            const float t = static_cast<float>(time);
            const Vector3 before = PointAt(points, closed ? t - dt + (t < dt ? 1.0f : 0.0f) : std::max(t - dt, 0.0f), closed);
            const Vector3 after = PointAt(points, closed ? std::fmod(t + dt, 1.0f) : std::min(t + dt, 1.0f), closed);
            const Vector3 heading = after - before;
            Quaternion facing;
            if (Transform::LookRotation(heading, facing)) {
                const Vector3 middle = (after + before) * 0.5f - key->translation;
                const float side = middle.Dot(facing.AxisX());
                const float bank = std::clamp(-side * 6.0f / std::max(heading.Length(), 1e-3f), -0.6f, 0.6f);
                const Quaternion roll{0, 0, std::sin(0.5f * bank), std::cos(0.5f * bank)};
                key->rotation = facing * roll;
            }
        }
        (void)animation->AppendKeyframe(key);
    }
    return animation;
}

Ptr<NodeAnimation> KeyframePath::Spin(const char* name, const Vector3& axis, float turns, const Vector3& translation,
                                      int keysPerTurn)
{
    Ptr<NodeAnimation> animation = new NodeAnimation();
    animation->SetName(String(name));
    const int keys = std::max(2, static_cast<int>(std::ceil(std::abs(turns) * static_cast<float>(keysPerTurn))));
    for (int i = 0; i < keys; ++i) {
        const double time = static_cast<double>(i) / keys;
        const float half = static_cast<float>(time) * turns * 3.14159265359f;
        auto* key = static_cast<NodeKeyframe*>(animation->NewKeyframe());
        key->time = time;
        key->translation = translation;
        const float s = std::sin(half);
        key->rotation = Quaternion{axis.x * s, axis.y * s, axis.z * s, std::cos(half)};
        (void)animation->AppendKeyframe(key);
    }
    return animation;
}

Ptr<NodeAnimationController> KeyframePath::Play(const char* name, NodeAnimation* animation, double seconds, bool repeat)
{
    Ptr<NodeAnimationController> controller = new NodeAnimationController();
    controller->SetName(String(name));
    (void)controller->AddAnimation(animation);
    AnimationFrame frame;
    frame.animation = animation;
    frame.start = 0;
    frame.end = 1;
    frame.mode = repeat ? AnimationFrame::kRepeat : AnimationFrame::kClamp;
    (void)controller->AddFrame(frame);
    controller->SetTrackPeriod(seconds);
    return controller;
}

}  // namespace zen::model
