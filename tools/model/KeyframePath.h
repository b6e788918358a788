#pragma once
#include <vector>

#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/core/Ptr.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

namespace zen::model {

// Keyframed movement for the scene's flights. A path through control points is sampled along a
// Catmull-Rom spline into evenly timed node keys (the engine blends between keys linearly, so
// dense keys make the curve smooth); a spin turns a node about an axis at a steady rate. Both
// give an animation and a controller that plays it once per `seconds` (a clamped single pass
// for a shot, or repeating for a loop).
class KeyframePath {
public:
    // The point of a Catmull-Rom spline through `points` at t in [0, 1] (the whole path); a
    // closed path wraps round to its first point.
    static Vector3 PointAt(const std::vector<Vector3>& points, float t, bool closed);

    // `keys` keys (at least 2) along the path, times 0 to 1 (a closed path's last key is its
    // start again, just before 1, so a repeating track loops without a jump). With `faceAlong`
    // each key also turns the node to face along the path (forward +z), banking into turns.
    static Ptr<NodeAnimation> Path(const char* name, const std::vector<Vector3>& points, bool closed, int keys,
                                   bool faceAlong = false);
    // Whole turns about `axis` (unit length) over the cycle, `keysPerTurn` keys a turn.
    static Ptr<NodeAnimation> Spin(const char* name, const Vector3& axis, float turns, const Vector3& translation,
                                   int keysPerTurn = 8);
    // A controller playing `animation` over `seconds` per pass: once and held at the end when
    // not `repeat`, else round and round.
    static Ptr<NodeAnimationController> Play(const char* name, NodeAnimation* animation, double seconds, bool repeat);
};

}  // namespace zen::model
