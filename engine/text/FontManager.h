#pragma once
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Font;

// The engine's font manager: a registry of fonts by name (32 buckets), made at engine start and
// released, with every font it holds, at engine stop. Fonts that scenes load do not need it;
// it is there for fonts shared by name.
class FontManager {
public:
    static Result Initialize();  // kSuccess, or kFailure (logged) when the registry cannot be made.
    static Result Terminate();   // Always kSuccess.

    // Holds `font` under `name` (a counted reference). kInvalidArgument for null or outside
    // engine start and stop, kFailure when the name is taken, kOutOfMemory.
    static Result Register(const String& name, Font* font);
    static Font* Find(const String& name);  // Null when unknown; no reference taken.
    static uint32_t Count();
};

}  // namespace zen
