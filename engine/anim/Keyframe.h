#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Object;
class Rtti;
class Stream;

// One key of an animation: a time in the animation's normalised cycle (0 <= time < 1 as a
// rule, ascending within an animation) and, in the subclasses, the value the animation has
// there. Keyframes are plain values owned by their animation, not engine objects; each kind
// names itself so that a controller can refuse an animation whose keys it cannot read.
// Stream form: time (float64), then the kind's fields.
class Keyframe {
public:
    enum Kind : uint32_t { kPlain = 0, kNode, kTexture, kColor, kBool, kFloat };

    Keyframe() = default;
    virtual ~Keyframe();
    Keyframe(const Keyframe&) = delete;
    Keyframe& operator=(const Keyframe&) = delete;

    virtual Kind GetKind() const { return kPlain; }

    // The time, then the fields. kSuccess, or kFailure after the message of the step that failed.
    [[nodiscard]] Result Save(Stream& stream);
    [[nodiscard]] Result Load(Stream& stream);

    // Search into the objects a key holds (only a texture key holds one).
    virtual Object* FindByName(const String& name);
    virtual void CollectByType(const Rtti* type, Array<Object*>& out);

    double time = 0;

protected:
    // The fields after the time: the result of the first failing read or write. Save and Load
    // add the keyframe's own message after whatever these logged.
    virtual Result SaveFields(Stream& stream);
    virtual Result LoadFields(Stream& stream);
};

}  // namespace zen
