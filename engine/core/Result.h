#pragma once

namespace zen {

// The engine's result codes. Every operation that can fail returns one; nothing is thrown
// across the engine's API. A caller that gets kFailure knows the reason is already in the log.
using Result = int;

constexpr Result kSuccess = 0;
constexpr Result kFailure = 1;          // Failed; the operation logged why.
constexpr Result kOutOfMemory = 2;
constexpr Result kInvalidArgument = 3;  // A null pointer was given, or an entry was not found.

}  // namespace zen
