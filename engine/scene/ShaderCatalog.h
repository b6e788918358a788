#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

// Every shader program the registered effect classes carry, found without a device: each
// registered class deriving from ZEN.Effect is created through the class registry, the passes
// of each of its techniques are built, and the shaders they hold are collected (a pass's
// CollectByType visits its shaders). Effects added later are covered with no list to edit.
// Needs the engine started (the classes register then).
class ShaderCatalog {
public:
    struct Program {
        String effect;  // Type name of the first effect class found with this text.
        String name;    // The shader's name.
        String source;  // Its assembly text.
        bool pixel;
    };

    // Appends each distinct program text once. kSuccess; kOutOfMemory; kFailure (logged) when
    // an effect class cannot be created or its passes cannot be built.
    static Result Collect(Array<Program>& out);
};

}  // namespace zen
