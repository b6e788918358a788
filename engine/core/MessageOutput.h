#pragma once
#include <cstdint>

#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

namespace zen {

// Message levels handed to the outputs. Other values reach an output as they are.
enum LogLevel : uint32_t {
    kLevelInfo = 0,
    kLevelWarning = 1,
    kLevelError = 2,
    kLevelCritical = 3,
};

// A destination of the message log. Registered outputs receive every message, formatted once,
// in registration order. Writing must not fail the caller: an output that cannot write stays
// silent.
class MessageOutput : public RefCounted, public Named {
public:
    explicit MessageOutput(const String& name) : Named(name) {}
    virtual void Write(uint32_t level, const String& text) = 0;
};

}  // namespace zen
