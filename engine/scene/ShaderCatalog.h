#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

// Every shader program the registered classes carry, found without a device: each registered
// class is created through the class registry and the shaders it shows to CollectByType are
// collected; for classes deriving from ZEN.Effect the passes of each technique are built first
// (a pass's CollectByType visits its shaders). Classes added later are covered with no list to
// edit, provided a class that holds shaders outside passes visits them in CollectByType. Needs
// the engine started (the classes register then).
class ShaderCatalog {
public:
    struct Program {
        String effect;  // Type name of the first class found with this text.
        String name;    // The shader's name.
        String source;  // Its assembly text.
        bool pixel;
    };

    // Appends each distinct program text once. kSuccess; kOutOfMemory; kFailure (logged) when
    // an effect class cannot be created or its passes cannot be built.
    static Result Collect(Array<Program>& out);
};

}  // namespace zen
