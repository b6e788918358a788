#pragma once
#include <cstdint>

#include "engine/core/MessageOutput.h"
#include "engine/core/Result.h"

namespace zen {

// The engine's only reporting channel. Each call formats its message once, printf-style, into
// a buffer of kMessageCapacity bytes (longer messages are cut, never overrun) and hands it to
// every registered output in registration order. With no output registered the message is
// dropped. Logging never fails and never returns a result.
constexpr uint32_t kMessageCapacity = 4100;

void Info(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Critical(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(uint32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// kInvalidArgument for null; kSuccess otherwise, also when already registered (with a warning).
// The registry holds a reference; the new output receives its own registration line first.
Result RegisterOutput(MessageOutput* output);
// kInvalidArgument when not registered; kSuccess when removed (it still gets the removal line).
Result UnregisterOutput(MessageOutput* output);
uint32_t RegisteredOutputCount();

}  // namespace zen
